// The serial link and real-time output against the simulated playback unit on a real
// pseudo-terminal: the bytes on the wire, acknowledges, time-outs and the mode's messages.
#include "output/SerialLink.h"
#include "output/RealTimeOutput.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

constexpr int Patience = 10000; // ms a test waits for the unit at most

std::vector<TLoggedChange> Expected(std::initializer_list<std::pair<int, int>> changes) {
    std::vector<TLoggedChange> list;
    for (const auto& [output, value] : changes)
        list.push_back({0, output, value});
    return list;
}

// Sends one change and waits for its outcome.
std::optional<TLinkResult> SendAndWait(SerialLink& link, std::uint8_t output, std::uint8_t value) {
    QSignalSpy finished(&link, &SerialLink::ChangeFinished);
    if (!link.SendChange(output, value))
        return std::nullopt;
    if (!finished.wait(Patience))
        return std::nullopt;
    return finished.takeFirst().at(0).value<TLinkResult>();
}

} // namespace

TEST(SerialLinkPorts, ComNamesMapToSerialDevicesAndOtherNamesArePaths) {
    EXPECT_EQ(SerialLink::DevicePath(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(SerialLink::DevicePath(QStringLiteral("COM6")), QStringLiteral("/dev/ttyS5"));
    EXPECT_EQ(SerialLink::DevicePath(QStringLiteral("/dev/ttyUSB0")),
              QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(SerialLink::DevicePath(QStringLiteral("COMX")), QStringLiteral("COMX"));
}

TEST(SerialLinkPorts, AMissingDeviceFailsToOpenAndSendsNothing) {
    SerialLink link;
    EXPECT_EQ(link.ReplyTimeout(), 1000) << "a link waits a second for each acknowledge";
    EXPECT_EQ(link.Open(QStringLiteral("/dev/lumivox-no-such-port")), TLinkResult::OpenFailed);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_FALSE(link.SendChange(1, 2));
}

TEST(SerialLinkWire, ChangesArriveWholeAndInOrder) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    SerialLink link;
    ASSERT_EQ(link.Open(unit.Path), TLinkResult::Success);
    EXPECT_EQ(SendAndWait(link, 3, 255), TLinkResult::Success);
    EXPECT_EQ(SendAndWait(link, 0x1A, 0x01), TLinkResult::Success); // protocol bytes as data
    EXPECT_EQ(SendAndWait(link, 255, 0), TLinkResult::Success);
    EXPECT_EQ(unit.Changes(), Expected({{3, 255}, {0x1A, 1}, {255, 0}}));
    // A second change cannot start while one is on its way.
    ASSERT_TRUE(link.SendChange(7, 7));
    EXPECT_FALSE(link.SendChange(8, 8));
    QSignalSpy finished(&link, &SerialLink::ChangeFinished);
    ASSERT_TRUE(finished.wait(Patience));
    EXPECT_EQ(link.Close(), TLinkResult::Success);
    EXPECT_FALSE(link.IsOpen());
}

TEST(SerialLinkWire, OtherBytesBeforeTheAcknowledgeAreDiscarded) {
    PlaybackUnitProcess unit({QStringLiteral("--noise"), QStringLiteral("5")});
    ASSERT_FALSE(unit.Path.isEmpty());
    SerialLink link;
    ASSERT_EQ(link.Open(unit.Path), TLinkResult::Success);
    EXPECT_EQ(SendAndWait(link, 9, 128), TLinkResult::Success);
    EXPECT_EQ(SendAndWait(link, 10, 129), TLinkResult::Success);
    EXPECT_EQ(unit.Changes(), Expected({{9, 128}, {10, 129}}));
}

TEST(SerialLinkWire, ASilentUnitEndsTheChangeWithNoAcknowledge) {
    PlaybackUnitProcess unit({QStringLiteral("--no-ack")});
    ASSERT_FALSE(unit.Path.isEmpty());
    SerialLink link;
    link.SetReplyTimeout(300);
    ASSERT_EQ(link.Open(unit.Path), TLinkResult::Success);
    // While the link waits, the event loop keeps running: a timer set after the change
    // started fires before the change ends.
    bool otherWorkRan = false;
    QSignalSpy finished(&link, &SerialLink::ChangeFinished);
    ASSERT_TRUE(link.SendChange(4, 4));
    QTimer::singleShot(50, [&] { otherWorkRan = finished.isEmpty(); });
    ASSERT_TRUE(finished.wait(Patience));
    EXPECT_EQ(finished.at(0).at(0).value<TLinkResult>(), TLinkResult::NoAcknowledge);
    EXPECT_TRUE(otherWorkRan);
    EXPECT_FALSE(link.Busy());
}

// ---- Real-time output ---------------------------------------------------------------------

class RealTimeOutputTest : public ::testing::Test {
protected:
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    SerialLink Link;
    RealTimeOutput Output{Link, Ui, Lang};
    std::vector<bool> ModeSignals;

    void SetUp() override {
        QObject::connect(&Output, &RealTimeOutput::ModeChanged,
                         [this](bool on) { ModeSignals.push_back(on); });
    }

    bool WaitForFlush() {
        return QTest::qWaitFor([this] { return !Output.Sending(); }, Patience);
    }
    bool SwitchOn(const QString& port) {
        Output.ChoosePort(port);
        Output.ToggleMode();
        return Output.Active();
    }
};

TEST_F(RealTimeOutputTest, EachOutputGoesOutOnceWithItsNewestValueOldestFirst) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    ASSERT_TRUE(SwitchOn(unit.Path));
    EXPECT_EQ(ModeSignals, std::vector<bool>{true});
    Output.Want(1, 10);
    Output.Want(2, 20);
    Output.Want(1, 0); // output 1 still waits: it goes out first, with its newest value
    EXPECT_EQ(Output.QueuedCount(), 2u);
    Output.SendQueued();
    EXPECT_TRUE(Output.Sending());
    Output.SendQueued(); // a change on the wire is not started twice
    ASSERT_TRUE(WaitForFlush());
    EXPECT_EQ(Output.QueuedCount(), 0u);
    EXPECT_EQ(unit.Changes(), Expected({{1, 0}, {2, 20}}));
    EXPECT_EQ(Output.AcknowledgedValue(1), 0);
    EXPECT_EQ(Output.AcknowledgedValue(2), 20);
    EXPECT_TRUE(Ui.Events.empty());
}

TEST_F(RealTimeOutputTest, AValueThatComesBackWhileAnotherIsOnTheWireIsSentAgain) {
    // A late answer keeps each change on the wire long enough to change the show meanwhile.
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("100")});
    ASSERT_FALSE(unit.Path.isEmpty());
    ASSERT_TRUE(SwitchOn(unit.Path));
    Output.Want(7, 10);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    Output.Want(7, 20); // A to B: B goes on the wire
    Output.SendQueued();
    Output.Want(7, 10); // and back to A before B is acknowledged
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Output.Sending() && Output.QueuedCount() == 0; }, Patience));
    EXPECT_EQ(unit.Changes(), Expected({{7, 10}, {7, 20}, {7, 10}}));
    // A to B and back to A while B still waits: the unit has A, nothing is sent.
    Output.Want(8, 1);
    Output.SendQueued(); // output 8 on the wire
    Output.Want(7, 20);
    Output.Want(7, 10);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Output.Sending() && Output.QueuedCount() == 0; }, Patience));
    EXPECT_EQ(unit.Changes().back(), (TLoggedChange{0, 8, 1}));
    EXPECT_EQ(unit.FinalState()[7], 10);
}

