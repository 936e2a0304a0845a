// The media player through the null output with a manual clock, so every position is exact:
// opening, length, play, stop, seek, the end of the song, the fallback when no device opens,
// and the samples heard after a seek compared with a full decode.
#include "audio/playback/AudioPlayer.h"
#include "audio/DecodedSong.h"
#include "audio/decode/SongLength.h"
#include "support/ManualClock.h"
#include "support/TestSongs.h"

#include <QFile>

#include <gtest/gtest.h>
#include <mpg123.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace lumivox;
using namespace std::chrono_literals;
using namespace lumivox::test;

namespace {

// Where, within one MPEG frame either side, `heard` lines up with the reference; for the
// failure message only.
QString Alignment(const std::vector<std::int16_t>& reference, std::int64_t frame,
                  const std::vector<std::int16_t>& heard) {
    const std::int64_t frames = static_cast<std::int64_t>(heard.size() / 2);
    for (std::int64_t shift = -1152; shift <= 1152; ++shift) {
        const std::int64_t at = frame + shift;
        if (at < 0 || (at + frames) * 2 > static_cast<std::int64_t>(reference.size()))
            continue;
        if (std::equal(heard.begin(), heard.end(), reference.begin() + at * 2))
            return QStringLiteral("the samples heard are those %1 frames away").arg(shift);
    }
    return QStringLiteral("the samples heard match no position within one MPEG frame");
}

class NullPlayerTest : public ::testing::Test {
protected:
    ManualClock Clock;
    AudioPlayer Player{AudioPlayer::Options{nullptr, Clock.Function()}};

    void OpenSong(const char* name) {
        ASSERT_TRUE(Player.Open(FixturePath(name))) << name;
        ASSERT_EQ(Player.OutputKind(), TOutputKind::Null);
    }

    // Moves the clock on and waits until the player has consumed that much time.
    void AdvanceTo(std::chrono::milliseconds step, std::int64_t expectedMs) {
        Clock.Advance(step);
        EXPECT_TRUE(WaitUntil([&] { return Player.PositionMs() >= expectedMs; }))
            << "position stuck at " << Player.PositionMs() << " ms, expected " << expectedMs;
        EXPECT_EQ(Player.PositionMs(), expectedMs);
    }

    // Plays from `ms` and returns the first `frames` frames heard.
    AudioPlayer::TRecording RecordFrom(std::int64_t ms, std::size_t frames) {
        Player.Seek(ms);
        EXPECT_TRUE(Player.RecordNextStart(frames));
        Player.Play();
        Clock.Advance(std::chrono::milliseconds(frames * 1000 / Player.SampleRate() + 20));
        std::optional<AudioPlayer::TRecording> recording;
        EXPECT_TRUE(WaitUntil([&] { return (recording = Player.TakeRecording()).has_value(); }));
        Player.Stop();
        return recording.value_or(AudioPlayer::TRecording{});
    }
};

} // namespace

// --- Opening and length -----------------------------------------------------------------------

TEST_F(NullPlayerTest, FilesThatAreNoSongLeaveThePlayerClosed) {
    for (const char* name : {"not_an_mp3.mp3", "empty.mp3", "no_such_song.mp3"}) {
        EXPECT_FALSE(Player.Open(FixturePath(name))) << name;
        EXPECT_FALSE(Player.IsOpen()) << name;
        EXPECT_EQ(Player.Mode(), TMediaMode::NotOpen) << name;
        EXPECT_EQ(Player.LengthMs(), 0) << name;
        EXPECT_EQ(Player.PositionMs(), 0) << name;
    }
    // A failed open also closes the song that was open.
    OpenSong("song_10s.mp3");
    EXPECT_FALSE(Player.Open(FixturePath("not_an_mp3.mp3")));
    EXPECT_EQ(Player.Mode(), TMediaMode::NotOpen);
}

