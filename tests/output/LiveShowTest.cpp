// The live show over outputs of the test's own and a song held still by the test: the order of
// a tick's work and the slot every output reads, the chase on every jump, and a blackout that
// never waits on one output before starting the next, however stuck that one is.
#include "show/LiveShow.h"

#include "core/SlotTime.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;

namespace {

// A song that stays where the test puts it, playing or not.
class HeldPlayer : public IMediaPlayer {
public:
    std::int64_t At = 0;
    bool Running = false;

    bool Open(const QString&) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    void Play() override { Running = true; }
    void Stop() override { Running = false; }
    void Seek(std::int64_t ms) override { At = ms; }
    std::int64_t PositionMs() const override { return At; }
    std::int64_t LengthMs() const override { return 60000; }
    TMediaMode Mode() const override { return Running ? TMediaMode::Playing : TMediaMode::Stopped; }
    void SetPlayRange(std::int64_t, std::int64_t) override {}
    void ClearPlayRange() override {}
    void SetLooping(bool) override {}
    std::int64_t RangeWraps() const override { return 0; }
};

// An output that writes down what it is asked, into a log it may share with another.
class LoggingOutput : public ILiveOutput {
public:
    LoggingOutput(QString name, QStringList& log) : Name(std::move(name)), Log(log) {}

    bool On = true;
    int Chases = 0;
    int Blackouts = 0;
    TBlackoutState State = TBlackoutState::Delivered;
    int Patience = 10000;

    QString OutputName() const override { return Name; }
    bool Active() const override { return On; }
    void TickBegin(int slot) override { Log << QStringLiteral("%1 begin %2").arg(Name).arg(slot); }
    void TickTrack(const TFullTrack& track, int slot) override {
        std::uint8_t value = 0;
        track.GetValue(slot, value);
        Log << QStringLiteral("%1 output %2 = %3").arg(Name).arg(track.Output).arg(value);
    }
    void TickEnd() override { Log << QStringLiteral("%1 end").arg(Name); }
    void RequestChase() override { ++Chases; }
    void StartBlackout() override {
        ++Blackouts;
        Log << QStringLiteral("%1 blackout").arg(Name);
    }
    TBlackoutState BlackoutState() const override { return State; }
    int BlackoutPatienceMs() const override { return Patience; }
    TOutputHealth Health() const override { return On ? TOutputHealth::Live : TOutputHealth::Off; }

private:
    QString Name;
    QStringList& Log;
};

class LiveShowTest : public ::testing::Test {
protected:
    static constexpr int SlotMs = 100;
    Language Lang = Language::English;
    ShowDocument Doc;
    HeldPlayer Player;
    LiveShow Live{Player, Doc};
    QStringList Log;
    LoggingOutput Serial{QStringLiteral("serial"), Log};
    LoggingOutput Dmx{QStringLiteral("dmx"), Log};

    void SetUp() override {
        Doc.SlotCount = 50;
        // Track n on output n holds 10·n + its slot number in every slot.
        for (int n = 1; n <= 3; ++n) {
            Doc.AddTrack(Lang);
            Doc.SetOutput(n, static_cast<std::uint8_t>(n));
            for (int slot = 1; slot < Doc.Track(n).SlotCount(); ++slot)
                Doc.SetSlot(n, slot, static_cast<std::uint8_t>(10 * n + slot));
        }
        Live.AddOutput(Serial);
        Live.AddOutput(Dmx);
        Live.Clock().SetPositionUpdate(
            [this] { Live.Clock().TickWork(SlotAtMs(Player.PositionMs(), SlotMs) - 1); });
    }
};

} // namespace