TEST_F(RealTimeOutputTest, SwitchingOffLetsTheChangeOnTheWireFinishAndKeepsTheRest) {
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("200")});
    ASSERT_FALSE(unit.Path.isEmpty());
    ASSERT_TRUE(SwitchOn(unit.Path));
    for (int n = 1; n <= 4; ++n)
        Output.Want(static_cast<std::uint8_t>(n), 1);
    Output.SendQueued();
    Output.ToggleMode(); // off while the first change waits for its answer
    EXPECT_FALSE(Output.Mode());
    EXPECT_TRUE(Output.Sending()); // it finishes: nothing is left half sent
    ASSERT_TRUE(WaitForFlush());
    QTest::qWait(600); // nothing else goes out while the mode is off
    EXPECT_EQ(unit.Changes(), Expected({{1, 1}}));
    EXPECT_TRUE(Output.PortOpen()); // switching off leaves the port open
    EXPECT_EQ(Output.QueuedCount(), 3u);
    EXPECT_TRUE(Ui.Events.empty());
    // On again: the port is reopened and what waited goes out.
    Output.ToggleMode();
    Output.SendQueued();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Output.Sending() && Output.QueuedCount() == 0; }, Patience));
    EXPECT_EQ(unit.Changes(), Expected({{1, 1}, {2, 1}, {3, 1}, {4, 1}}));
}

