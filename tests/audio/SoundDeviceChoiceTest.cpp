// The choice of sound device below the window: its keys, the fall-back when the chosen device
// is not there, and the player taking a new output at the next Play without losing its place.
#include "audio/playback/AudioPlayer.h"
#include "audio/playback/SoundDevices.h"
#include "support/ManualClock.h"
#include "support/TestSongs.h"

#include <gtest/gtest.h>

using namespace lumivox;
using namespace std::chrono_literals;
using lumivox::test::FixturePath;
using lumivox::test::ManualClock;
using Kind = TSoundDevice::TKind;

TEST(SoundDeviceKeys, EveryChoiceComesBackFromItsKeyAndAnythingElseIsAutomatic) {
    for (const TSoundDevice& device :
         {TSoundDevice{}, TSoundDevice{Kind::None, {}, {}}, TSoundDevice{Kind::Jack, {}, {}},
          TSoundDevice{Kind::PortAudio, QStringLiteral("ALSA"), QStringLiteral("hw:0,0: HDA")}}) {
        const TSoundDevice back = TSoundDevice::FromKey(device.Key());
        EXPECT_EQ(back.Kind, device.Kind) << device.Key().toStdString();
        EXPECT_EQ(back.HostApi, device.HostApi);
        EXPECT_EQ(back.Device, device.Device) << "a colon in the device's name survives";
    }
    for (const char* key : {"", "pa:", "pa:ALSA", "pa::dev", "speakers", "NONE"})
        EXPECT_EQ(TSoundDevice::FromKey(QLatin1String(key)).Kind, Kind::Automatic) << key;
}

TEST(SoundDeviceKeys, NoDeviceOpensNothingAndAMissingOneIsReportedAsMissing) {
    SoundDeviceChoice choice;
    struct : IFrameSource {
        std::size_t Render(std::int16_t*, std::size_t, std::int64_t) noexcept override { return 0; }
    } source;
    choice.Choose({Kind::None, {}, {}});
    EXPECT_EQ(choice.Open(44100, source), nullptr);
    EXPECT_FALSE(choice.Missing());
    choice.Choose({Kind::PortAudio, QStringLiteral("NoSuchHost"), QStringLiteral("nothing")});
    const std::unique_ptr<AudioOutput> instead = choice.Open(44100, source);
    EXPECT_TRUE(choice.Missing());
    // Whatever the machine plays on by default, never the missing device.
    if (instead) {
        EXPECT_NE(instead->HostApi(), QStringLiteral("NoSuchHost"));
    }
    choice.Choose({Kind::None, {}, {}});
    choice.Open(44100, source);
    EXPECT_FALSE(choice.Missing()) << "the report is of the last opening only";
}

TEST(SoundDeviceReopen, TheNextPlayTakesANewOutputFromTheSamePlaceAndOnlyWhenAsked) {
    ManualClock clock;
    int opened = 0;
    AudioPlayer::Options options;
    options.NullClock = clock.Function();
    options.DeviceOutput = [&](long rate, IFrameSource& source) -> std::unique_ptr<AudioOutput> {
        ++opened;
        return std::make_unique<NullOutput>(rate, source, clock.Function());
    };
    AudioPlayer player(options);
    ASSERT_TRUE(player.Open(FixturePath("song_10s.mp3")));
    EXPECT_EQ(opened, 1);
    player.Seek(1500);
    player.Play();
    player.Stop();
    EXPECT_EQ(opened, 1) << "a plain Play keeps its output";
    player.ReopenOutputOnPlay();
    EXPECT_EQ(opened, 1) << "nothing changes until the next Play";
    player.Play();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(player.Mode(), TMediaMode::Playing);
    EXPECT_GE(player.PositionMs(), 1500);
    clock.Advance(300ms);
    EXPECT_TRUE(lumivox::test::WaitUntil([&] { return player.PositionMs() >= 1800; }));
    player.Stop();
    player.Play();
    EXPECT_EQ(opened, 2) << "asked once, reopened once";
    player.Stop();
}