TEST_F(LiveShowTest, EachActiveOutputGetsTheHeardTracksOfTheSameOneBasedSlotInShowOrder) {
    Doc.SetMute(2, true);
    Player.Running = true;
    Player.At = 250; // slot 3 covers 200..299 ms
    std::vector<int> recorded;
    Live.Clock().SetRecorder(
        [&](const TFullTrack& track, int slot) { recorded.push_back(track.Output * 1000 + slot); });
    Live.Clock().Tick();
    EXPECT_EQ(Log, (QStringList{"serial begin 3", "dmx begin 3", "serial output 1 = 13",
                                "dmx output 1 = 13", "serial output 3 = 33", "dmx output 3 = 33",
                                "serial end", "dmx end"}));
    EXPECT_EQ(recorded, (std::vector<int>{1002, 3002})) << "recording keeps its 0-based slot";

    // An output switched off is left out of the tick; the other goes on alone. With an
    // offset every output reads the shifted slot.
    Log.clear();
    Serial.On = false;
    Live.Clock().SetOutputOffsetMs(200);
    Live.Clock().Tick();
    EXPECT_EQ(Log,
              (QStringList{"dmx begin 5", "dmx output 1 = 15", "dmx output 3 = 35", "dmx end"}));

    // A removed output hears nothing more; the slot mapping holds at the song's edges.
    Log.clear();
    Live.RemoveOutput(Dmx);
    Serial.On = true;
    Live.Clock().SetOutputOffsetMs(-500);
    Player.At = 0;
    Live.Clock().Tick();
    EXPECT_EQ(Log.first(), QStringLiteral("serial begin 1")) << "before the song is slot 1";
    EXPECT_FALSE(Log.join(' ').contains(QStringLiteral("dmx")));
    EXPECT_EQ(SlotAtMs(99, SlotMs), 1);
    EXPECT_EQ(SlotAtMs(100, SlotMs), 2);
    EXPECT_EQ(SlotAtMs(-1, SlotMs), 1);
    EXPECT_EQ(SlotAtMs(12345, 0), 1);
}

TEST_F(LiveShowTest, JoiningAndEveryJumpOfTheClockAskEveryOutputForTheWholeState) {
    EXPECT_EQ(Serial.Chases, 1) << "an output that joins learns the whole state";
    EXPECT_EQ(Dmx.Chases, 1);
    HeadlessTransportHost host(SlotMs);
    Transport motion(Player, host, Live.Clock());
    motion.Play();
    EXPECT_EQ(Serial.Chases, 2);
    EXPECT_EQ(Dmx.Chases, 2);
    motion.LocateMs(3000);
    EXPECT_EQ(Serial.Chases, 3);
    EXPECT_EQ(Dmx.Chases, 3);
}

TEST_F(LiveShowTest, ABlackoutStartsOnEveryOutputAtOnceAndAStuckOneCostsOnlyItsOwnPatience) {
    Live.Clock().Enable(true);
    Serial.State = TBlackoutState::Pending; // the unit takes its time
    Dmx.State = TBlackoutState::Pending;    // olad is gone: never answers
    Dmx.Patience = 300;
    QSignalSpy finished(&Live, &LiveShow::BlackoutFinished);
    Live.Blackout();
    EXPECT_FALSE(Live.Clock().Enabled()) << "no tick builds anything over the blackout";
    EXPECT_EQ(Log, (QStringList{"serial blackout", "dmx blackout"}))
        << "the second output's blackout does not wait for the first";
    EXPECT_EQ(finished.count(), 0) << "reported from the event loop, not from inside the call";
    EXPECT_TRUE(Live.BlackingOut());

    // The serial unit answers after the DMX output's patience has run out: the live show
    // waits for it, and names only the output that never confirmed.
    QTest::qWait(600);
    EXPECT_EQ(finished.count(), 0) << "the serial blackout is still under way";
    Serial.State = TBlackoutState::Delivered;
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.takeFirst().at(0).toStringList(), QStringList{"dmx"});
    EXPECT_FALSE(Live.BlackingOut());

    // An output that has failed is given up on at once, not after its patience; one that was
    // not live has nothing to black out.
    Serial.State = TBlackoutState::Failed;
    Serial.Patience = 600000;
    Dmx.State = TBlackoutState::Delivered;
    Live.Blackout();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(finished.takeFirst().at(0).toStringList(), QStringList{"serial"});
    EXPECT_EQ(Serial.Blackouts, 2);
    EXPECT_EQ(Dmx.Blackouts, 2);
}