TEST_F(RealTimeOutputTest, TogglingOffAndOnMidCommandNeitherTimesOutNorCutsACommand) {
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("150")});
    ASSERT_FALSE(unit.Path.isEmpty());
    ASSERT_TRUE(SwitchOn(unit.Path));
    Output.Want(5, 50);
    Output.Want(6, 60);
    Output.SendQueued();
    Output.ToggleMode();
    Output.ToggleMode(); // on again at once: the port is reopened once the change is done
    EXPECT_TRUE(Output.Mode());
    EXPECT_FALSE(Output.Active());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Output.Active(); }, Patience));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Output.Sending() && Output.QueuedCount() == 0; }, Patience));
    EXPECT_TRUE(Ui.Events.empty());
    EXPECT_EQ(unit.Changes(), Expected({{5, 50}, {6, 60}}));
}

TEST_F(RealTimeOutputTest, AWritingErrorWarnsOnceSwitchesOffEmptiesTheQueueAndCanResume) {
    // The unit answers after 600 ms; with a 300 ms time-out every change fails.
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("600")});
    ASSERT_FALSE(unit.Path.isEmpty());
    Link.SetReplyTimeout(300);
    ASSERT_TRUE(SwitchOn(unit.Path));
    Output.Want(5, 50);
    Output.Want(6, 60);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning),
              QStringList{QStringLiteral("Writing Error on COM port : ") + unit.Path});
    EXPECT_FALSE(Output.Mode());
    EXPECT_EQ(ModeSignals, (std::vector<bool>{true, false}));
    EXPECT_EQ(Output.QueuedCount(), 0u);
    EXPECT_EQ(Output.AcknowledgedValue(5), -1); // it may or may not have arrived
    // With a patient time-out, switching on again sends on the same port (once the unit has
    // dropped the abandoned change).
    QTest::qWait(1000);
    Link.SetReplyTimeout(5000);
    Output.ToggleMode();
    Output.Want(7, 70);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    EXPECT_TRUE(Output.Mode());
    EXPECT_EQ(Ui.Events.size(), 1u);
    EXPECT_EQ(unit.Changes().back(), (TLoggedChange{0, 7, 70}));
}

TEST_F(RealTimeOutputTest, APortThatCannotOpenWarnsInTheCurrentLanguageAndStaysOff) {
    Lang = Language::German;
    Output.ChoosePort(QStringLiteral("/dev/lumivox-no-such-port"));
    Output.ToggleMode();
    EXPECT_FALSE(Output.Mode());
    EXPECT_FALSE(Output.PortOpen());
    EXPECT_EQ(ModeSignals, (std::vector<bool>{true, false}));
    ASSERT_EQ(Ui.Events.size(), 1u);
    EXPECT_EQ(Ui.Events[0].text,
              Text(TextTable::Messages, MessageText::ComOpeningError, Language::German) +
                  QStringLiteral("/dev/lumivox-no-such-port"));
}

