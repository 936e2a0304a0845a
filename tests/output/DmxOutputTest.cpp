// DMX output: the frame rules (a track per channel, "All" filling the rest), when a frame is
// handed over (slot changes, changes within a slot, chases), and the sending through a real
// olad: frames read back by another client, repeated every second, a universe change, and an
// olad that goes away and comes back.
#include "output/DmxOutput.h"

#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"
#include "support/output/OlaTestSupport.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

// A port where no olad answers.
constexpr std::uint16_t NobodyPort = 1;

TDmxFrame FrameOf(std::initializer_list<std::pair<int, int>> channels) {
    TDmxFrame frame{};
    for (const auto& [channel, value] : channels)
        frame[static_cast<std::size_t>(channel - 1)] = static_cast<std::uint8_t>(value);
    return frame;
}

// Tracks of a show ticked through a DMX output the way the show clock does.
class DmxShow {
public:
    explicit DmxShow(std::uint16_t port, int slots = 40) : Dmx(Ui, Lang, port) {
        Doc.SlotCount = slots + 1;
    }
    int AddTrack(std::uint8_t output) {
        Doc.AddTrack(Lang);
        Doc.SetOutput(Doc.TrackCount(), output);
        return Doc.TrackCount();
    }
    // One tick at `slot`, counted from 0 as the transport does (the show's slot slot + 1).
    void Tick(int slot) {
        Dmx.TickBegin(slot + 1);
        for (const TFullTrack* track : Doc.Tracks())
            if (track->Heard(Doc.SoloActive()))
                Dmx.TickTrack(*track, slot + 1);
        Dmx.TickEnd();
    }
    void SwitchOn(unsigned universe = 1) {
        Dmx.SetUniverse(universe);
        Dmx.SetEnabled(true);
        Dmx.SetLive(true);
    }

    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    ShowDocument Doc;
    TDmxOutput Dmx;
};

} // namespace

TEST(DmxFrameTest, EachOutputDrivesItsChannelAndAllFillsOnlyTheChannelsNobodyDrives) {
    TDmxFrameBuilder builder;
    EXPECT_EQ(builder.Finish(), TDmxFrame{}) << "nothing heard: a black frame";
    builder.Add(3, 200);
    builder.Add(255, 17);
    builder.Add(7, 0); // driven at 0: All does not light it
    builder.Add(9, 10);
    builder.Add(9, 90); // two tracks on one channel: the higher one
    builder.Add(9, 40);
    EXPECT_EQ(builder.Finish(), FrameOf({{3, 200}, {255, 17}, {9, 90}}));
    builder.Add(0, 50);
    builder.Add(0, 20);
    const TDmxFrame frame = builder.Finish();
    for (int channel = 1; channel <= 255; ++channel) {
        int expected = 50;
        if (channel == 3)
            expected = 200;
        else if (channel == 255)
            expected = 17;
        else if (channel == 7)
            expected = 0;
        else if (channel == 9)
            expected = 90;
        EXPECT_EQ(frame[static_cast<std::size_t>(channel - 1)], expected) << channel;
    }
    for (std::size_t index = 255; index < frame.size(); ++index)
        EXPECT_EQ(frame[index], 0) << "channel " << index + 1 << " is no output's";
    builder.Begin();
    EXPECT_EQ(builder.Finish(), TDmxFrame{}) << "a new tick starts black";
}

