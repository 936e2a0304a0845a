// The player on an output at another rate than the song's: an output at 48 kHz paced by a
// manual clock, where positions and samples can be checked exactly, and the JACK dummy server
// at 48 kHz that ./test (or the CTest fixture) starts, where the song's tone must arrive at its
// own pitch.
#include "audio/DecodedSong.h"
#include "audio/decode/Resampler.h"
#include "audio/decode/SongLength.h"
#include "audio/playback/AudioPlayer.h"
#include "support/ManualClock.h"
#include "support/TestSongs.h"
#include "support/audio/JackTestSupport.h"

#include <QFile>

#include <gtest/gtest.h>
#include <mpg123.h>

#include <chrono>
#include <cmath>
#include <thread>

using namespace lumivox;
using namespace std::chrono_literals;
using namespace lumivox::test;

namespace {

// The whole song decoded in the player's format, then resampled in one pass to `rate`.
std::vector<std::int16_t> DecodeAndResample(const QString& path, long rate) {
    const std::optional<SongInfo> info = MeasureSong(path);
    std::vector<std::int16_t> song = DecodeWholeSong(path);

    TResampler resampler(info->Rate, rate);
    const std::size_t frames = song.size() / 2;
    std::vector<std::int16_t> out(2 * (resampler.OutputRoomFor(frames) + 8192));
    std::size_t made = resampler.Process(song.data(), frames, out.data(), out.size() / 2);
    for (std::size_t more = 0;
         (more = resampler.Flush(out.data() + 2 * made, out.size() / 2 - made)) > 0;)
        made += more;
    out.resize(2 * made);
    return out;
}

class RatePlayerTest : public ::testing::Test {
protected:
    static constexpr long DeviceRate = 48000;
    ManualClock Clock;
    // A "device" at 48 kHz that is the null output, so the clock decides how much is heard.
    AudioPlayer Player{AudioPlayer::Options{
        [this](long, IFrameSource& source) -> std::unique_ptr<AudioOutput> {
            return std::make_unique<NullOutput>(DeviceRate, source, Clock.Function());
        },
        Clock.Function()}};

    void AdvanceTo(std::chrono::milliseconds step, std::int64_t expectedFrame) {
        Clock.Advance(step);
        EXPECT_TRUE(WaitUntil([&] { return Player.PositionFrame() >= expectedFrame; }))
            << "position stuck at frame " << Player.PositionFrame();
        EXPECT_EQ(Player.PositionFrame(), expectedFrame);
    }
};

} // namespace

TEST_F(RatePlayerTest, ThePositionStaysInSongFramesAtTheOutputsRate) {
    ASSERT_TRUE(Player.Open(FixturePath("song_10s.mp3")));
    const TOutputInfo info = Player.OutputInfo();
    EXPECT_EQ(info.DeviceRate, 48000);
    EXPECT_EQ(info.SongRate, 44100);
    EXPECT_EQ(Player.SampleRate(), 44100);

    Player.Play();
    // 250 ms are 12,000 frames at 48 kHz and 11,025 song frames.
    AdvanceTo(250ms, 11025);
    EXPECT_EQ(Player.PositionMs(), 250);
    Player.Seek(3000);
    AdvanceTo(1000ms, 3000 * 441 / 10 + 44100);
    Player.Stop();
    EXPECT_EQ(Player.PositionMs(), 4000);
    Clock.Advance(500ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Player.PositionMs(), 4000);

    // The end still comes at the song's last frame.
    Player.Seek(Player.LengthMs() - 100);
    Player.Play();
    Clock.Advance(200ms);
    EXPECT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionFrame(), Player.LengthFrames());
}

