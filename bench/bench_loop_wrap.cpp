// Looping a play range: the length of each of 20 rounds of a 2 s range, measured where the
// sound is (in the frames a client recorded from the player's JACK ports, or the frames the
// silent clock consumed), against the range's own length, on a JACK server at 44.1 kHz, one at
// 48 kHz (the song resampled) and the silent clock. Also how long the rounds last for the
// cursor: the wall time between the wraps the position shows. The anchor is a plain wait of
// the range's length in the same run.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "audio/playback/AudioPlayer.h"
#include "support/audio/JackTestSupport.h"
#include "support/audio/SignalMeasures.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace lumivox;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int Rounds = 20;
constexpr std::int64_t RangeFromMs = 1000;
constexpr std::int64_t RangeToMs = 3000;
constexpr double RangeMs = static_cast<double>(RangeToMs - RangeFromMs);
constexpr auto Patience = 120s; // tells a stuck player from a slow machine

// The song of the play range tests: a quiet 1 kHz tone with a loud 10 ms mark at 1 s, where
// each round begins, and another tone from 3 s on, where the range ends.
struct TLoopSong {
    QTemporaryDir Dir;
    QString Mp3;
    QString Error;
};

TLoopSong& Song() {
    static TLoopSong song;
    static const bool made = [] {
        const QString wav = song.Dir.filePath(QStringLiteral("song.wav"));
        song.Mp3 = song.Dir.filePath(QStringLiteral("song.mp3"));
        QStringList parts;
        const QStringList pieces[] = {{"1", "sine", "1000", "gain", "-20"},
                                      {"0.01", "sine", "1000", "gain", "-1"},
                                      {"1.99", "sine", "1000", "gain", "-20"},
                                      {"3", "sine", "3000", "gain", "-6"}};
        for (const QStringList& piece : pieces) {
            parts << song.Dir.filePath(QStringLiteral("part%1.wav").arg(parts.size()));
            if (!bench::RunTool(QStringLiteral("sox"),
                                QStringList{"-q", "-n", "-r", "44100", "-c", "2", "-b", "16",
                                            parts.back(), "synth"} +
                                    piece,
                                song.Error))
                return false;
        }
        return bench::RunTool(QStringLiteral("sox"), QStringList{"-q"} + parts + QStringList{wav},
                              song.Error) &&
               bench::RunTool(QStringLiteral("lame"), {"--quiet", "-b", "192", wav, song.Mp3},
                              song.Error);
    }();
    (void)made;
    return song;
}

// Each output's rounds, in ms, as the sound has them and as the cursor has them.
struct TRounds {
    std::vector<double> Heard;
    std::vector<double> Cursor;
};
std::map<std::string, TRounds>& Results() {
    static std::map<std::string, TRounds> results;
    return results;
}

// The rounds between the loud marks of a recording at `rate`.
std::vector<double> RoundsBetweenMarks(const std::vector<float>& left, long rate) {
    const std::vector<std::size_t> marks =
        test::MarkOnsets(left, 0.5f, static_cast<std::size_t>(rate / 10));
    std::vector<double> rounds;
    for (std::size_t i = 1; i < marks.size() && rounds.size() < Rounds; ++i)
        rounds.push_back(static_cast<double>(marks[i] - marks[i - 1]) * 1000.0 /
                         static_cast<double>(rate));
    return rounds;
}

// Plays the range looping until `Rounds` wraps have been heard, noting the wall time of each
// wrap the position shows; false when it never gets there.
bool PlayRounds(AudioPlayer& player, std::vector<double>& cursor) {
    player.SetLooping(true);
    player.SetPlayRange(RangeFromMs, RangeToMs);
    player.Seek(RangeFromMs);
    player.Play();
    const auto limit = Clock::now() + Patience;
    std::int64_t wraps = player.RangeWraps();
    Clock::time_point last{};
    while (static_cast<int>(cursor.size()) < Rounds) {
        if (Clock::now() > limit)
            return false;
        std::this_thread::sleep_for(1ms);
        const std::int64_t now = player.RangeWraps();
        if (now == wraps)
            continue;
        wraps = now;
        const Clock::time_point at = Clock::now();
        if (last != Clock::time_point{})
            cursor.push_back(std::chrono::duration<double, std::milli>(at - last).count());
        last = at;
    }
    return true;
}

// One run of the rounds, timed as the mean round heard.
void Report(benchmark::State& state, const std::string& name, TRounds rounds) {
    if (rounds.Heard.size() < Rounds) {
        state.SkipWithError("fewer rounds were heard than played");
        return;
    }
    double sum = 0.0;
    for (const double round : rounds.Heard)
        sum += round;
    state.SetIterationTime(sum / static_cast<double>(rounds.Heard.size()) / 1000.0);
    Results()[name] = std::move(rounds);
}

