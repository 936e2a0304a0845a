// Play ranges through the transport and the real player on the silent clock (a manual clock,
// so every sample and position is exact): rounds that follow each other to the frame, a range
// that ends on its last frame, Loop switched off and on while the range plays, a move of the
// cursor while it loops, and the rounds resampled for an output at 48 kHz.
#include "audio/DecodedSong.h"
#include "audio/decode/Resampler.h"
#include "audio/playback/AudioPlayer.h"
#include "show/Transport.h"
#include "support/ManualClock.h"
#include "support/TestSongs.h"
#include "support/audio/LoopRange.h"
#include "support/audio/SignalMeasures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;

namespace {

constexpr std::int64_t SongRate = 44100;
constexpr std::int64_t RangeStart = RangeFromMs * SongRate / 1000;
constexpr std::int64_t Round = (RangeToMs - RangeFromMs) * SongRate / 1000;

// `rounds` rounds of [start, start + round) of the interleaved `song`, back to back.
std::vector<std::int16_t> Rounds(const std::vector<std::int16_t>& song, std::int64_t start,
                                 std::int64_t round, std::int64_t frames) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(2 * frames));
    for (std::int64_t i = 0; i < frames; ++i) {
        const auto from = static_cast<std::size_t>(2 * (start + i % round));
        out[static_cast<std::size_t>(2 * i)] = song[from];
        out[static_cast<std::size_t>(2 * i + 1)] = song[from + 1];
    }
    return out;
}

class PlayRangeTest : public ::testing::Test {
protected:
    ManualClock Clock;
    AudioPlayer Player{AudioPlayer::Options{nullptr, Clock.Function()}};
    HeadlessTransportHost Host;
    CountingShowClock Show;
    Transport Motion{Player, Host, Show};
    std::vector<std::int16_t> Song;
    // What the player plays since the last Follow, the frames of it let pass since then, and
    // the player's count of wraps then.
    TPlayStream Stream;
    std::int64_t Heard = 0;
    std::int64_t WrapsBefore = 0;

    void SetUp() override {
        const QString path = FixturePath("song_loop_step.mp3");
        Song = DecodeWholeSong(path);
        ASSERT_TRUE(Player.Open(path));
        ASSERT_EQ(Player.SampleRate(), SongRate);
        ASSERT_EQ(static_cast<std::int64_t>(Song.size()), 2 * Player.LengthFrames());
    }

    // Starts the range [fromMs, toMs) (from fromMs) and, when `record` is not 0, records that
    // many frames of it.
    void StartRange(std::int64_t fromMs, std::int64_t toMs, std::size_t record) {
        if (record > 0) {
            ASSERT_TRUE(Player.RecordNextStart(record));
        }
        Motion.PlayRange(fromMs, toMs);
        const std::int64_t end = std::min(toMs * SongRate / 1000, Player.LengthFrames());
        Follow({fromMs * SongRate / 1000, fromMs * SongRate / 1000, end});
    }

    // From here on the player plays `stream`.
    void Follow(const TPlayStream& stream) {
        Stream = stream;
        Heard = 0;
        WrapsBefore = Player.RangeWraps();
    }

    // Lets `span` pass in 10 ms ticks of the show clock; after each, waits until the player has
    // heard it (at the song frame and after the wraps the stream's arithmetic gives) and runs
    // the tick.
    void RunFor(std::chrono::milliseconds span, std::vector<std::int64_t>* positions = nullptr) {
        for (auto passed = 0ms; passed < span; passed += 10ms) {
            Clock.Advance(10ms);
            Heard += SongRate / 100;
            const TPlayStream::TPlace place = Stream.PlaceOf(Heard, -1);
            ASSERT_TRUE(WaitUntil([&] {
                return Player.PositionFrame() == place.Frame &&
                       Player.RangeWraps() == WrapsBefore + place.Wraps;
            })) << "after "
                << Heard << " frames: position " << Player.PositionFrame() << ", expected "
                << place.Frame << "; wraps " << Player.RangeWraps() << ", expected "
                << WrapsBefore + place.Wraps;
            Motion.Tick();
            if (positions)
                positions->push_back(Player.PositionMs());
        }
    }

