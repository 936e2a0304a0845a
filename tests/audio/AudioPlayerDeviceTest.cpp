// The media player on a real audio device (the JACK dummy server ./test starts): the device it
// picks, the position running while it plays, stop, seek, the end of the song, and closing
// while playing. How closely the position keeps to real time is measured in
// bench/bench_device, not here: a loaded machine would make such a window fail.
#include "audio/playback/AudioPlayer.h"
#include "support/TestSongs.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace lumivox;
using namespace std::chrono_literals;
using lumivox::test::FixturePath;

namespace {

bool JackServerRuns() {
    QProcess lsp;
    lsp.start(QStringLiteral("jack_lsp"), {});
    return lsp.waitForFinished(5000) && lsp.exitStatus() == QProcess::NormalExit &&
           lsp.exitCode() == 0;
}

class DevicePlayerTest : public ::testing::Test {
protected:
    AudioPlayer Player;

    void SetUp() override {
        ASSERT_TRUE(Player.Open(FixturePath("song_10s.mp3")));
        if (Player.OutputKind() != TOutputKind::Device)
            GTEST_SKIP() << "no audio device could be opened; start a JACK server "
                            "(scripts/start-jack.sh) to run the device tests";
    }

    // Plays for about `ms` of wall time.
    void PlayFor(std::int64_t ms) {
        Player.Play();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    // True once the position has passed `ms` (within a bound that only catches a stuck clock).
    bool PassesPosition(std::int64_t ms) {
        return WaitUntil([&] { return Player.PositionMs() > ms; });
    }

    template <typename Predicate> bool WaitUntil(Predicate done) {
        const auto limit = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }
};

} // namespace

TEST_F(DevicePlayerTest, PrefersTheJackServerWhenOneRuns) {
    if (!JackServerRuns())
        GTEST_SKIP() << "no JACK server runs; the device is " << Player.OutputName().toStdString();
    EXPECT_TRUE(Player.OutputName().startsWith(QStringLiteral("JACK")))
        << Player.OutputName().toStdString();
}

TEST_F(DevicePlayerTest, ThePositionRunsWhilePlayingAndNeverBackwards) {
    EXPECT_EQ(Player.PositionMs(), 0);
    PlayFor(1000);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_TRUE(PassesPosition(0)) << "the position never moved";
    EXPECT_LT(Player.PositionMs(), Player.LengthMs());

    // Read often, the clock never runs backwards.
    std::int64_t last = Player.PositionMs();
    int backwards = 0;
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(1ms);
        const std::int64_t now = Player.PositionMs();
        backwards += now < last;
        last = now;
    }
    EXPECT_EQ(backwards, 0);
}

TEST_F(DevicePlayerTest, StopKeepsThePositionAndPlayGoesOnFromIt) {
    PlayFor(500);
    ASSERT_TRUE(PassesPosition(0));
    Player.Stop();
    const std::int64_t stoppedAt = Player.PositionMs();
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_GT(stoppedAt, 0);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Player.PositionMs(), stoppedAt);

    PlayFor(300);
    EXPECT_TRUE(PassesPosition(stoppedAt)) << "play did not go on from the stop";
}

TEST_F(DevicePlayerTest, SeekWorksStoppedAndPlaying) {
    Player.Seek(3000);
    EXPECT_EQ(Player.PositionMs(), 3000);
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);

    PlayFor(300);
    EXPECT_TRUE(PassesPosition(3000)) << "play did not start from the seek";
    EXPECT_LT(Player.PositionMs(), 7000);

    Player.Seek(7000);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_GE(Player.PositionMs(), 7000);
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(PassesPosition(7000)) << "the song did not play on from the seek";
    EXPECT_LT(Player.PositionMs(), Player.LengthMs());
}

TEST_F(DevicePlayerTest, TheSongStopsByItselfAtItsEnd) {
    const std::int64_t length = Player.LengthMs();
    Player.Seek(length - 400);
    Player.Play();
    EXPECT_LT(Player.PositionMs(), length) << "the end came before the music did";
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionMs(), length);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Player.PositionMs(), length);

    // A song shorter than one second ends too.
    ASSERT_TRUE(Player.Open(FixturePath("song_350ms.mp3")));
    Player.Play();
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    EXPECT_EQ(Player.PositionMs(), Player.LengthMs());
}

TEST_F(DevicePlayerTest, PlayAtTheEndStartsFromTheBeginning) {
    Player.Seek(Player.LengthMs());
    PlayFor(200);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_TRUE(PassesPosition(0));
    EXPECT_LT(Player.PositionMs(), Player.LengthMs() / 2) << "it did not start over";
}

TEST_F(DevicePlayerTest, ASongAtAnotherRateThanTheDevicesPlaysOnItResampled) {
    // A 48 kHz song on the device: it plays there at the device's rate, in song time.
    ASSERT_TRUE(Player.Open(FixturePath("song_48k.mp3")));
    const TOutputInfo info = Player.OutputInfo();
    EXPECT_EQ(info.Kind, TOutputKind::Device) << Player.OutputName().toStdString();
    EXPECT_EQ(info.SongRate, 48000);
    EXPECT_GT(info.DeviceRate, 0);
    EXPECT_FALSE(info.Lost);
    PlayFor(500);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing) << Player.OutputName().toStdString();
    EXPECT_TRUE(PassesPosition(0)) << Player.OutputName().toStdString();
}

TEST_F(DevicePlayerTest, CloseWhilePlayingThenPlayAgain) {
    PlayFor(200);
    Player.Close();
    EXPECT_EQ(Player.Mode(), TMediaMode::NotOpen);

    ASSERT_TRUE(Player.Open(FixturePath("song_10s.mp3")));
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Device);
    PlayFor(300);
    EXPECT_TRUE(PassesPosition(0));
    Player.Close();
}
