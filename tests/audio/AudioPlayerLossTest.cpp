// Losing the sound device while the song plays: first on an output the test stops by hand,
// with a manual clock so every position is exact; then on private JACK servers that are
// killed, terminated or frozen under the player, and brought back; then whole processes that
// must leave promptly and print nothing of the sound libraries' own.
#include "audio/playback/AudioPlayer.h"
#include "audio/playback/DeviceOutputSupport.h"
#include "audio/playback/DeviceWorker.h"
#include "support/ManualClock.h"
#include "support/TestSongs.h"
#include "support/audio/JackTestSupport.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

using namespace lumivox;
using namespace std::chrono_literals;
using namespace lumivox::test;

namespace {

// A device the test can silence: it plays through a null output on the test's clock until
// Vanish() (no word, its count just stops) or SayGone() (it reports that it is gone).
class VanishingDevice final : public AudioOutput {
public:
    VanishingDevice(IFrameSource& source, OutputClock clock, int& abandoned)
        : Inner(44100, source, std::move(clock)), Abandoned(abandoned) {}

    void Vanish() {
        Frozen = Inner.HeardFrames();
        Inner.Stop();
    }
    void SayGone() {
        Vanish();
        Gone = true;
    }

    bool Start() override { return Inner.Start(); }
    void Stop() override { Inner.Stop(); }
    void Abandon() override {
        ++Abandoned;
        Inner.Stop();
    }
    std::int64_t HeardFrames() const override { return Frozen >= 0 ? Frozen : Inner.HeardFrames(); }
    std::int64_t DueFrames() const override { return Inner.DueFrames(); }
    TOutputKind Kind() const override { return TOutputKind::Device; }
    QString Name() const override { return QStringLiteral("test: vanishing"); }
    long Rate() const override { return 44100; }
    QString HostApi() const override { return QStringLiteral("test"); }
    QString Device() const override { return QStringLiteral("vanishing"); }
    bool Lost() const override { return Gone; }

private:
    NullOutput Inner;
    int& Abandoned;
    std::int64_t Frozen = -1;
    bool Gone = false;
};

class LossTest : public ::testing::Test {
protected:
    ManualClock Clock;
    bool DeviceThere = true;
    int Opened = 0;
    int Abandoned = 0;
    int Changes = 0;
    VanishingDevice* Device = nullptr; // the last one opened
    AudioPlayer Player{AudioPlayer::Options{
        [this](long, IFrameSource& source) -> std::unique_ptr<AudioOutput> {
            ++Opened;
            if (!DeviceThere)
                return nullptr;
            auto device = std::make_unique<VanishingDevice>(source, Clock.Function(), Abandoned);
            Device = device.get();
            return device;
        },
        Clock.Function(), [this] { ++Changes; }}};

    void SetUp() override {
        ASSERT_TRUE(Player.Open(FixturePath("song_10s.mp3")));
        ASSERT_EQ(Player.OutputKind(), TOutputKind::Device);
    }

    void AdvanceTo(std::chrono::milliseconds step, std::int64_t expectedMs) {
        Clock.Advance(step);
        EXPECT_TRUE(WaitUntil([&] { return Player.PositionMs() >= expectedMs; }))
            << "position stuck at " << Player.PositionMs() << " ms, expected " << expectedMs;
        EXPECT_EQ(Player.PositionMs(), expectedMs);
    }

    // Polls like the show clock's ticks over `span`, in 10 ms steps, up to the first tick that
    // reports a loss; 1 when one did.
    int PollOver(std::chrono::milliseconds span) {
        for (auto passed = 0ms; passed < span; passed += 10ms) {
            Clock.Advance(10ms);
            if (Player.PollOutput())
                return 1;
        }
        return 0;
    }
};

} // namespace

