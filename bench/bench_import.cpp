// Song import of a five-minute 192 kbit/s stereo MP3: decoding it and building the waveform
// cache (LoadSong without a cache) against mpg123 decoding the same file to a WAV file, and
// loading the song again from its cache.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "audio/decode/SongImport.h"
#include "audio/decode/SongLoader.h"
#include "core/UserInterface.h"
#include "model/ShowDocument.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

using namespace lumivox;

// The song, made once per run with sox and lame.
using lumivox::bench::RunTool;

lumivox::bench::BenchSong& Song() {
    static lumivox::bench::BenchSong song;
    static const bool made = [] {
        lumivox::bench::MakeBenchSong(song, 300, {"-b", "192"});
        return true;
    }();
    (void)made;
    return song;
}

TCachePlaces BenchPlaces() {
    TCachePlaces places;
    places.ProgramFolder = Song().Dir.path();
    places.UserCacheFolder = Song().Dir.filePath(QStringLiteral("cache"));
    places.IsWritable = FolderIsWritable;
    return places;
}

// A headless LoadSong as the command-line tool runs it.
struct Loading {
    ShowDocument Doc;
    UnattendedUserInterface Ui;
    Language Lang = Language::English;
    MeasuringMediaPlayer Player;
    HeadlessImportRunner Runner{Ui};
    SongLoader Loader{Doc, Ui, Lang, Player, Runner, nullptr, BenchPlaces()};

    bool Load(TCacheResult expected) {
        return Loader.LoadSong(Song().Mp3) && Loader.LastCache() == expected && Ui.Failures == 0;
    }
};

void RemoveCache() {
    QFile::remove(PeakFileFor(Song().Mp3));
    QFile::remove(DateFileFor(PeakFileFor(Song().Mp3)));
}

void BM_Mpg123ToWav(benchmark::State& state) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    const QString mpg123 = QStandardPaths::findExecutable(QStringLiteral("mpg123"));
    if (mpg123.isEmpty()) {
        state.SkipWithError("mpg123 is not installed");
        return;
    }
    const QString out = Song().Dir.filePath(QStringLiteral("mpg123.wav"));
    QString error;
    for (auto _ : state) {
        if (!RunTool(mpg123, {"-q", "-w", out, Song().Mp3}, error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    QFile::remove(out);
}
BENCHMARK(BM_Mpg123ToWav)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_ImportSong(benchmark::State& state) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    Loading loading;
    for (auto _ : state) {
        state.PauseTiming();
        RemoveCache();
        state.ResumeTiming();
        if (!loading.Load(TCacheResult::Built)) {
            state.SkipWithError("import failed");
            break;
        }
    }
    state.counters["records"] = static_cast<double>(PeakRecordCount(loading.Loader.WavePeaks));
}
BENCHMARK(BM_ImportSong)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_LoadSongFromCache(benchmark::State& state) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    Loading loading;
    RemoveCache();
    if (!loading.Load(TCacheResult::Built)) {
        state.SkipWithError("import failed");
        return;
    }
    for (auto _ : state) {
        if (!loading.Load(TCacheResult::Reused)) {
            state.SkipWithError("the cache was not reused");
            break;
        }
    }
}
BENCHMARK(BM_LoadSongFromCache)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    // The import's decoder reports through Qt timers.
    QCoreApplication app(argc, argv);
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_ImportSong", "BM_Mpg123ToWav", "import / mpg123 -w: <= 1.5"},
         {"BM_LoadSongFromCache", "BM_ImportSong", "load from cache / import: <= 0.05"}});
}
