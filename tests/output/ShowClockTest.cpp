// The show clock driving real-time output to the simulated playback unit: which tracks record
// and send, the state chase after jumps and switch-on, and a unit that ends up holding exactly
// what the show says however late it answers.
#include "show/ShowClock.h"
#include "output/RealTimeOutput.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace lumivox;
using namespace lumivox::test;

namespace {

constexpr int SlotMs = 100;
constexpr int ClockPatience = 60000; // ms a test waits for the unit at most

// A song that plays on the steady clock from where it was put, or holds still where a test
// puts it.
class ScriptedPlayer : public IMediaPlayer {
public:
    std::int64_t Length = 10000;

    bool Open(const QString&) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    void Play() override {
        From = PositionMs();
        Started = std::chrono::steady_clock::now();
        Running = From < Length;
        Held = false;
    }
    void Stop() override {
        From = PositionMs();
        Running = false;
        Held = false;
    }
    void Seek(std::int64_t ms) override {
        From = std::clamp<std::int64_t>(ms, 0, Length);
        Started = std::chrono::steady_clock::now();
    }
    std::int64_t PositionMs() const override {
        if (!Running || Held)
            return From;
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - Started);
        return std::min(From + elapsed.count(), Length);
    }
    std::int64_t LengthMs() const override { return Length; }
    TMediaMode Mode() const override {
        return Running && PositionMs() < Length ? TMediaMode::Playing : TMediaMode::Stopped;
    }
    // The tests here play no ranges.
    void SetPlayRange(std::int64_t, std::int64_t) override {}
    void ClearPlayRange() override {}
    void SetLooping(bool) override {}
    std::int64_t RangeWraps() const override { return 0; }
    // Holds the song at `ms` while counting as playing (a test moves it by hand).
    void HoldPlayingAt(std::int64_t ms) {
        From = ms;
        Running = true;
        Held = true;
    }

private:
    std::int64_t From = 0;
    std::chrono::steady_clock::time_point Started;
    bool Running = false;
    bool Held = false;
};

class ShowClockTest : public ::testing::Test {
protected:
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    SerialLink Link;
    RealTimeOutput Output{Link, Ui, Lang};
    ShowDocument Doc;
    ScriptedPlayer Player;
    HeadlessTransportHost Host;
    ShowClock Clock{Player, Doc};
    Transport Motion{Player, Host, Clock};
    std::vector<int> Recorded; // outputs of the tracks asked to record

    void SetUp() override {
        Clock.AddOutput(Output);
        Clock.SetPositionUpdate([this] { Motion.Tick(); });
        Clock.SetRecorder([this](const TFullTrack& t, int) { Recorded.push_back(t.Output); });
    }
    // A song of `slots` slots of 100 ms.
    void MakeSong(int slots) {
        Player.Length = std::int64_t{slots} * SlotMs;
        Doc.SlotCount = slots + 1;
    }
    // A track of the show, written through the show.
    struct WrittenTrack {
        ShowDocument& Doc;
        int Number;
        int SlotCount() const { return Doc.Track(Number).SlotCount(); }
        bool SetValue(int index, int value) {
            return Doc.SetSlot(Number, index, static_cast<std::uint8_t>(value));
        }
    };
    WrittenTrack AddTrack(std::uint8_t output) {
        Doc.AddTrack(Lang);
        Doc.SetOutput(Doc.TrackCount(), output);
        return {Doc, Doc.TrackCount()};
    }
    bool SwitchOn(const QString& port) {
        Output.ChoosePort(port);
        Output.ToggleMode();
        return Output.Active();
    }
    // Nothing waits or is on the wire.
    bool WaitForLink() {
        return QTest::qWaitFor([this] { return !Output.Sending() && Output.QueuedCount() == 0; },
                               ClockPatience);
    }
    // The song is over and the link has caught up.
    bool WaitForQuiet() {
        return QTest::qWaitFor([this] { return Player.Mode() != TMediaMode::Playing; },
                               ClockPatience) &&
               WaitForLink();
    }
    // Each output's value at the song's last slot.
    std::vector<int> ShowEnd() const {
        std::vector<int> levels(256, 0);
        for (const auto& track : Doc.Tracks()) {
            std::uint8_t value = 0;
            track->GetValue(track->SlotCount() - 1, value);
            levels[track->Output] = value;
        }
        return levels;
    }
};

} // namespace