    AudioPlayer::TRecording Recording() {
        std::optional<AudioPlayer::TRecording> heard;
        EXPECT_TRUE(WaitUntil([&] { return (heard = Player.TakeRecording()).has_value(); }));
        return heard.value_or(AudioPlayer::TRecording{});
    }
};

} // namespace

TEST_F(PlayRangeTest, LoopedRoundsFollowEachOtherSampleForSampleAndTheCursorJumpsBack) {
    constexpr std::int64_t Rounds5 = 5 * Round + 4410;
    Motion.SetLooping(true);
    StartRange(RangeFromMs, RangeToMs, Rounds5);
    const int resyncs = Show.Resyncs;
    std::vector<std::int64_t> positions;
    RunFor(10100ms, &positions);

    // Heard: the range five times over and the start of the sixth, nothing else, no gap.
    const AudioPlayer::TRecording heard = Recording();
    EXPECT_EQ(heard.StartFrame, RangeStart);
    ASSERT_EQ(heard.Frames.size(), static_cast<std::size_t>(2 * Rounds5));
    const std::vector<std::int16_t> expected = Rounds(Song, RangeStart, Round, Rounds5);
    const auto mismatch = std::mismatch(heard.Frames.begin(), heard.Frames.end(), expected.begin());
    EXPECT_EQ(mismatch.first, heard.Frames.end())
        << "first difference at frame " << (mismatch.first - heard.Frames.begin()) / 2;

    // The cursor never passes the end; each round is one jump back and one resync.
    EXPECT_EQ(Player.RangeWraps(), 5);
    EXPECT_EQ(Show.Resyncs, resyncs + 5);
    int jumps = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        EXPECT_GE(positions[i], RangeFromMs);
        EXPECT_LT(positions[i], RangeToMs);
        jumps += i > 0 && positions[i] < positions[i - 1];
    }
    EXPECT_EQ(jumps, 5);
    EXPECT_TRUE(Motion.Playing());

    Motion.Stop();
    EXPECT_FALSE(Motion.RangePlaying());
    EXPECT_EQ(Player.PositionMs(), RangeFromMs);
}

TEST_F(PlayRangeTest, WithoutLoopTheRangeEndsOnItsLastFrameAndLoopOffEndsTheRoundPlaying) {
    // Once: the range, then silence; the player stops at the end, the transport back at the cue.
    StartRange(RangeFromMs, RangeToMs, Round + 2000);
    RunFor(1990ms);
    EXPECT_TRUE(Motion.Playing());
    Clock.Advance(100ms);
    AudioPlayer::TRecording heard = Recording();
    ASSERT_EQ(heard.Frames.size(), static_cast<std::size_t>(2 * (Round + 2000)));
    std::vector<std::int16_t> expected = Rounds(Song, RangeStart, Round, Round);
    expected.resize(heard.Frames.size(), 0);
    EXPECT_EQ(heard.Frames, expected);
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionMs(), RangeToMs);
    Motion.Tick();
    EXPECT_FALSE(Motion.RangePlaying());
    EXPECT_EQ(Player.PositionMs(), RangeFromMs);

    // A range of 300 ms, so the feeder has decoded rounds ahead of what is heard: Loop off in
    // the second round still ends the sound with that round.
    constexpr std::int64_t Short = 300 * SongRate / 1000;
    Motion.SetLooping(true);
    StartRange(RangeFromMs, RangeFromMs + 300, 3 * Short + 2000);
    RunFor(450ms);
    Motion.SetLooping(false);
    RunFor(140ms);
    EXPECT_TRUE(Motion.Playing());
    Clock.Advance(400ms);
    heard = Recording();
    expected = Rounds(Song, RangeStart, Short, 2 * Short);
    expected.resize(heard.Frames.size(), 0);
    EXPECT_EQ(heard.Frames, expected) << "the third round, already decoded, was heard";
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionMs(), RangeFromMs + 300);
    EXPECT_EQ(Player.RangeWraps(), 1);
    Motion.Tick();
    EXPECT_FALSE(Motion.RangePlaying());
}