TEST_F(LossTest, ASilentDeviceIsGivenUpOnceAndTheShowTimeGoesOnFromWhereItStopped) {
    EXPECT_EQ(Changes, 1); // the device opened
    Player.Play();
    AdvanceTo(1000ms, 1000);
    EXPECT_FALSE(Player.PollOutput()); // a tick while the device plays
    const std::int64_t heardLast = Player.PositionMs();

    Device->Vanish();
    // Until the stall limit has passed the device is trusted and the position waits.
    EXPECT_EQ(PollOver(AudioPlayer::StallLimit - 20ms), 0);
    EXPECT_EQ(Player.PositionMs(), heardLast);
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Device);
    EXPECT_EQ(PollOver(40ms), 1);
    EXPECT_EQ(Abandoned, 1) << "a lost device is let go of without waiting for it";

    // The null output took over at the time the show would have reached by now.
    const TOutputInfo info = Player.OutputInfo();
    EXPECT_EQ(info.Kind, TOutputKind::Null);
    EXPECT_TRUE(info.Lost);
    EXPECT_EQ(info.HostApi, QStringLiteral("test"));
    EXPECT_EQ(info.Device, QStringLiteral("vanishing"));
    EXPECT_EQ(info.DeviceRate, 44100);
    EXPECT_EQ(Changes, 2);
    const std::int64_t resumed = Player.PositionMs();
    EXPECT_GE(resumed, heardLast + AudioPlayer::StallLimit.count());
    EXPECT_LE(resumed, heardLast + AudioPlayer::StallLimit.count() + 30);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);

    // From then on it runs with the clock, and the loss is not reported again.
    AdvanceTo(500ms, resumed + 500);
    EXPECT_EQ(PollOver(1000ms), 0);
    EXPECT_EQ(Changes, 2);
    EXPECT_TRUE(WaitUntil([&] { return Player.PositionMs() == resumed + 1500; }));

    // Stop, seek and play again without a device: the player tries it, plays silently.
    Player.Stop();
    Player.Seek(2000);
    DeviceThere = false;
    const int opened = Opened;
    Player.Play();
    EXPECT_EQ(Opened, opened + 1);
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Null);
    EXPECT_TRUE(Player.OutputInfo().Lost);
    EXPECT_EQ(Changes, 2);
    AdvanceTo(300ms, 2300);
    EXPECT_EQ(PollOver(200ms), 0);

    // Once the device is back, the next Play plays through it.
    Player.Stop();
    DeviceThere = true;
    Player.Play();
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Device);
    EXPECT_FALSE(Player.OutputInfo().Lost);
    EXPECT_EQ(Changes, 3);
    const std::int64_t from = Player.PositionMs();
    AdvanceTo(250ms, from + 250);
}

TEST_F(LossTest, ALoopingRangeGoesOnRoundOnTheClockAfterTheDeviceIsLost) {
    Player.SetLooping(true);
    Player.SetPlayRange(1000, 1500);
    Player.Seek(1000);
    Player.Play();
    AdvanceTo(400ms, 1400);
    Device->Vanish();
    EXPECT_EQ(PollOver(AudioPlayer::StallLimit - 20ms), 0);
    EXPECT_EQ(PollOver(40ms), 1);
    // The stall limit (600 ms) and up to 30 ms on from 1,400 ms is 2,000 ms to 2,030 ms of
    // show time: round the range's end once, 1,000 ms to 1,030 ms.
    static_assert(AudioPlayer::StallLimit.count() == 600);
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Null);
    const std::int64_t resumed = Player.PositionMs();
    EXPECT_GE(resumed, 1000);
    EXPECT_LE(resumed, 1030);
    // And round again at the end, on the null output.
    const std::int64_t wraps = Player.RangeWraps();
    Clock.Advance(std::chrono::milliseconds(1500 - resumed + 100));
    // The count of rounds may be seen a moment before the position that goes with it.
    EXPECT_TRUE(
        WaitUntil([&] { return Player.RangeWraps() == wraps + 1 && Player.PositionMs() >= 1100; }));
    EXPECT_EQ(Player.RangeWraps(), wraps + 1);
    EXPECT_EQ(Player.PositionMs(), 1100);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
}

TEST_F(LossTest, ADeviceThatSaysItIsGoneIsGivenUpAtTheNextTick) {
    Player.Play();
    AdvanceTo(400ms, 400);
    EXPECT_FALSE(Player.PollOutput());
    Device->SayGone();
    Clock.Advance(10ms);
    EXPECT_TRUE(Player.PollOutput());
    EXPECT_FALSE(Player.PollOutput());
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Null);
    AdvanceTo(100ms, 510);
}

TEST_F(LossTest, ADeviceGoneWhileStoppedIsTriedAgainByPlayAndTheLossReportedOnce) {
    Player.Play();
    AdvanceTo(300ms, 300);
    Player.Stop();
    Device->SayGone();
    DeviceThere = false;
    Player.Play();
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Null);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Player.PositionMs(), 300);
    EXPECT_EQ(PollOver(10ms), 1);
    EXPECT_EQ(PollOver(100ms), 0);
    EXPECT_TRUE(Player.OutputInfo().Lost);
}

TEST_F(LossTest, NothingIsWatchedWhileStoppedOrAfterTheEnd) {
    Device->Vanish();
    EXPECT_EQ(PollOver(2000ms), 0); // stopped: nothing plays, nothing is lost
    EXPECT_EQ(Player.OutputKind(), TOutputKind::Device);

    Player.Close();
    EXPECT_FALSE(Player.PollOutput());
    EXPECT_EQ(Player.OutputInfo(), TOutputInfo{});
}

// --- Real JACK servers ------------------------------------------------------------------------