TEST_F(ShowClockTest, OnlyHeardTracksRecordAndSendTheValueAtTheNextIndex) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    MakeSong(20);
    for (std::uint8_t output : {1, 2, 3})
        AddTrack(output).SetValue(3, static_cast<std::uint8_t>(output * 10)); // at slot 2
    Doc.SetMute(2, true);
    ASSERT_TRUE(SwitchOn(unit.Path));
    Player.HoldPlayingAt(100);
    Clock.Tick(); // slot 1: the first tick tells the unit the state (0 everywhere)
    EXPECT_EQ(Recorded, (std::vector<int>{1, 3}));
    ASSERT_TRUE(WaitForLink());
    Player.HoldPlayingAt(250); // slot 2: index 3 against index 2
    Clock.Tick();
    ASSERT_TRUE(WaitForLink());
    EXPECT_EQ(unit.Changes(),
              (std::vector<TLoggedChange>{{0, 1, 0}, {0, 3, 0}, {0, 1, 10}, {0, 3, 30}}));
    // While any track is soloed only soloed tracks count.
    Doc.SetSolo(3, true);
    Recorded.clear();
    Clock.Tick();
    EXPECT_EQ(Recorded, std::vector<int>{3});
    EXPECT_EQ(unit.FinalState()[2], 0); // the muted track never reached the unit
}

TEST_F(ShowClockTest, TheOutputOffsetShiftsTheSlotRecordingAndOutputsGetAndTheTickCadence) {
    MakeSong(20);
    AddTrack(1);
    std::vector<int> slots;
    Clock.SetRecorder([&slots](const TFullTrack&, int slot) { slots.push_back(slot); });
    struct Case {
        int Offset;
        std::int64_t Position;
        int Slot;
        int MsToTick;
    };
    // On a 10 ms boundary of shifted time the next tick falls 11 ms on.
    for (const Case& c : {Case{0, 250, 2, 11}, Case{200, 250, 4, 11}, Case{-200, 250, 0, 11},
                          Case{-500, 150, 0, 11}, Case{3, 250, 2, 8}, Case{-3, 250, 2, 4},
                          Case{-60, 1000, 9, 11}, Case{95, 1000, 10, 6}}) {
        Clock.SetOutputOffsetMs(c.Offset);
        Player.HoldPlayingAt(c.Position);
        slots.clear();
        Clock.Tick();
        EXPECT_EQ(slots, std::vector<int>{c.Slot}) << c.Offset << " at " << c.Position;
        EXPECT_EQ(Clock.MsToNextTick(), c.MsToTick) << c.Offset << " at " << c.Position;
    }
    Clock.SetOutputOffsetMs(900);
    EXPECT_EQ(Clock.OutputOffsetMs(), ShowClock::MaxOutputOffsetMs);
    Clock.SetOutputOffsetMs(-900);
    EXPECT_EQ(Clock.OutputOffsetMs(), -ShowClock::MaxOutputOffsetMs);
}

TEST_F(ShowClockTest, AJumpOrSkippedSlotsTellTheUnitTheWholeStateAtTheNewPosition) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    MakeSong(40);
    // Output 1 goes to 50 at slot 5 and to 60 at slot 20; output 2 holds 7 from the start.
    WrittenTrack changing = AddTrack(1);
    for (int index = 5; index < changing.SlotCount(); ++index)
        changing.SetValue(index, index < 20 ? 50 : 60);
    WrittenTrack steady = AddTrack(2);
    for (int index = 1; index < steady.SlotCount(); ++index)
        steady.SetValue(index, 7);
    ASSERT_TRUE(SwitchOn(unit.Path));
    Player.HoldPlayingAt(100);
    Clock.Tick();
    ASSERT_TRUE(WaitForLink());
    // The UI thread was held up past slot 5's start: slot 8 is the next it sees.
    Player.HoldPlayingAt(800);
    Clock.Tick();
    ASSERT_TRUE(WaitForLink());
    EXPECT_EQ(Output.AcknowledgedValue(1), 50);
    // A locate back before slot 5 while playing: output 1 is 0 there again.
    Motion.Locate(8); // slot 0
    Player.HoldPlayingAt(Motion.CuePosition());
    Clock.Tick();
    ASSERT_TRUE(WaitForLink());
    EXPECT_EQ(Output.AcknowledgedValue(1), 0);
    // Every jump told the steady output again, though it never changed.
    const std::vector<TLoggedChange> changes = unit.Changes();
    EXPECT_EQ(std::count(changes.begin(), changes.end(), TLoggedChange{0, 2, 7}), 3);
    const std::vector<int> state = unit.FinalState();
    EXPECT_EQ(state[1], 0);
    EXPECT_EQ(state[2], 7);
}