TEST(DmxFrameTest, FramesGoOutAtSlotChangesChangesWithinASlotAndChasesOnly) {
    DmxShow show(NobodyPort);
    const int track = show.AddTrack(4);
    show.Doc.FillSlots(track, 1, 40, 10);
    show.Doc.FillSlots(track, 6, 40, 60); // from slot 5 on
    show.SwitchOn();
    show.Tick(0);
    EXPECT_EQ(show.Dmx.HandedOver(), 1u);
    EXPECT_EQ(show.Dmx.Frame(), FrameOf({{4, 10}}));
    show.Tick(0);
    show.Tick(0);
    EXPECT_EQ(show.Dmx.HandedOver(), 1u) << "the same slot and frame: the sender repeats it";
    show.Tick(1);
    EXPECT_EQ(show.Dmx.HandedOver(), 2u) << "each slot change sends, even an unchanged frame";
    show.Doc.SetSlot(track, 2, 33); // edited while playing, within the slot
    show.Tick(1);
    EXPECT_EQ(show.Dmx.HandedOver(), 3u);
    EXPECT_EQ(show.Dmx.Frame(), FrameOf({{4, 33}}));
    show.Dmx.RequestChase(); // Play, Locate
    show.Tick(1);
    EXPECT_EQ(show.Dmx.HandedOver(), 4u);
    show.Tick(5);
    EXPECT_EQ(show.Dmx.Frame(), FrameOf({{4, 60}}));
    // Switching on again chases; switching the universe does too.
    const std::uint64_t before = show.Dmx.HandedOver();
    show.Dmx.SetLive(false);
    show.Dmx.SetLive(true);
    show.Tick(5);
    show.Dmx.SetUniverse(2);
    show.Tick(5);
    EXPECT_EQ(show.Dmx.HandedOver(), before + 2);
    EXPECT_FALSE(show.Dmx.Active() && show.Dmx.Universe() != 2u);
}

TEST(DmxFrameTest, MutedAndUnsoloedTracksLeaveTheirChannelsAtZeroOrToAll) {
    DmxShow show(NobodyPort);
    for (int output = 1; output <= 3; ++output)
        show.Doc.FillSlots(show.AddTrack(static_cast<std::uint8_t>(output)), 1, 40,
                           static_cast<std::uint8_t>(output * 20));
    show.SwitchOn();
    show.Doc.SetMute(2, true);
    show.Tick(0);
    EXPECT_EQ(show.Dmx.Frame(), FrameOf({{1, 20}, {3, 60}}));
    show.Doc.SetSolo(3, true);
    show.Tick(1);
    EXPECT_EQ(show.Dmx.Frame(), FrameOf({{3, 60}}));
    const int all = show.AddTrack(0);
    show.Doc.FillSlots(all, 1, 40, 5);
    show.Doc.SetSolo(all, true);
    show.Tick(2);
    TDmxFrame expected{};
    std::fill(expected.begin(), expected.begin() + 255, 5);
    expected[2] = 60;
    EXPECT_EQ(show.Dmx.Frame(), expected) << "only soloed tracks are heard; All fills the rest";
}

TEST(DmxFrameTest, AnOladThatDoesNotAnswerIsSaidOnceAndOnlyWhileDmxIsOn) {
    DmxShow show(NobodyPort);
    show.Dmx.SetEnabled(true); // on, but real-time mode is off: nothing is asked
    QTest::qWait(300);
    EXPECT_EQ(show.Dmx.Reach(), TOlaReach::Unknown);
    EXPECT_TRUE(show.Ui.Texts(Kind::Warning).isEmpty());
    show.Dmx.SetLive(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !show.Ui.Texts(Kind::Warning).isEmpty(); }, 5000));
    EXPECT_EQ(show.Dmx.Reach(), TOlaReach::Unreachable);
    show.Tick(0);
    show.Tick(1);
    QTest::qWait(1500); // several retries
    EXPECT_EQ(show.Ui.Texts(Kind::Warning),
              QStringList{Text(TextTable::DmxText, DmxText::Lost, Language::English).arg(1)});
    EXPECT_EQ(show.Dmx.Delivered(), 0u);
    EXPECT_EQ(show.Dmx.HandedOver(), 2u) << "the show goes on without olad";
    // Switched off and on again: the operator is told again.
    show.Dmx.SetLive(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return show.Dmx.Reach() == TOlaReach::Unknown; }, 5000));
    show.Lang = Language::German;
    show.Dmx.SetLive(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return show.Ui.Texts(Kind::Warning).size() == 2; }, 5000));
    EXPECT_EQ(show.Ui.Texts(Kind::Warning).back(),
              Text(TextTable::DmxText, DmxText::Lost, Language::German).arg(1));
}

