// Finding a song's beats: the analysis of a five-minute song's decoded sound, as the import
// runs it after decoding, against mpg123 decoding the same song to a WAV file; decoding and
// analysing a five-minute and a one-hour song, per minute of song, which must grow linearly;
// and how well the beats found match click tracks of known tempo (F-measure at +-30 ms).
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "../tests/support/ClickTracks.h"
#include "audio/analysis/BeatAnalysis.h"
#include "audio/analysis/SongBeatAnalysis.h"

#include <QFile>
#include <QStandardPaths>

#include <cstdio>

namespace {

using namespace lumivox;
using lumivox::bench::BenchSong;
using lumivox::bench::RunTool;

BenchSong& FiveMinutes() {
    static BenchSong song;
    static const bool made = [] {
        lumivox::bench::MakeBenchSong(song, 300, {"-b", "192"});
        return true;
    }();
    (void)made;
    return song;
}

BenchSong& OneHour() {
    static BenchSong song;
    static const bool made = [] {
        lumivox::bench::MakeBenchSong(song, 3600, {"-b", "128"});
        return true;
    }();
    (void)made;
    return song;
}

// The five-minute song decoded by mpg123, once, for the analysis alone.
QString DecodedFiveMinutes(QString& error) {
    static QString wav;
    static QString failure;
    static const bool made = [] {
        const QString mpg123 = QStandardPaths::findExecutable(QStringLiteral("mpg123"));
        if (mpg123.isEmpty()) {
            failure = QStringLiteral("mpg123 is not installed");
            return false;
        }
        wav = FiveMinutes().Dir.filePath(QStringLiteral("decoded.wav"));
        return RunTool(mpg123, {"-q", "-w", wav, FiveMinutes().Mp3}, failure);
    }();
    error = failure;
    return made ? wav : QString();
}

void BM_Mpg123ToWav(benchmark::State& state) {
    if (!FiveMinutes().Error.isEmpty()) {
        state.SkipWithError(FiveMinutes().Error.toStdString().c_str());
        return;
    }
    const QString mpg123 = QStandardPaths::findExecutable(QStringLiteral("mpg123"));
    if (mpg123.isEmpty()) {
        state.SkipWithError("mpg123 is not installed");
        return;
    }
    const QString out = FiveMinutes().Dir.filePath(QStringLiteral("mpg123.wav"));
    QString error;
    for (auto _ : state) {
        if (!RunTool(mpg123, {"-q", "-w", out, FiveMinutes().Mp3}, error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    QFile::remove(out);
}
BENCHMARK(BM_Mpg123ToWav)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void BM_BeatsOfDecodedSong(benchmark::State& state) {
    QString error;
    const QString wav = DecodedFiveMinutes(error);
    if (wav.isEmpty()) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    std::size_t beats = 0;
    for (auto _ : state) {
        const TBeatsResult result = AnalyseWaveFile(wav);
        if (!result.Complete) {
            state.SkipWithError("the analysis stopped");
            break;
        }
        beats = result.Beats.BeatsMs.size();
    }
    state.counters["beats"] = static_cast<double>(beats);
}
BENCHMARK(BM_BeatsOfDecodedSong)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Decoding and analysing a whole song, as the editor's worker and the command-line tool do.
void BM_BeatsOfSong(benchmark::State& state) {
    BenchSong& song = state.range(0) == 5 ? FiveMinutes() : OneHour();
    if (!song.Error.isEmpty()) {
        state.SkipWithError(song.Error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        if (!AnalyseSong(song.Mp3).Complete) {
            state.SkipWithError("the song was not analysed");
            break;
        }
    }
}
BENCHMARK(BM_BeatsOfSong)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_BeatsOfSong)->Arg(60)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A click track of `runs` after 250 ms of silence, encoded like a song; empty on failure.
QString MakeClickTrack(const QString& folder, const char* name,
                       const std::vector<test::TClickRun>& runs, QString& error) {
    QStringList parts;
    const QString lead = folder + QStringLiteral("/%1.lead.wav").arg(QLatin1String(name));
    if (!RunTool(
            QStringLiteral("sox"),
            {"-q", "-D", "-n", "-r", "44100", "-c", "2", "-b", "16", lead, "trim", "0", "0.25"},
            error))
        return {};
    parts << lead;
    int index = 0;
    for (const test::TClickRun& run : runs) {
        const QString period = QString::number(run.PeriodMs / 1000.0, 'f', 9);
        const QString click = folder + QStringLiteral("/%1.click%2.wav").arg(name).arg(index);
        const QString repeated = folder + QStringLiteral("/%1.run%2.wav").arg(name).arg(index);
        if (!RunTool(QStringLiteral("sox"),
                     {"-q",   "-n",    "-r",   "44100",      "-c",   "2",    "-b",   "16",
                      click,  "synth", "0.02", "whitenoise", "fade", "0",    "0.02", "0.018",
                      "gain", "-3",    "pad",  "0",          period, "trim", "0",    period},
                     error) ||
            !RunTool(QStringLiteral("sox"),
                     {"-q", click, repeated, "repeat", QString::number(run.Count - 1)}, error))
            return {};
        parts << repeated;
        ++index;
    }
    const QString wav = folder + QStringLiteral("/%1.wav").arg(QLatin1String(name));
    QString mp3 = folder + QStringLiteral("/%1.mp3").arg(QLatin1String(name));
    if (!RunTool(QStringLiteral("sox"), QStringList{"-q"} + parts + QStringList{wav}, error) ||
        !RunTool(QStringLiteral("lame"), {"--quiet", "-b", "192", wav, mp3}, error))
        return {};
    return mp3;
}

// The F-measure of the beats found in click tracks at one tempo and at a tempo that changes
// midway, each counted once the tracker has locked on; -1 when a track could not be made.
double ClickFMeasure() {
    QTemporaryDir dir;
    QString error;
    struct Track {
        const char* Name;
        std::vector<double> Clicks;
        std::vector<std::pair<double, double>> Checked; // (from, to) ms
        std::vector<test::TClickRun> Runs;
    };
    const double change = 250 + 20 * 600.0;
    const std::vector<Track> tracks = {
        {"steady", test::Clicks120(), {{3000, 1e9}}, {{500, 48}}},
        {"change",
         test::Clicks100To140(),
         {{3000, change - 30}, {change + 8000, 1e9}},
         {{600, 20}, {60000.0 / 140, 42}}},
    };
    int matched = 0;
    int clicks = 0;
    int beats = 0;
    for (const Track& track : tracks) {
        const QString mp3 = MakeClickTrack(dir.path(), track.Name, track.Runs, error);
        if (mp3.isEmpty()) {
            std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
            return -1;
        }
        const TSongBeats found = AnalyseSong(mp3).Beats;
        for (const auto& [from, to] : track.Checked) {
            std::vector<double> inBeats;
            std::vector<double> inClicks;
            for (double b : found.BeatsMs)
                if (b >= from - 30 && b < to)
                    inBeats.push_back(b);
            for (double c : track.Clicks)
                if (c >= from && c < to)
                    inClicks.push_back(c);
            const test::TBeatMatch match = test::MatchBeats(inBeats, inClicks, 30, from);
            matched += match.Matched;
            clicks += match.Clicks;
            beats += match.Beats;
        }
    }
    test::TBeatMatch all;
    all.Matched = matched;
    all.Clicks = clicks;
    all.Beats = beats;
    return all.FMeasure();
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    lumivox::bench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    lumivox::bench::PrintRatios(
        reporter, {{"BM_BeatsOfDecodedSong", "BM_Mpg123ToWav", "beats / mpg123 -w: <= 0.5"}});
    // Per minute of song: the one-hour song must cost no more per minute than the short one.
    const double five = reporter.Get("BM_BeatsOfSong/5");
    const double hour = reporter.Get("BM_BeatsOfSong/60");
    if (five > 0 && hour > 0)
        std::printf("%-58s %12.3f %12.3f %9.2f  %s\n",
                    "decode and find beats, ms per minute of a 60-min song", hour / 60, five / 5,
                    (hour / 60) / (five / 5), "per minute / 5-min song: <= 1.2");
    const double f = ClickFMeasure();
    std::printf("%-58s %12.3f %12s %9s  %s\n", "F-measure at +-30 ms on click tracks", f, "-", "-",
                ">= 0.95");
    std::fflush(stdout);
    benchmark::Shutdown();
    return 0;
}
