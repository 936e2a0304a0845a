// Project file speed: reading the largest file the old versions can hold, against counting
// its lines with memchr; writing a one-hour show of 255 tracks, against one fwrite of the
// same bytes.
#include "BenchSupport.h"

#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <random>
#include <unistd.h>

namespace {

using namespace lumivox;

class FixedLengthSongs : public ISongLoader {
public:
    FixedLengthSongs(ShowDocument& doc, int slots) : Doc(doc), Slots(slots) {}
    bool LoadSong(const QString&) override {
        Doc.SlotCount = Slots;
        return true;
    }
    void CloseSong() override {}
    ShowDocument& Doc;
    int Slots;
};

constexpr int HourSlots = 36001; // one hour at 100 ms

struct Files {
    QTemporaryDir Dir;
    QString Song;
    QString MaximalOld;   // 1.0.2, 255 tracks x 131,070 value lines
    QByteArray HourBytes; // what writing the one-hour show produces

    Files() {
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        QFile song(Song);
        song.open(QIODevice::WriteOnly);
        MaximalOld = Dir.filePath(QStringLiteral("maximal.PRJ"));
        WriteMaximalOldFile();
    }

    void WriteMaximalOldFile() {
        std::mt19937 random(7);
        QByteArray out;
        out.reserve(140 << 20);
        auto line = [&](const QByteArray& text) { out += text + "\r\n"; };
        line("Lumivox Project File of Vostrel");
        line("File version : ");
        line("1.0.2");
        line("*****");
        line("Maximal");
        line(Song.toUtf8());
        line("1");
        for (int i = 0; i < 6; ++i)
            line("");
        line("0");
        line("*****");
        line("255");
        line("*****");
        for (int k = 1; k <= MaxTracks; ++k) {
            line("Track " + QByteArray::number(k));
            line(QByteArray::number(k));
            line("0");
            line("No");
            line("No");
            line("No");
            for (int c = 0; c < 4; ++c)
                line("12345678");
            line("0");
            line("1");
            line("1");
            line("No");
            line("Yes");
            for (int j = 1; j <= MaxSlotCount; ++j)
                line(QByteArray::number(static_cast<int>(random() % 256)));
            line("*****");
        }
        QFile file(MaximalOld);
        file.open(QIODevice::WriteOnly);
        file.write(out);
    }
};

Files& Shared() {
    static Files files;
    return files;
}

std::unique_ptr<ShowDocument> HourShow() {
    auto doc = std::make_unique<ShowDocument>();
    doc->SlotCount = HourSlots;
    doc->SetProjectName(QStringLiteral("Hour"));
    doc->SetSongFile(Shared().Song);
    TBulkUpdate filling(*doc);
    for (int k = 0; k < MaxTracks; ++k) {
        doc->AddTrack(Language::English);
        TFullTrack& track = filling.Track(k + 1);
        for (int j = 1; j < HourSlots; ++j)
            track.SetValue(j, static_cast<std::uint8_t>((j * 13 + k) % 256));
    }
    return doc;
}

void BM_ReadMaximal102(benchmark::State& state) {
    Files& files = Shared();
    UnattendedUserInterface ui;
    for (auto _ : state) {
        ShowDocument doc;
        FixedLengthSongs songs(doc, HourSlots);
        ProjectFile reader(doc, ui, songs);
        if (!reader.ReadProject(files.MaximalOld) || doc.TrackCount() != MaxTracks)
            state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(&doc.Track(1));
    }
}

void BM_AnchorReadAndCountLinesMemchr(benchmark::State& state) {
    Files& files = Shared();
    for (auto _ : state) {
        QFile file(files.MaximalOld);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const char* p = bytes.constData();
        const char* end = p + bytes.size();
        long lines = 0;
        while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
            ++lines;
            p = static_cast<const char*>(hit) + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
}

void BM_WriteHourShow(benchmark::State& state) {
    Files& files = Shared();
    auto doc = HourShow();
    UnattendedUserInterface ui;
    FixedLengthSongs songs(*doc, HourSlots);
    ProjectFile writer(*doc, ui, songs);
    const QString target = files.Dir.filePath(QStringLiteral("hour.PRJ"));
    for (auto _ : state) {
        if (!writer.WriteProject(target))
            state.SkipWithError("writing failed");
    }
    QFile written(target);
    written.open(QIODevice::ReadOnly);
    files.HourBytes = written.readAll();
    state.counters["MB"] = static_cast<double>(files.HourBytes.size()) / (1 << 20);
}

void WriteWithFwrite(benchmark::State& state, bool sync) {
    Files& files = Shared();
    if (files.HourBytes.isEmpty()) {
        state.SkipWithError("run after the writing benchmark");
        return;
    }
    const QByteArray path = files.Dir.filePath(QStringLiteral("anchor.PRJ")).toLocal8Bit();
    for (auto _ : state) {
        std::FILE* out = std::fopen(path.constData(), "wb");
        std::fwrite(files.HourBytes.constData(), 1,
                    static_cast<std::size_t>(files.HourBytes.size()), out);
        std::fflush(out);
        if (sync)
            fsync(fileno(out));
        std::fclose(out);
    }
}

void BM_AnchorOneFwrite(benchmark::State& state) {
    WriteWithFwrite(state, false);
}
void BM_AnchorOneFwriteAndFsync(benchmark::State& state) {
    WriteWithFwrite(state, true);
}

BENCHMARK(BM_ReadMaximal102)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_AnchorReadAndCountLinesMemchr)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_WriteHourShow)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_AnchorOneFwrite)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_AnchorOneFwriteAndFsync)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_ReadMaximal102", "BM_AnchorReadAndCountLinesMemchr",
          "read 1.0.2, 255 x 131,070 lines: goal <= 10x"},
         {"BM_WriteHourShow", "BM_AnchorOneFwrite", "write 255 x 36,001 (safe save): goal <= 3x"},
         {"BM_WriteHourShow", "BM_AnchorOneFwriteAndFsync", "same, anchor also syncs to disk"}});
}