TEST_F(NullPlayerTest, LengthIsTheMeasuredSongLengthForEveryKindOfSong) {
    for (const char* name : {"song_350ms.mp3", "song_10s.mp3", "song_60_05s.mp3", "song_mono.mp3",
                             "song_48k.mp3", "song_vbr.mp3", "song_truncated.mp3"}) {
        const std::optional<SongInfo> info = MeasureSong(FixturePath(name));
        ASSERT_TRUE(info) << name;
        OpenSong(name);
        EXPECT_EQ(Player.LengthMs(), info->LengthMs) << name;
        EXPECT_EQ(Player.LengthFrames(), info->Samples) << name;
        EXPECT_EQ(Player.SampleRate(), info->Rate) << name;
        EXPECT_EQ(Player.Mode(), TMediaMode::Stopped) << name;
        EXPECT_EQ(Player.PositionMs(), 0) << name;
    }
}

TEST_F(NullPlayerTest, CommandsOnAClosedPlayerDoNothing) {
    Player.Play();
    Player.Seek(1000);
    Player.Stop();
    EXPECT_EQ(Player.Mode(), TMediaMode::NotOpen);
    EXPECT_EQ(Player.PositionMs(), 0);
    EXPECT_FALSE(Player.RecordNextStart(100));
}

// --- Transport with exact positions ---------------------------------------------------------

TEST_F(NullPlayerTest, PlayingAdvancesExactlyWithTheClockAndNoFurther) {
    OpenSong("song_10s.mp3");
    Clock.Advance(300ms); // time while stopped does not count
    Player.Play();
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Player.PositionMs(), 0);
    AdvanceTo(1000ms, 1000);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Player.PositionMs(), 1000) << "the position ran ahead of the clock";
    AdvanceTo(250ms, 1250);
    EXPECT_EQ(Player.PositionFrame(), 1250 * 44100 / 1000);
}

TEST_F(NullPlayerTest, StopKeepsThePositionAndPlayResumesFromIt) {
    OpenSong("song_10s.mp3");
    Player.Play();
    AdvanceTo(1500ms, 1500);
    Player.Stop();
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_EQ(Player.PositionMs(), 1500);
    Clock.Advance(500ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Player.PositionMs(), 1500);

    Player.Play();
    EXPECT_EQ(Player.PositionMs(), 1500);
    AdvanceTo(100ms, 1600);
}

TEST_F(NullPlayerTest, SeekMovesThePositionStoppedOrPlaying) {
    OpenSong("song_10s.mp3");
    Player.Seek(4321);
    EXPECT_EQ(Player.PositionMs(), 4321);
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    Clock.Advance(100ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Player.PositionMs(), 4321);

    Player.Play();
    AdvanceTo(100ms, 4421);
    Player.Seek(8000);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Player.PositionMs(), 8000);
    AdvanceTo(250ms, 8250);
    Player.Seek(2000); // backwards while playing
    AdvanceTo(40ms, 2040);

    Player.Stop();
    Player.Seek(-5);
    EXPECT_EQ(Player.PositionMs(), 0);
    Player.Seek(Player.LengthMs() + 1000);
    EXPECT_EQ(Player.PositionMs(), Player.LengthMs());
}

TEST_F(NullPlayerTest, TheSongStopsByItselfAtItsEnd) {
    OpenSong("song_10s.mp3");
    const std::int64_t length = Player.LengthMs();
    Player.Seek(length - 300);
    Player.Play();
    AdvanceTo(200ms, length - 100);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);

    Clock.Advance(200ms);
    EXPECT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionMs(), length);
    EXPECT_EQ(Player.PositionFrame(), Player.LengthFrames());
    Clock.Advance(500ms);
    std::this_thread::sleep_for(20ms);
    Player.Stop();
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_EQ(Player.PositionMs(), length);
}

TEST_F(NullPlayerTest, PlayAtTheEndStartsFromTheBeginning) {
    OpenSong("song_350ms.mp3");
    Player.Seek(Player.LengthMs());
    EXPECT_EQ(Player.PositionMs(), Player.LengthMs());
    Player.Play();
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Player.PositionMs(), 0);
    AdvanceTo(100ms, 100);

    // Played to its end by itself, the next Play starts over too.
    Clock.Advance(400ms);
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    Player.Play();
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Player.PositionMs(), 0);
    AdvanceTo(50ms, 50);
}