namespace {

std::int64_t MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

// How long `call` took, in ms. Ten seconds only tell a call that returns from one that hangs
// (the library's own wait is ten minutes); how promptly they return is measured in
// bench/bench_device.
template <typename Call> std::int64_t Timed(Call call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return MsSince(start);
}
constexpr std::int64_t HangMs = 10000;

// Polls like the show clock every 10 ms over `span`, counting the losses reported.
int LossesReportedOver(AudioPlayer& player, std::chrono::milliseconds span) {
    const auto start = std::chrono::steady_clock::now();
    int reports = 0;
    while (MsSince(start) < span.count()) {
        reports += player.PollOutput() ? 1 : 0;
        std::this_thread::sleep_for(10ms);
    }
    return reports;
}

// Polls like the show clock until a loss is reported; false when none came before HangMs.
bool LossReported(AudioPlayer& player) {
    const auto start = std::chrono::steady_clock::now();
    while (MsSince(start) < HangMs) {
        if (player.PollOutput())
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// Waits until the device worker has run everything queued before (a close that a dead server
// held up). That close runs in the background and nothing the user does waits for it, so on a
// loaded machine (a sanitizer build beside other suites) it is given three times HangMs.
bool DeviceWorkerFree() {
    const auto start = std::chrono::steady_clock::now();
    while (MsSince(start) < 3 * HangMs) {
        if (DeviceWorker::Instance().Run([] {}, 100ms))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// True once the position has passed `ms`, within HangMs.
bool PassesPosition(const AudioPlayer& player, std::int64_t ms) {
    const auto start = std::chrono::steady_clock::now();
    while (player.PositionMs() <= ms) {
        if (MsSince(start) > HangMs)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

void LoseTheServerWhilePlaying(const QString& name, int signal, bool restart) {
    TestJackServer server(name, 48000);
    ASSERT_TRUE(server.Start()) << server.Failure().toStdString();
    int changes = 0;
    AudioPlayer player(AudioPlayer::Options{OpenDeviceOutput, {}, [&] { ++changes; }});
    ASSERT_TRUE(player.Open(FixturePath("song_60_05s.mp3")));
    ASSERT_TRUE(player.OutputInfo().Jack) << player.OutputName().toStdString();
    ASSERT_EQ(player.OutputInfo().DeviceRate, 48000);
    EXPECT_EQ(changes, 1);

    player.Play();
    EXPECT_EQ(LossesReportedOver(player, 700ms), 0);
    ASSERT_TRUE(PassesPosition(player, 0));
    server.Signal(signal);
    const std::int64_t beforeLoss = player.PositionMs();

    // Noticed, reported once, and the show time is whole: it goes on from where it was.
    ASSERT_TRUE(LossReported(player)) << "the loss was never reported";
    EXPECT_EQ(LossesReportedOver(player, 500ms), 0) << "the loss was reported again";
    EXPECT_EQ(player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(player.OutputKind(), TOutputKind::Null);
    const TOutputInfo lost = player.OutputInfo();
    EXPECT_TRUE(lost.Lost);
    EXPECT_TRUE(lost.Jack);
    EXPECT_EQ(lost.Device, name);
    EXPECT_EQ(lost.SongRate, 44100);
    EXPECT_EQ(changes, 2);
    EXPECT_GE(player.PositionMs(), beforeLoss);
    EXPECT_TRUE(PassesPosition(player, player.PositionMs())) << "the show time stopped";

    // Nothing waits for the dead server.
    EXPECT_LT(Timed([&] { player.Seek(20000); }), HangMs);
    EXPECT_GE(player.PositionMs(), 20000);
    EXPECT_LT(Timed([&] { player.Stop(); }), HangMs);
    EXPECT_EQ(player.Mode(), TMediaMode::Stopped);

    if (restart) {
        // The server comes back: the next Play plays through it.
        if (signal == SIGSTOP)
            server.Stop();
        ASSERT_TRUE(server.Start()) << server.Failure().toStdString();
        const std::int64_t playMs = Timed([&] { player.Play(); });
        EXPECT_LT(playMs, HangMs);
        // On a loaded machine the device may take longer to open than the player waits for
        // one, or the worker may still be closing the old client: that Play goes on without
        // sound, as it should. Only then is one more Play allowed, once the worker is free.
        if (player.OutputInfo().Lost && playMs >= DeviceOpenLimit.count()) {
            player.Stop();
            ASSERT_TRUE(DeviceWorkerFree()) << "the device worker stays busy";
            player.Play();
        }
        const TOutputInfo regained = player.OutputInfo();
        EXPECT_EQ(regained.Kind, TOutputKind::Device);
        EXPECT_FALSE(regained.Lost);
        EXPECT_EQ(regained.DeviceRate, 48000);
        EXPECT_EQ(changes, 3);
        EXPECT_TRUE(PassesPosition(player, player.PositionMs())) << "nothing plays on it";
        EXPECT_EQ(LossesReportedOver(player, 300ms), 0);
    }
    EXPECT_LT(Timed([&] { player.Close(); }), HangMs);
    EXPECT_EQ(changes, restart ? 4 : 3);
}

} // namespace

TEST(DeviceLoss, AKilledServerIsNoticedOnceAndUsedAgainWhenItComesBack) {
    LoseTheServerWhilePlaying(QStringLiteral("lumivox-test-loss-kill"), SIGKILL, true);
}

TEST(DeviceLoss, ATerminatedServerIsNoticedOnceAndUsedAgainWhenItComesBack) {
    LoseTheServerWhilePlaying(QStringLiteral("lumivox-test-loss-term"), SIGTERM, true);
}

TEST(DeviceLoss, AFrozenServerIsNoticedOnceAndNeverWaitedFor) {
    LoseTheServerWhilePlaying(QStringLiteral("lumivox-test-loss-freeze"), SIGSTOP, true);
}

TEST(DeviceLoss, ThePlayerIsDestroyedPromptlyWithItsServerFrozen) {
    TestJackServer server(QStringLiteral("lumivox-test-loss-destroy"), 44100);
    ASSERT_TRUE(server.Start()) << server.Failure().toStdString();
    auto player = std::make_unique<AudioPlayer>();
    ASSERT_TRUE(player->Open(FixturePath("song_10s.mp3")));
    ASSERT_TRUE(player->OutputInfo().Jack);
    player->Play();
    std::this_thread::sleep_for(200ms);
    server.Signal(SIGSTOP);
    std::this_thread::sleep_for(100ms);
    // Without polling, the player still believes in its device; closing it must not hang.
    EXPECT_LT(Timed([&] { player.reset(); }), HangMs);
}

// --- Whole processes --------------------------------------------------------------------------

namespace {

struct ProbeRun {
    int Code = -1;
    bool Finished = false;
    QString Out;
    QString Err;
    std::int64_t Ms = 0;
};

// Runs the player probe on `song` for `playMs`; `whilePlaying` runs once it plays.
ProbeRun RunProbe(const char* song, int playMs, const std::function<void()>& whilePlaying = {}) {
    ProbeRun run;
    QProcess probe;
    const auto start = std::chrono::steady_clock::now();
    probe.start(QStringLiteral(LUMIVOX_PLAYER_PROBE_PATH),
                {FixturePath(song), QString::number(playMs)});
    if (!probe.waitForStarted(10000))
        return run;
    QByteArray out;
    while (!out.contains("playing\n") && probe.waitForReadyRead(10000))
        out += probe.readAllStandardOutput();
    if (whilePlaying)
        whilePlaying();
    run.Finished = probe.waitForFinished(playMs + 20000);
    if (!run.Finished) {
        probe.kill();
        probe.waitForFinished();
    }
    run.Ms = MsSince(start);
    run.Code = probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
    run.Out = QString::fromLocal8Bit(out + probe.readAllStandardOutput());
    run.Err = QString::fromLocal8Bit(probe.readAllStandardError());
    return run;
}

} // namespace

TEST(DeviceLossProcess, LeavesPromptlyAndCleanlyAfterItsServerFroze) {
    TestJackServer server(QStringLiteral("lumivox-test-loss-exit"), 48000);
    ASSERT_TRUE(server.Start()) << server.Failure().toStdString();
    // The probe would play for a minute; a frozen server makes it stop at the loss, close
    // the player with a JACK call stuck on the worker, and leave.
    const ProbeRun run = RunProbe("song_60_05s.mp3", 60000, [&] {
        std::this_thread::sleep_for(300ms);
        server.Signal(SIGSTOP);
    });
    ASSERT_TRUE(run.Finished) << "the probe hung: " << run.Out.toStdString();
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains("output JACK: lumivox-test-loss-exit 48000\n"))
        << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains("lost\nclosed\ndone\n")) << run.Out.toStdString();
    // Nothing on the terminal: no library chatter, no sanitizer report.
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    EXPECT_LT(run.Ms, 30000);
}

TEST(DeviceLossProcess, ProbingForDevicesThatAreNotThereIsSilent) {
    // No JACK server of this name, and (on a machine without sound hardware) no ALSA card:
    // both libraries would say so on the terminal.
    const JackServerChoice nowhere(
        QStringLiteral("lumivox-test-absent-%1").arg(QCoreApplication::applicationPid()));
    const ProbeRun run = RunProbe("song_350ms.mp3", 200);
    ASSERT_TRUE(run.Finished);
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.startsWith("output ")) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains("done\n"));
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
}