TEST_F(RatePlayerTest, SeekingPlaysTheResampledSongFromThatSongFrame) {
    const QString song = FixturePath("song_vbr.mp3");
    const std::vector<std::int16_t> reference = DecodeAndResample(song, DeviceRate);
    ASSERT_TRUE(Player.Open(song));
    ASSERT_NEAR(static_cast<double>(reference.size()) / 2.0,
                static_cast<double>(Player.LengthFrames()) * 48000.0 / 44100.0, 1.0);

    // 147 song frames are 160 output frames, so at these positions the resampled song has a
    // frame exactly where playback begins.
    constexpr std::size_t Frames = 6000;
    for (const std::int64_t ms : {std::int64_t{1470}, std::int64_t{7350}, std::int64_t{14700}}) {
        Player.Seek(ms);
        ASSERT_TRUE(Player.RecordNextStart(Frames));
        Player.Play();
        Clock.Advance(std::chrono::milliseconds(Frames * 1000 / DeviceRate + 20));
        std::optional<AudioPlayer::TRecording> heard;
        ASSERT_TRUE(WaitUntil([&] { return (heard = Player.TakeRecording()).has_value(); }));
        Player.Stop();
        const std::int64_t songFrame = ms * 44100 / 1000;
        ASSERT_EQ(heard->StartFrame, songFrame);
        ASSERT_EQ(heard->Rate, DeviceRate);
        ASSERT_EQ(heard->Frames.size(), 2 * Frames);
        const std::size_t at = static_cast<std::size_t>(songFrame * 160 / 147);

        // After the filter has filled (a few hundred frames) the samples are the one-pass
        // resampling's, frame for frame; a shift of even one frame would differ by far more.
        int differing = 0;
        for (std::size_t i = 2 * 1500; i < heard->Frames.size(); ++i)
            differing += std::abs(heard->Frames[i] - reference[2 * at + i]) > 8;
        EXPECT_EQ(differing, 0) << "seek to " << ms << " ms";
        int shifted = 0;
        for (std::size_t i = 2 * 1500; i < heard->Frames.size(); ++i)
            shifted += std::abs(heard->Frames[i] - reference[2 * (at + 1) + i]) > 8;
        EXPECT_GT(shifted, 1000) << "the song has too little signal to tell a shift";
    }
}

// --- The 48 kHz JACK server -------------------------------------------------------------------

namespace {

class Jack48kTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QByteArray name = qgetenv("LUMIVOX_JACK_48K");
        if (name.isEmpty())
            GTEST_SKIP() << "LUMIVOX_JACK_48K names no JACK server at 48 kHz; ./test starts one";
        Choice = std::make_unique<JackServerChoice>(QString::fromUtf8(name));
    }

    std::unique_ptr<JackServerChoice> Choice;
};

} // namespace

TEST_F(Jack48kTest, ASongAt44kHzReachesTheServerAtItsOwnPitchAndTime) {
    AudioPlayer player;
    ASSERT_TRUE(player.Open(FixturePath("song_tone_1k.mp3")));
    const TOutputInfo info = player.OutputInfo();
    ASSERT_EQ(info.Kind, TOutputKind::Device) << "the 48 kHz JACK server could not be used";
    EXPECT_TRUE(info.Jack);
    EXPECT_EQ(info.HostApi, QStringLiteral("JACK"));
    EXPECT_EQ(info.Device, QString::fromUtf8(qgetenv("LUMIVOX_JACK_48K")));
    EXPECT_EQ(info.DeviceRate, 48000);
    EXPECT_EQ(info.SongRate, 44100);
    EXPECT_FALSE(info.Lost);

    JackRecorder recorder(48000 * 3);
    ASSERT_TRUE(recorder.Connect(QStringLiteral("Lumivox Editor:")))
        << recorder.Failure.toStdString();
    ASSERT_EQ(recorder.Rate(), 48000);
    player.Play();
    std::this_thread::sleep_for(500ms);
    recorder.Record();
    ASSERT_TRUE(WaitUntil([&] { return recorder.Frames() >= 48000; }));
    const std::int64_t position = player.PositionMs();
    player.Stop();

    // Played unconverted, the 1 kHz tone would arrive at 1088 Hz.
    const std::vector<float> left = recorder.Left();
    EXPECT_NEAR(ToneFrequency(left, recorder.Rate()), 1000.0, 2.0);
    const float loudest = *std::max_element(left.begin(), left.end());
    EXPECT_GT(loudest, 0.3f) << "the tone arrived too quiet";
    // The clock is in song time: a second of the server's frames was recorded after half a
    // second of play, so the song has played at least that long and is not over. (How closely
    // it keeps to real time is measured in bench/bench_device.)
    EXPECT_GE(position, 1000);
    EXPECT_LT(position, player.LengthMs());
}

TEST_F(Jack48kTest, SeekingWhilePlayingOnTheServerKeepsSongTime) {
    AudioPlayer player;
    ASSERT_TRUE(player.Open(FixturePath("song_10s.mp3")));
    ASSERT_EQ(player.OutputInfo().DeviceRate, 48000);
    player.Seek(2000);
    player.Play();
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(WaitUntil([&] { return player.PositionMs() > 2000; }));
    EXPECT_LT(player.PositionMs(), 6000);
    player.Seek(6000);
    EXPECT_GE(player.PositionMs(), 6000);
    std::this_thread::sleep_for(700ms);
    EXPECT_TRUE(WaitUntil([&] { return player.PositionMs() > 6000; }))
        << "the song did not play on from the seek";
    EXPECT_LT(player.PositionMs(), player.LengthMs());
    // Read often, the clock never runs backwards.
    std::int64_t last = player.PositionMs();
    int backwards = 0;
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(1ms);
        const std::int64_t now = player.PositionMs();
        backwards += now < last;
        last = now;
    }
    EXPECT_EQ(backwards, 0);
    player.Close();
}