TEST_F(NullPlayerTest, CloseWhilePlayingLeavesNothingRunningAndTheSongReopens) {
    OpenSong("song_10s.mp3");
    Player.Play();
    AdvanceTo(500ms, 500);
    Player.Close();
    EXPECT_FALSE(Player.IsOpen());
    EXPECT_EQ(Player.Mode(), TMediaMode::NotOpen);
    EXPECT_EQ(Player.PositionMs(), 0);
    EXPECT_EQ(Player.LengthMs(), 0);

    OpenSong("song_15s.mp3");
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_EQ(Player.PositionMs(), 0);
    Player.Play();
    AdvanceTo(200ms, 200);
}

// --- Output choice ----------------------------------------------------------------------------

namespace {

// A device that opens but refuses to start.
class RefusingOutput final : public AudioOutput {
public:
    explicit RefusingOutput(bool& destroyed) : Destroyed(destroyed) {}
    ~RefusingOutput() override { Destroyed = true; }
    bool Start() override { return false; }
    void Stop() override {}
    std::int64_t HeardFrames() const override { return 0; }
    std::int64_t DueFrames() const override { return 0; }
    TOutputKind Kind() const override { return TOutputKind::Device; }
    QString Name() const override { return QStringLiteral("refusing"); }
    long Rate() const override { return 44100; }

private:
    bool& Destroyed;
};

} // namespace

TEST(AudioPlayerOutput, WithoutAUsableDeviceThePlayerFallsBackToTheNullOutput) {
    ManualClock clock;
    int asked = 0;
    AudioPlayer noDevice({[&](long rate, IFrameSource&) -> std::unique_ptr<AudioOutput> {
                              EXPECT_EQ(rate, 44100);
                              ++asked;
                              return nullptr;
                          },
                          clock.Function()});
    ASSERT_TRUE(noDevice.Open(FixturePath("song_10s.mp3")));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(noDevice.OutputKind(), TOutputKind::Null);

    bool destroyed = false;
    AudioPlayer refusing({[&](long, IFrameSource&) -> std::unique_ptr<AudioOutput> {
                              return std::make_unique<RefusingOutput>(destroyed);
                          },
                          clock.Function()});
    ASSERT_TRUE(refusing.Open(FixturePath("song_10s.mp3")));
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(refusing.OutputKind(), TOutputKind::Null);
    EXPECT_EQ(refusing.OutputName(), QStringLiteral("null output"));

    // Both keep the show clock without sound.
    noDevice.Play();
    refusing.Play();
    clock.Advance(300ms);
    EXPECT_TRUE(WaitUntil([&] { return noDevice.PositionMs() == 300; }));
    EXPECT_TRUE(WaitUntil([&] { return refusing.PositionMs() == 300; }));
}

// --- Null output on its own -------------------------------------------------------------------

namespace {

// Takes frames as told and checks that the output numbers them without gaps.
class CountingSource final : public IFrameSource {
public:
    std::atomic<bool> Hold{false};
    std::atomic<std::int64_t> Taken{0};
    std::atomic<int> Calls{0};
    std::atomic<int> Gaps{0};

    std::size_t Render(std::int16_t* out, std::size_t frames,
                       std::int64_t deviceFrame) noexcept override {
        ++Calls;
        if (deviceFrame != Taken.load())
            ++Gaps;
        if (Hold.load())
            return 0;
        std::fill(out, out + 2 * frames, std::int16_t{0});
        Taken += static_cast<std::int64_t>(frames);
        return frames;
    }
};

} // namespace