TEST_F(RealTimeOutputTest, AnotherPortChosenMidFlushClosesTheOldOneOnlyAfterItsChange) {
    PlaybackUnitProcess first({QStringLiteral("--ack-delay"), QStringLiteral("100")});
    PlaybackUnitProcess second;
    ASSERT_FALSE(first.Path.isEmpty());
    ASSERT_FALSE(second.Path.isEmpty());
    ASSERT_TRUE(SwitchOn(first.Path));
    Output.Want(1, 11);
    Output.Want(2, 22);
    Output.SendQueued();
    Output.ChoosePort(second.Path); // while 1 waits for its answer
    EXPECT_FALSE(Output.Mode());
    EXPECT_TRUE(Output.PortOpen());
    ASSERT_TRUE(WaitForFlush());
    EXPECT_FALSE(Output.PortOpen());
    EXPECT_EQ(first.Changes(), Expected({{1, 11}}));
    // The new port: what still waits goes there.
    Output.ToggleMode();
    ASSERT_TRUE(Output.Active());
    Output.Want(42, 42);
    Output.SendQueued();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Output.Sending() && Output.QueuedCount() == 0; }, Patience));
    EXPECT_EQ(second.Changes(), Expected({{2, 22}, {42, 42}}));
    EXPECT_EQ(first.Changes().size(), 1u);
    EXPECT_TRUE(Ui.Events.empty());
}

TEST_F(RealTimeOutputTest, ClosingWaitsForTheChangeOnTheWire) {
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("100")});
    ASSERT_FALSE(unit.Path.isEmpty());
    ASSERT_TRUE(SwitchOn(unit.Path));
    Output.Want(9, 99);
    Output.SendQueued();
    Output.ClosePort(); // the window closing
    EXPECT_FALSE(Output.PortOpen());
    EXPECT_FALSE(Output.Sending());
    EXPECT_EQ(Output.AcknowledgedValue(9), 99);
    EXPECT_EQ(unit.Changes(), Expected({{9, 99}}));
}

TEST(RealTimeChangeDetection, NeighbouringSlotsDecideUnlessTheTickIsAChase) {
    ScriptedUserInterface ui;
    Language lang = Language::English;
    SerialLink link;
    RealTimeOutput output(link, ui, lang);
    TFullTrack track(7);
    track.Output = 3;
    // Values at indexes 1..6: 0 0 7 7 9 9 (index 7 is past the last value).
    for (int index = 3; index <= 6; ++index)
        track.SetValue(index, index < 5 ? 7 : 9);
    // `slot` counts from 0 as the transport does; the output reads the show's slot slot + 1.
    auto tick = [&](int slot) {
        output.TickBegin(slot + 1);
        output.TickTrack(track, slot + 1);
    };
    tick(0); // the first tick looks at everything
    EXPECT_TRUE(output.Chasing());
    EXPECT_EQ(output.WantedValue(3), 0);
    tick(1);
    EXPECT_FALSE(output.Chasing());
    tick(2); // index 3 differs from index 2
    EXPECT_EQ(output.WantedValue(3), 7);
    EXPECT_EQ(output.QueuedCount(), 1u);
    tick(2); // again within the slot: still one output waiting
    EXPECT_EQ(output.QueuedCount(), 1u);
    // A skipped slot makes the tick a chase: the value is taken even with no change there.
    tick(5);
    EXPECT_TRUE(output.Chasing());
    EXPECT_EQ(output.WantedValue(3), 9);
    tick(6); // past the last value: nothing
    EXPECT_EQ(output.WantedValue(3), 9);
    // Going back is a chase too, and so is a tick after RequestChase.
    tick(1);
    EXPECT_TRUE(output.Chasing());
    EXPECT_EQ(output.WantedValue(3), 0);
    output.RequestChase();
    tick(2);
    EXPECT_TRUE(output.Chasing());
}

TEST_F(RealTimeOutputTest, AUnitThatWentAwayIsLetGoWithoutAClosingError) {
    auto gone = std::make_unique<PlaybackUnitProcess>();
    ASSERT_FALSE(gone->Path.isEmpty());
    ASSERT_TRUE(SwitchOn(gone->Path));
    Output.Want(1, 1);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    gone.reset(); // the unit is switched off while the port is open
    QTest::qWait(200);
    // Switching off and on, as an operator does, finds the device gone: nothing to close.
    Output.ToggleMode();
    Output.ToggleMode();
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning).filter(QStringLiteral("Closing")),
              QStringList());
    // Another unit on another port takes over.
    PlaybackUnitProcess next;
    ASSERT_FALSE(next.Path.isEmpty());
    Ui.Events.clear();
    ASSERT_TRUE(SwitchOn(next.Path));
    Output.Want(2, 2);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    EXPECT_EQ(next.Changes(), Expected({{2, 2}}));
    EXPECT_TRUE(Ui.Events.empty());
}
