// Play ranges on a real device: a JACK dummy server of the test's own, at 44.1 kHz and at
// 48 kHz (the song resampled), with a client of the test recording the player's ports while
// the transport plays the loop song's range [1 s, 3 s) and ticks like the show clock. Every
// figure is measured in the recorded samples: where each round's loud mark begins, whether the
// tone after the range's end is ever heard, and the longest quiet stretch between the marks.
#include "audio/playback/AudioPlayer.h"
#include "show/Transport.h"
#include "support/TestSongs.h"
#include "support/audio/JackTestSupport.h"
#include "support/audio/LoopRange.h"
#include "support/audio/SignalMeasures.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;

namespace {

// Bounds that only tell a stuck player from a slow machine.
constexpr auto Patience = 60s;

struct TRangeRun {
    std::vector<float> Left;             // what the server received from the player
    std::size_t Missed = 0;              // frames of it the recorder missed
    long Rate = 0;                       // the server's rate
    std::vector<std::int64_t> Positions; // the position at each tick, in ms
    int Resyncs = 0;                     // the show clock's resyncs after the first
    bool Ended = false;                  // the transport left the range by itself
    std::int64_t PositionAfter = -1;     // the position once the range was over, in ms
};

// Plays the range on a JACK server of its own at `rate`, looping or not, recording the player's
// ports, until the player has gone round `rounds` times (or, without looping, the range has
// ended), and then a quarter of a second more. The server waits for late clients, so on a busy
// machine the recorder misses no cycle of what the player sends.
void PlayTheRange(long rate, bool loop, int rounds, TRangeRun& run) {
    TestJackServer server(
        QStringLiteral("lumivox-range-%1-%2").arg(rate).arg(QCoreApplication::applicationPid()),
        rate, TJackCycles::Synchronous);
    ASSERT_TRUE(server.Start()) << server.Failure().toStdString();
    AudioPlayer player;
    ASSERT_TRUE(player.Open(FixturePath("song_loop_step.mp3")));
    ASSERT_TRUE(player.OutputInfo().Jack) << player.OutputName().toStdString();
    ASSERT_EQ(player.OutputInfo().DeviceRate, rate);
    HeadlessTransportHost host;
    CountingShowClock clock;
    Transport motion(player, host, clock);

    JackRecorder recorder(static_cast<std::size_t>(rate) * 40);
    ASSERT_TRUE(recorder.Connect(QStringLiteral("Lumivox Editor:")))
        << recorder.Failure.toStdString();
    run.Rate = recorder.Rate();
    recorder.Record();
    motion.SetLooping(loop);
    motion.PlayRange(RangeFromMs, RangeToMs);
    const int resyncs = clock.Resyncs;

    // The show clock's ticks, until the rounds are heard or the range is over.
    const auto limit = std::chrono::steady_clock::now() + Patience;
    auto done = [&] { return loop ? player.RangeWraps() >= rounds : !motion.RangePlaying(); };
    while (!done() && std::chrono::steady_clock::now() < limit) {
        motion.Tick();
        if (motion.Playing())
            run.Positions.push_back(player.PositionMs());
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(done()) << "the range never got that far; the position is " << player.PositionMs();
    const std::size_t more = recorder.Frames() + static_cast<std::size_t>(rate / 4);
    while (recorder.Frames() < more && std::chrono::steady_clock::now() < limit) {
        motion.Tick();
        if (motion.Playing())
            run.Positions.push_back(player.PositionMs());
        std::this_thread::sleep_for(10ms);
    }
    run.Ended = !motion.RangePlaying();
    run.PositionAfter = player.PositionMs();
    run.Resyncs = clock.Resyncs - resyncs;
    motion.Stop();
    run.Left = recorder.Left();
    run.Missed = recorder.MissedFrames();
    player.Close();
}

// Five rounds: each exactly as long as the range, none reaching past its end, none apart.
void ExpectFiveSeamlessRounds(long rate) {
    constexpr int Rounds = 5;
    TRangeRun run;
    PlayTheRange(rate, true, Rounds, run);
    if (::testing::Test::HasFatalFailure())
        return;
    ASSERT_EQ(run.Rate, rate);
    const std::vector<float>& left = run.Left;
    const std::vector<std::size_t> marks =
        MarkOnsets(left, 0.5f, static_cast<std::size_t>(rate / 10));
    ASSERT_GE(marks.size(), static_cast<std::size_t>(Rounds + 1))
        << "rounds heard: " << marks.size();
    const double roundFrames = static_cast<double>(rate) * (RangeToMs - RangeFromMs) / 1000.0;
    for (int i = 0; i < Rounds; ++i) {
        const double frames = static_cast<double>(marks[i + 1] - marks[i]);
        EXPECT_NEAR(frames, roundFrames, static_cast<double>(rate) / 1000.0)
            << "round " << i + 1 << " lasted " << frames * 1000.0 / static_cast<double>(rate)
            << " ms (the recorder missed " << run.Missed << " frames)";
    }
    EXPECT_LT(LoudestTone(left, 0, left.size(), 3000.0, rate, static_cast<std::size_t>(rate / 100)),
              0.05)
        << "the tone after the range's end was heard";
    // The quiet tone between the marks never breaks off: at most a few samples lie near 0
    // around each of its zero crossings.
    EXPECT_LT(LongestQuietRun(left, marks[0], marks[Rounds], 0.01f),
              static_cast<std::size_t>(rate / 1000))
        << "a gap in the sound";

    // The cursor follows the rounds: never past the end, back to the start once a round, and
    // the outputs told the whole state each time.
    int jumps = 0;
    for (std::size_t i = 0; i < run.Positions.size(); ++i) {
        EXPECT_GE(run.Positions[i], RangeFromMs);
        EXPECT_LT(run.Positions[i], RangeToMs);
        jumps += i > 0 && run.Positions[i] < run.Positions[i - 1];
    }
    EXPECT_GE(jumps, Rounds);
    EXPECT_EQ(run.Resyncs, jumps);
    EXPECT_FALSE(run.Ended);
}

// Once, without Loop: the range is heard to its last frame and then silence.
void ExpectOneRoundThenSilence(long rate) {
    TRangeRun run;
    PlayTheRange(rate, false, 1, run);
    if (::testing::Test::HasFatalFailure())
        return;
    const std::vector<float>& left = run.Left;
    const std::vector<std::size_t> marks =
        MarkOnsets(left, 0.5f, static_cast<std::size_t>(rate / 10));
    ASSERT_EQ(marks.size(), 1u);
    const std::size_t end = SoundEnd(left, 0.02f);
    const double roundFrames = static_cast<double>(rate) * (RangeToMs - RangeFromMs) / 1000.0;
    EXPECT_NEAR(static_cast<double>(end - marks[0]), roundFrames,
                static_cast<double>(rate) / 1000.0)
        << "the sound lasted "
        << static_cast<double>(end - marks[0]) * 1000.0 / static_cast<double>(rate)
        << " ms (the recorder missed " << run.Missed << " frames)";
    EXPECT_GE(left.size() - end, static_cast<std::size_t>(rate / 5))
        << "no silence recorded after it";
    EXPECT_LT(LoudestTone(left, 0, left.size(), 3000.0, rate, static_cast<std::size_t>(rate / 100)),
              0.05)
        << "the tone after the range's end was heard";
    EXPECT_TRUE(run.Ended);
    EXPECT_EQ(run.PositionAfter, RangeFromMs) << "back at the range's start";
    for (const std::int64_t position : run.Positions)
        EXPECT_LE(position, RangeToMs);
}

} // namespace

TEST(JackPlayRange, FiveLoopedRoundsAt44kHzLastTheRangeEachWithNoGapAndNothingPastItsEnd) {
    ExpectFiveSeamlessRounds(44100);
}

TEST(JackPlayRange,
     FiveLoopedRoundsResampledFor48kHzLastTheRangeEachWithNoGapAndNothingPastItsEnd) {
    ExpectFiveSeamlessRounds(48000);
}

TEST(JackPlayRange, PlaySelectionWithoutLoopStopsOnTheRangesLastFrameAt44kHzAnd48kHz) {
    ExpectOneRoundThenSilence(44100);
    ExpectOneRoundThenSilence(48000);
}
