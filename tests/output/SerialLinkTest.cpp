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
    QTimer replyTimer;
    replyTimer.setInterval(300);
    SerialLink link(&replyTimer);
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
    QTimer ReplyTimer;
    SerialLink Link{&ReplyTimer};
    RealTimeOutput Output{Link, Ui, Lang};
    std::vector<bool> ModeSignals;

    void SetUp() override {
        ReplyTimer.setInterval(1000);
        QObject::connect(&Output, &RealTimeOutput::ModeChanged,
                         [this](bool on) { ModeSignals.push_back(on); });
    }

    bool WaitForFlush() {
        return QTest::qWaitFor([this] { return !Output.Sending(); }, Patience);
    }
};

TEST_F(RealTimeOutputTest, SwitchingOnOpensThePortAndTheQueueIsSentInOrder) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    Output.ChoosePort(unit.Path);
    Output.ToggleMode();
    ASSERT_TRUE(Output.Active());
    EXPECT_EQ(ModeSignals, std::vector<bool>{true});
    Output.QueueChange(1, 10);
    Output.QueueChange(2, 20);
    Output.QueueChange(1, 0);
    Output.SendQueued();
    EXPECT_TRUE(Output.Sending());
    Output.SendQueued(); // a flush under way is not started twice
    ASSERT_TRUE(WaitForFlush());
    EXPECT_EQ(Output.QueuedCount(), 0u);
    EXPECT_EQ(unit.Changes(), Expected({{1, 10}, {2, 20}, {1, 0}}));
    EXPECT_TRUE(Ui.Events.empty());
}

TEST_F(RealTimeOutputTest, SwitchingOffStopsSendingAndKeepsTheQueue) {
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("200")});
    ASSERT_FALSE(unit.Path.isEmpty());
    Output.ChoosePort(unit.Path);
    Output.ToggleMode();
    for (int n = 1; n <= 4; ++n)
        Output.QueueChange(static_cast<std::uint8_t>(n), 1);
    Output.SendQueued();
    Output.ToggleMode(); // off while the first change waits for its answer
    EXPECT_FALSE(Output.Sending());
    EXPECT_TRUE(Output.PortOpen()); // switching off leaves the port open
    EXPECT_EQ(Output.QueuedCount(), 4u);
    QTest::qWait(1000); // long enough for the unit to drop the abandoned change
    EXPECT_EQ(Output.QueuedCount(), 4u);
    EXPECT_TRUE(Ui.Events.empty());
    // On again: the port is reopened and the queue goes out from its head.
    Output.ToggleMode();
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    EXPECT_EQ(Output.QueuedCount(), 0u);
    const auto changes = unit.Changes();
    ASSERT_GE(changes.size(), 4u);
    EXPECT_EQ(std::vector<TLoggedChange>(changes.end() - 4, changes.end()),
              Expected({{1, 1}, {2, 1}, {3, 1}, {4, 1}}));
}

TEST_F(RealTimeOutputTest, AWritingErrorWarnsOnceSwitchesOffEmptiesTheQueueAndCanResume) {
    // The unit answers after 600 ms; with a 300 ms time-out every change fails.
    PlaybackUnitProcess unit({QStringLiteral("--ack-delay"), QStringLiteral("600")});
    ASSERT_FALSE(unit.Path.isEmpty());
    ReplyTimer.setInterval(300);
    Output.ChoosePort(unit.Path);
    Output.ToggleMode();
    Output.QueueChange(5, 50);
    Output.QueueChange(6, 60);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning),
              QStringList{QStringLiteral("Writing Error on COM port : ") + unit.Path});
    EXPECT_FALSE(Output.Mode());
    EXPECT_EQ(ModeSignals, (std::vector<bool>{true, false}));
    EXPECT_EQ(Output.QueuedCount(), 0u);
    // With a patient time-out, switching on again sends on the same port (once the unit has
    // dropped the abandoned change).
    QTest::qWait(1000);
    ReplyTimer.setInterval(5000);
    Output.ToggleMode();
    Output.QueueChange(7, 70);
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

TEST_F(RealTimeOutputTest, ChoosingAnotherPortSwitchesOffAndClosesThePort) {
    PlaybackUnitProcess first;
    PlaybackUnitProcess second;
    ASSERT_FALSE(first.Path.isEmpty());
    ASSERT_FALSE(second.Path.isEmpty());
    Output.ChoosePort(first.Path);
    Output.ToggleMode();
    ASSERT_TRUE(Output.Active());
    Output.ChoosePort(second.Path);
    EXPECT_FALSE(Output.Mode());
    EXPECT_FALSE(Output.PortOpen());
    Output.ToggleMode();
    Output.QueueChange(42, 42);
    Output.SendQueued();
    ASSERT_TRUE(WaitForFlush());
    EXPECT_TRUE(first.Changes().empty());
    EXPECT_EQ(second.Changes(), Expected({{42, 42}}));
}

TEST(RealTimeChangeDetection, FirstSlotAlwaysThenOnlyChangesAndNothingPastTheLastValue) {
    ScriptedUserInterface ui;
    Language lang = Language::English;
    SerialLink link;
    RealTimeOutput output(link, ui, lang);
    TFullTrack track(6);
    track.Output = 3;
    // Values at indexes 1..5: 0 0 7 7 9 (index 6 is past the last value).
    track.SetValue(3, 7);
    track.SetValue(4, 7);
    track.SetValue(5, 9);
    for (int slot = 0; slot <= 6; ++slot)
        output.DetectChange(track, slot);
    // Slot 0 sends index 1 (0); slot 2 sends index 3 (7); slot 4 sends index 5 (9).
    EXPECT_EQ(output.QueuedCount(), 3u);
}