TEST_F(PlayRangeTest, LoopSwitchedOnLateAndMovesOfTheCursorKeepTheRangeGoing) {
    // Loop comes on after the feeder has made the only round ready to end: the transport takes
    // the range round again itself.
    StartRange(RangeFromMs, RangeFromMs + 300, 0);
    const int resyncs = Show.Resyncs;
    RunFor(200ms);
    Motion.SetLooping(true);
    Clock.Advance(150ms);
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    Motion.Tick();
    EXPECT_TRUE(Motion.Playing());
    EXPECT_TRUE(Motion.RangePlaying());
    EXPECT_EQ(Player.PositionMs(), RangeFromMs);
    EXPECT_EQ(Show.Resyncs, resyncs + 1);
    Motion.Stop();

    // A cell step inside a looping range keeps it: from 2,500 ms to its end, round to 1,000.
    StartRange(RangeFromMs, RangeToMs, 0);
    RunFor(100ms);
    Motion.LocateMs(2500);
    EXPECT_TRUE(Motion.RangePlaying());
    const std::int64_t wraps = Player.RangeWraps();
    Follow({2500 * SongRate / 1000, RangeStart, RangeStart + Round});
    RunFor(600ms);
    EXPECT_EQ(Player.PositionMs(), RangeFromMs + 100);
    EXPECT_EQ(Player.RangeWraps(), wraps + 1);

    // A press on the ruler leaves the range: the song plays on past its end.
    Motion.Locate(2901);
    EXPECT_FALSE(Motion.RangePlaying());
    Follow(TPlayStream::ToEnd(Player.PositionFrame(), Player.LengthFrames()));
    RunFor(300ms);
    EXPECT_GT(Player.PositionMs(), RangeToMs);
    EXPECT_TRUE(Motion.Playing());
}

TEST(PlayRangeResampled, TheRoundsReachA48kHzOutputAsOneStreamResampledWithoutASeam) {
    ManualClock clock;
    AudioPlayer player{AudioPlayer::Options{
        [&clock](long, IFrameSource& source) -> std::unique_ptr<AudioOutput> {
            return std::make_unique<NullOutput>(48000, source, clock.Function());
        },
        clock.Function()}};
    const QString path = FixturePath("song_loop_step.mp3");
    ASSERT_TRUE(player.Open(path));
    ASSERT_EQ(player.OutputInfo().DeviceRate, 48000);

    // A round of 2 s is 96,000 frames at 48 kHz: five of them and a little more.
    constexpr std::size_t Frames = 5 * 96000 + 4800;
    player.SetLooping(true);
    player.SetPlayRange(RangeFromMs, RangeToMs);
    player.Seek(RangeFromMs);
    ASSERT_TRUE(player.RecordNextStart(Frames));
    player.Play();
    for (int step = 0; step < 102; ++step) {
        clock.Advance(100ms);
        std::this_thread::sleep_for(1ms);
    }
    std::optional<AudioPlayer::TRecording> heard;
    ASSERT_TRUE(WaitUntil([&] { return (heard = player.TakeRecording()).has_value(); }));
    ASSERT_EQ(heard->Frames.size(), 2 * Frames);
    EXPECT_EQ(player.RangeWraps(), 5);
    const std::int64_t position = player.PositionFrame();
    EXPECT_GE(position, RangeStart);
    EXPECT_LT(position, RangeStart + Round);

    // The same rounds resampled in one pass: the wrap is as smooth as the song itself, and
    // every round is as long as the range.
    const std::vector<std::int16_t> song = DecodeWholeSong(path);
    const std::vector<std::int16_t> rounds = Rounds(song, RangeStart, Round, 6 * Round);
    TResampler resampler(SongRate, 48000);
    std::vector<std::int16_t> reference(2 * resampler.OutputRoomFor(6 * Round));
    const std::size_t made =
        resampler.Process(rounds.data(), 6 * Round, reference.data(), reference.size() / 2);
    ASSERT_GE(made, Frames);
    int differing = 0;
    for (std::size_t i = 0; i < 2 * Frames; ++i)
        differing += std::abs(heard->Frames[i] - reference[i]) > 8;
    EXPECT_EQ(differing, 0);

    const std::vector<float> left = LeftChannel(heard->Frames);
    const std::vector<std::size_t> onsets = MarkOnsets(left, 0.5f, 4800);
    ASSERT_EQ(onsets.size(), 6u);
    for (std::size_t i = 1; i < onsets.size(); ++i)
        EXPECT_EQ(onsets[i] - onsets[i - 1], 96000u) << "round " << i;
    EXPECT_LT(LoudestTone(left, 0, left.size(), 3000.0, 48000, 480), 0.05)
        << "the tone after the range's end was heard";
}