void BM_Wait(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_Wait)
    ->Arg(RangeToMs - RangeFromMs)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void LoopOnJack(benchmark::State& state, const char* role, long rate, const std::string& name) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        // Waiting for late clients: the recorder must not miss a cycle of the player's sound.
        bench::PrivateJackServer server(role, rate, test::TJackCycles::Synchronous);
        if (!server.Up) {
            state.SkipWithError(
                ("the JACK dummy server did not start: " + server.Failure).toStdString().c_str());
            return;
        }
        AudioPlayer player;
        if (!player.Open(Song().Mp3) || !player.OutputInfo().Jack) {
            state.SkipWithError("the player could not play on the JACK server");
            return;
        }
        test::JackRecorder recorder(static_cast<std::size_t>(rate) * 2 * (Rounds + 5));
        if (!recorder.Connect(QStringLiteral("Lumivox Editor:"))) {
            state.SkipWithError(recorder.Failure.toStdString().c_str());
            return;
        }
        recorder.Record();
        TRounds rounds;
        const bool played = PlayRounds(player, rounds.Cursor);
        // The mark of the round after the last one.
        std::this_thread::sleep_for(300ms);
        player.Stop();
        if (!played) {
            state.SkipWithError("the range never went round that often");
            return;
        }
        rounds.Heard = RoundsBetweenMarks(recorder.Left(), recorder.Rate());
        Report(state, name, std::move(rounds));
    }
}

void BM_LoopRoundJack44k(benchmark::State& state) {
    LoopOnJack(state, "loop44k", 44100, "BM_LoopRoundJack44k");
}
BENCHMARK(BM_LoopRoundJack44k)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoopRoundJack48k(benchmark::State& state) {
    LoopOnJack(state, "loop48k", 48000, "BM_LoopRoundJack48k");
}
BENCHMARK(BM_LoopRoundJack48k)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The silent clock on the steady clock, as the editor runs it without a sound device.
void BM_LoopRoundSilentClock(benchmark::State& state) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        AudioPlayer player{AudioPlayer::Options{nullptr, {}}};
        if (!player.Open(Song().Mp3)) {
            state.SkipWithError("the song did not open");
            return;
        }
        const long rate = player.SampleRate();
        if (!player.RecordNextStart(static_cast<std::size_t>(rate) * 2 * (Rounds + 1) +
                                    static_cast<std::size_t>(rate / 10))) {
            state.SkipWithError("the player would not record");
            return;
        }
        TRounds rounds;
        const bool played = PlayRounds(player, rounds.Cursor);
        std::optional<AudioPlayer::TRecording> heard;
        const auto limit = Clock::now() + Patience;
        while (played && !(heard = player.TakeRecording()) && Clock::now() < limit)
            std::this_thread::sleep_for(10ms);
        player.Stop();
        if (!heard) {
            state.SkipWithError("the range never went round that often");
            return;
        }
        rounds.Heard = RoundsBetweenMarks(test::LeftChannel(heard->Frames), heard->Rate);
        Report(state, "BM_LoopRoundSilentClock", std::move(rounds));
    }
}
BENCHMARK(BM_LoopRoundSilentClock)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The shortest and longest of `rounds`, and the furthest from the range.
void PrintRounds(const char* what, const std::vector<double>& rounds, const char* goal) {
    if (rounds.empty()) {
        std::printf("%-58s %12s\n", what, "skipped");
        return;
    }
    const auto [shortest, longest] = std::minmax_element(rounds.begin(), rounds.end());
    const double worst = std::max(RangeMs - *shortest, *longest - RangeMs);
    std::printf("%-58s %9.3f %9.3f %9.3f  %s\n", what, *shortest, *longest, worst, goal);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string anchor = "BM_Wait/" + std::to_string(RangeToMs - RangeFromMs);
    bench::PrintRatios(reporter,
                       {{"BM_LoopRoundJack44k", anchor, "1.00: the mean round lasts the range"},
                        {"BM_LoopRoundJack48k", anchor, "1.00, resampled"},
                        {"BM_LoopRoundSilentClock", anchor, "1.00"}});

    // Every round against the range, to the sample: the goal is within 1 ms of it.
    std::printf("\n%d rounds of a %.0f ms range, each:\n", Rounds, RangeMs);
    std::printf("%-58s %9s %9s %9s  %s\n", "rounds (ms)", "shortest", "longest", "worst", "goal");
    const char* names[][2] = {{"BM_LoopRoundJack44k", "JACK 44.1 kHz"},
                              {"BM_LoopRoundJack48k", "JACK 48 kHz, resampled"},
                              {"BM_LoopRoundSilentClock", "silent clock"}};
    for (const auto& [name, label] : names) {
        const TRounds& rounds = Results()[name];
        PrintRounds((std::string(label) + ": heard").c_str(), rounds.Heard, "worst <= 1 ms");
        PrintRounds((std::string(label) + ": the cursor's wraps").c_str(), rounds.Cursor, "-");
    }
    std::fflush(stdout);
    benchmark::Shutdown();
    return 0;
}