TEST(AudioPlayerNullOutput, ConsumesTheClocksFramesAndOwesWhatTheSourceHoldsBack) {
    ManualClock clock;
    CountingSource source;
    NullOutput output(44100, source, clock.Function());
    ASSERT_TRUE(output.Start());

    clock.Advance(250ms);
    EXPECT_TRUE(WaitUntil([&] { return output.HeardFrames() == 11025; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(output.HeardFrames(), 11025);

    source.Hold = true;
    clock.Advance(100ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(output.HeardFrames(), 11025) << "frames held back must not count";
    source.Hold = false;
    EXPECT_TRUE(WaitUntil([&] { return output.HeardFrames() == 11025 + 4410; }));
    EXPECT_EQ(source.Taken.load(), 11025 + 4410);
    EXPECT_EQ(source.Gaps.load(), 0);

    output.Stop();
    const int calls = source.Calls.load();
    clock.Advance(100ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(source.Calls.load(), calls) << "the source was called after Stop";
}

// --- What is heard ----------------------------------------------------------------------------

TEST_F(NullPlayerTest, MonoSongsPlayTheSameSampleOnBothChannels) {
    OpenSong("song_mono.mp3");
    const AudioPlayer::TRecording heard = RecordFrom(1000, 4096);
    ASSERT_EQ(heard.Frames.size(), 2u * 4096);
    int differing = 0;
    int loud = 0;
    for (std::size_t i = 0; i < heard.Frames.size(); i += 2) {
        differing += heard.Frames[i] != heard.Frames[i + 1];
        loud += std::abs(heard.Frames[i]) > 1000;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(loud, 1000) << "the recording holds no signal";
}

TEST_F(NullPlayerTest, SeekingAVbrSongPlaysTheSamplesOfAFullDecode) {
    const std::vector<std::int16_t> reference = DecodeWholeSong(FixturePath("song_vbr.mp3"));
    OpenSong("song_vbr.mp3");
    ASSERT_EQ(static_cast<std::int64_t>(reference.size()), 2 * Player.LengthFrames());
    constexpr std::size_t Frames = 4096;

    const std::int64_t length = Player.LengthMs();
    for (const std::int64_t ms : {std::int64_t{0}, std::int64_t{1234}, std::int64_t{5000},
                                  std::int64_t{9999}, std::int64_t{15321}, length - 200}) {
        const AudioPlayer::TRecording heard = RecordFrom(ms, Frames);
        const std::int64_t frame = (ms * 44100 + 999) / 1000;
        EXPECT_EQ(heard.StartFrame, frame) << "seek to " << ms << " ms";
        ASSERT_EQ(heard.Frames.size(), 2 * Frames) << "seek to " << ms << " ms";
        EXPECT_TRUE(
            std::equal(heard.Frames.begin(), heard.Frames.end(), reference.begin() + 2 * frame))
            << "seek to " << ms
            << " ms: " << Alignment(reference, frame, heard.Frames).toStdString();
    }

    // The same when the seek happens while playing.
    Player.Seek(3000);
    Player.Play();
    AdvanceTo(100ms, 3100);
    ASSERT_TRUE(Player.RecordNextStart(Frames));
    Player.Seek(12345);
    Clock.Advance(200ms);
    std::optional<AudioPlayer::TRecording> heard;
    ASSERT_TRUE(WaitUntil([&] { return (heard = Player.TakeRecording()).has_value(); }));
    const std::int64_t frame = (12345 * 44100 + 999) / 1000;
    EXPECT_EQ(heard->StartFrame, frame);
    EXPECT_TRUE(
        std::equal(heard->Frames.begin(), heard->Frames.end(), reference.begin() + 2 * frame))
        << Alignment(reference, frame, heard->Frames).toStdString();
}

TEST_F(NullPlayerTest, TheWholeSongIsHeardSampleForSampleThenSilence) {
    const std::vector<std::int16_t> reference = DecodeWholeSong(FixturePath("song_vbr.mp3"));
    OpenSong("song_vbr.mp3");
    const std::size_t songFrames = static_cast<std::size_t>(Player.LengthFrames());
    constexpr std::size_t Tail = 2000;
    ASSERT_TRUE(Player.RecordNextStart(songFrames + Tail));
    Player.Play();
    Clock.Advance(std::chrono::milliseconds(Player.LengthMs() + 100));
    std::optional<AudioPlayer::TRecording> heard;
    ASSERT_TRUE(WaitUntil([&] { return (heard = Player.TakeRecording()).has_value(); }));
    ASSERT_EQ(heard->Frames.size(), 2 * (songFrames + Tail));
    EXPECT_TRUE(std::equal(reference.begin(), reference.end(), heard->Frames.begin()));
    EXPECT_TRUE(std::all_of(heard->Frames.begin() + 2 * songFrames, heard->Frames.end(),
                            [](std::int16_t sample) { return sample == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionMs(), Player.LengthMs());
}