TEST_F(ShowClockTest, SwitchingOnMidSongSendsEveryHeardTracksCurrentValue) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    MakeSong(30);
    for (int t = 1; t <= 20; ++t) {
        WrittenTrack track = AddTrack(static_cast<std::uint8_t>(t));
        for (int index = 1; index < track.SlotCount(); ++index)
            track.SetValue(index, static_cast<std::uint8_t>(t * 10)); // never changes
    }
    Clock.Enable(true);
    Motion.Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Player.PositionMs() >= 1000; }, ClockPatience));
    ASSERT_TRUE(SwitchOn(unit.Path));
    ASSERT_TRUE(WaitForQuiet());
    const std::vector<int> state = unit.FinalState();
    for (int t = 1; t <= 20; ++t)
        EXPECT_EQ(state[static_cast<std::size_t>(t)], t * 10) << "output " << t;
}

TEST_F(ShowClockTest, ALostSoundDeviceIsReportedOnceAfterTheTickAndResyncsTheOutputs) {
    MakeSong(50);
    int polls = 0;
    Clock.SetOutputWatch([&] { return ++polls == 3; });
    QSignalSpy lost(&Clock, &ShowClock::OutputLost);
    Player.HoldPlayingAt(500);
    Output.TickBegin(6); // the slot the clock reads at 500 ms
    Clock.Tick();
    Clock.Tick();
    Output.TickBegin(6); // the slot the clock reads at 500 ms
    EXPECT_FALSE(Output.Chasing());
    Clock.Tick();               // the watch reports the loss
    EXPECT_EQ(lost.count(), 0); // not from inside the tick: a message box would stall it
    ASSERT_TRUE(lost.wait(1000));
    Clock.Tick();
    EXPECT_EQ(lost.count(), 1);
    Output.TickBegin(6); // the slot the clock reads at 500 ms
    EXPECT_TRUE(Output.Chasing());
    // Stopped, the watch is not asked.
    Player.Stop();
    const int asked = polls;
    Clock.Tick();
    EXPECT_EQ(polls, asked);
}

// Songs played in real time against units that answer late: the link falls behind, but every
// output ends at its track's last value and no output's values arrive out of order.
struct TLateUnit {
    int AckDelayMs;
    int Tracks;
    int Slots;
};

class ShowClockConvergence : public ShowClockTest,
                             public ::testing::WithParamInterface<TLateUnit> {};

TEST_P(ShowClockConvergence, EveryOutputEndsAtItsTracksLastValue) {
    const TLateUnit late = GetParam();
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QString::number(late.AckDelayMs)});
    ASSERT_FALSE(unit.Path.isEmpty());
    MakeSong(late.Slots);
    for (int t = 0; t < late.Tracks; ++t) {
        WrittenTrack track = AddTrack(static_cast<std::uint8_t>(t + 1));
        for (int index = 1; index < track.SlotCount(); ++index) {
            // Even tracks go A, B, A, B... every slot; odd ones step through other values.
            const int value = t % 2 == 0 ? (index % 2 == 0 ? t + 1 : 200) : (index * 37 + t) % 251;
            track.SetValue(index, static_cast<std::uint8_t>(value));
        }
    }
    ASSERT_TRUE(SwitchOn(unit.Path));
    Clock.Enable(true);
    Motion.Play();
    ASSERT_TRUE(WaitForQuiet());
    EXPECT_TRUE(Ui.Events.empty());
    const std::vector<TLoggedChange> changes = unit.Changes();
    const std::vector<int> state = unit.FinalState();
    ASSERT_EQ(state.size(), 256u);
    const std::vector<int> wanted = ShowEnd();
    int wrong = 0;
    for (int t = 1; t <= late.Tracks; ++t)
        wrong += state[static_cast<std::size_t>(t)] != wanted[static_cast<std::size_t>(t)];
    EXPECT_EQ(wrong, 0);
    // Each output's arrivals follow its track's values in song order (a value may repeat or
    // be skipped when the link is behind, never come back after a later one).
    for (const auto& track : Doc.Tracks()) {
        int index = 1;
        for (const TLoggedChange& change : changes) {
            if (change.Output != track->Output)
                continue;
            std::uint8_t value = 0;
            while (index < track->SlotCount() &&
                   !(track->GetValue(index, value) && value == change.Value))
                ++index;
            ASSERT_LT(index, track->SlotCount())
                << "output " << int(track->Output) << " got " << change.Value << " out of order";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LateUnits, ShowClockConvergence,
                         ::testing::Values(TLateUnit{0, 100, 30}, TLateUnit{1, 100, 30},
                                           TLateUnit{20, 12, 20}, TLateUnit{150, 4, 20}),
                         [](const auto& param) {
                             return "AckDelay" + std::to_string(param.param.AckDelayMs) + "ms" +
                                    std::to_string(param.param.Tracks) + "Tracks";
                         });