TEST(DmxOutputOladTest, FramesReachAClientOfTheUniverseAndAreRepeatedEverySecond) {
    QString why;
    const auto port = SharedOladPort(&why);
    if (!port)
        GTEST_SKIP() << "SKIPPED: olad cannot start here: " << why.toStdString();
    UniverseReader reader(*port, 11);
    ASSERT_TRUE(reader.Ready());
    DmxShow show(*port);
    const int a = show.AddTrack(1);
    const int b = show.AddTrack(200);
    show.Doc.FillSlots(a, 1, 40, 255);
    show.Doc.FillSlots(b, 3, 40, 128);
    show.SwitchOn(11);
    QSignalSpy reach(&show.Dmx, &TDmxOutput::ReachChanged);
    show.Tick(0);
    ASSERT_TRUE(reader.WaitFor([](const TDmxFrame& f) { return f == FrameOf({{1, 255}}); }));
    show.Tick(1);
    show.Tick(2);
    ASSERT_TRUE(reader.WaitFor([](const TDmxFrame& f) {
        return f == FrameOf({{1, 255}, {200, 128}});
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return show.Dmx.Reach() == TOlaReach::Reachable; }, 5000));
    EXPECT_TRUE(show.Ui.Texts(Kind::Warning).isEmpty());
    // The song holds still: the frame is sent again at least once a second.
    const std::size_t settled = reader.Count();
    const std::uint64_t delivered = show.Dmx.Delivered();
    QTest::qWait(2300);
    EXPECT_GE(show.Dmx.Delivered(), delivered + 2);
    EXPECT_GE(reader.Count(), settled + 2);
    EXPECT_EQ(*reader.Last(), FrameOf({{1, 255}, {200, 128}}));
    // Another universe gets the whole frame at once.
    UniverseReader other(*port, 12);
    ASSERT_TRUE(other.Ready());
    show.Dmx.SetUniverse(12);
    show.Tick(2);
    EXPECT_TRUE(other.WaitFor([](const TDmxFrame& f) {
        return f == FrameOf({{1, 255}, {200, 128}});
    }));
}

TEST(DmxOutputOladTest, AnOladThatGoesAwayIsSaidOnceAndGetsTheNewestFrameWhenItIsBack) {
    OladProcess olad;
    if (!olad.Start())
        GTEST_SKIP() << "SKIPPED: olad cannot start here: " << olad.Error.toStdString();
    DmxShow show(olad.Port());
    const int track = show.AddTrack(5);
    for (int slot = 0; slot < 40; ++slot)
        show.Doc.SetSlot(track, slot + 1, static_cast<std::uint8_t>(slot * 5));
    show.SwitchOn();
    show.Tick(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return show.Dmx.Delivered() >= 1; }, 5000));
    olad.Stop();
    for (int slot = 1; slot <= 8; ++slot) {
        show.Tick(slot);
        QTest::qWait(20);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !show.Ui.Texts(Kind::Warning).isEmpty(); }, 5000));
    EXPECT_EQ(show.Dmx.Reach(), TOlaReach::Unreachable);
    ASSERT_TRUE(olad.Start()) << olad.Error.toStdString();
    UniverseReader reader(olad.Port(), 1);
    ASSERT_TRUE(reader.Ready());
    // No tick needed: the newest frame goes out once olad answers again.
    EXPECT_TRUE(reader.WaitFor([](const TDmxFrame& f) { return f == FrameOf({{5, 40}}); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return show.Dmx.Reach() == TOlaReach::Reachable; }, 5000));
    show.Tick(9);
    EXPECT_TRUE(reader.WaitFor([](const TDmxFrame& f) { return f == FrameOf({{5, 45}}); }));
    EXPECT_EQ(show.Ui.Texts(Kind::Warning).size(), 1);
}
