// The transport and real-time output in the real main window: buttons, Space, the ruler, the
// time display, and changes sent to the simulated playback unit while the song plays on a
// manual clock.
#include "app/MainWindow.h"
#include "output/RealTimeOutput.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/RulerView.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;
using Kind = ScriptedUserInterface::Event;

namespace {

class TransportWindowTest : public WindowFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true})); }

    // A track on `output` holding `value` from slot index `from` on.
    const TFullTrack& AddTrack(std::uint8_t output, int from, std::uint8_t value) {
        Window->Menus().New1->trigger();
        ShowDocument& doc = Window->Document();
        const int number = doc.TrackCount();
        doc.SetOutput(number, output);
        doc.FillSlots(number, from, doc.Track(number).SlotCount() - 1, value);
        return doc.Track(number);
    }
    bool SwitchAgree(bool on) {
        return Button("SpeedButton15")->isChecked() == on &&
               Window->Menus().RealTimeMode1->isChecked() == on &&
               Window->LiveOutput().Mode() == on;
    }
};

// The unit's changes for one output.
std::vector<int> ValuesFor(const std::vector<TLoggedChange>& changes, int output) {
    std::vector<int> values;
    for (const TLoggedChange& change : changes)
        if (change.Output == output)
            values.push_back(change.Value);
    return values;
}

} // namespace

TEST_F(TransportWindowTest, ButtonsSpaceAndTheRulerDriveThePlayerAndTheTimeDisplay) {
    QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton);
    EXPECT_TRUE(Window->SongPlaying());
    PlayUntil(1500);
    QTest::keyClick(Window.get(), Qt::Key_Space); // Space pauses
    EXPECT_FALSE(Window->SongPlaying());
    EXPECT_FALSE(Window->TickRunning());
    EXPECT_EQ(Window->Motion().CuePosition(), 1500);
    QTest::keyClick(Window.get(), Qt::Key_Space); // and plays on from there
    EXPECT_TRUE(Window->SongPlaying());
    EXPECT_TRUE(Window->TickRunning());
    PlayUntil(2000);
    // A ruler press while playing keeps playing from the pressed time.
    QWidget* ruler = &Window->Ruler();
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(200, 40));
    EXPECT_TRUE(Window->SongPlaying());
    const std::int64_t cue = Window->Motion().CuePosition();
    EXPECT_GT(cue, 0);
    EXPECT_EQ(Window->Player().PositionMs(), cue);
    // Stop goes back to that cue; the language switch keeps the time with the new prefix.
    QTest::mouseClick(Button("SpeedButton1"), Qt::LeftButton);
    EXPECT_FALSE(Window->SongPlaying());
    EXPECT_EQ(Window->Player().PositionMs(), cue);
    Window->Menus().Deutsch1->trigger();
    EXPECT_TRUE(TimeText().endsWith(Transport::FormatTime(cue)));
    EXPECT_TRUE(TimeText().startsWith(Text(TextTable::StatusLabels, 1, Language::German)));
    // Stopped, a ruler press only moves the cue marker.
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(100, 40));
    EXPECT_FALSE(Window->SongPlaying());
    EXPECT_LT(Window->Motion().CuePosition(), cue);
    EXPECT_NEAR(Window->Ruler().CueX(), 100, 1);
    // Go to end and beginning move the cue; the record button starts playing.
    QTest::mouseClick(Button("SpeedButton3"), Qt::LeftButton);
    EXPECT_EQ(Window->Motion().CuePosition(), Window->Player().LengthMs());
    QTest::mouseClick(Button("SpeedButton5"), Qt::LeftButton);
    EXPECT_EQ(Window->Motion().CuePosition(), 0);
    QTest::mouseClick(Button("SpeedButton16"), Qt::LeftButton);
    EXPECT_TRUE(Window->Motion().RecordMode());
    EXPECT_TRUE(Window->SongPlaying());
    // Commands that stop the transport stop it now: Save As ends playing and record mode.
    Ui.SaveAnswers.push_back(Dir.filePath(QStringLiteral("show.prj")));
    Window->Menus().SaveAs1->trigger();
    EXPECT_FALSE(Window->SongPlaying());
    EXPECT_FALSE(Window->Motion().RecordMode());
}

TEST_F(TransportWindowTest, AnOnOffTrackSwitchingOnAtSlotFiveIsSentFrom400Ms) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    AddTrack(3, 5, 255);
    AddTrack(4, 2, 99);
    Window->Document().SetMute(2, true);
    Window->LiveOutput().ChoosePort(unit.Path);
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    ASSERT_TRUE(SwitchAgree(true));
    ASSERT_TRUE(Window->LiveOutput().PortOpen());

    QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton);
    // In the first slot every heard track's value goes out.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !unit.Changes().empty(); }, 20000));
    PlayUntil(399);
    QTest::qWait(50); // several ticks within slot 3
    const std::vector<int> early = ValuesFor(unit.Changes(), 3);
    EXPECT_EQ(std::count(early.begin(), early.end(), 255), 0);
    PlayUntil(400);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto values = ValuesFor(unit.Changes(), 3);
            return std::find(values.begin(), values.end(), 255) != values.end();
        },
        20000));
    const std::vector<int> values = ValuesFor(unit.Changes(), 3);
    EXPECT_EQ(values.front(), 0);
    EXPECT_EQ(values.back(), 255);
    // The muted track never reaches the unit.
    EXPECT_TRUE(ValuesFor(unit.Changes(), 4).empty());
    EXPECT_TRUE(Ui.Texts(Kind::Warning).isEmpty());
    // Past slot 5 nothing changes any more: nothing new is sent.
    PlayUntil(600);
    QTest::qWait(50);
    const std::size_t settled = unit.Changes().size();
    QTest::qWait(100);
    EXPECT_EQ(unit.Changes().size(), settled);
}

TEST_F(TransportWindowTest, ASilentUnitGivesOneWritingWarningWhileTheWindowKeepsWorking) {
    PlaybackUnitProcess unit({QStringLiteral("--no-ack")});
    ASSERT_FALSE(unit.Path.isEmpty());
    AddTrack(3, 1, 255);
    Window->LiveOutput().ChoosePort(unit.Path);
    Window->Menus().RealTimeMode1->trigger();
    ASSERT_TRUE(SwitchAgree(true));
    QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window->LiveOutput().Sending(); }, 20000));
    // While the link waits, the show clock and the display go on.
    PlayUntil(300);
    EXPECT_TRUE(Window->LiveOutput().Sending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Ui.Texts(Kind::Warning).isEmpty(); }, 20000));
    EXPECT_EQ(Ui.Texts(Kind::Warning),
              QStringList{QStringLiteral("Writing Error on COM port : ") + unit.Path});
    EXPECT_TRUE(SwitchAgree(false));
    EXPECT_EQ(Window->LiveOutput().QueuedCount(), 0u);
    PlayUntil(500);
    EXPECT_EQ(Ui.Texts(Kind::Warning).size(), 1);
}

TEST_F(TransportWindowTest, ThePortMenuSwitchesRealTimeOffAndTheButtonAndMenuAlwaysAgree) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    Window->LiveOutput().ChoosePort(unit.Path);
    Window->Menus().RealTimeMode1->trigger();
    EXPECT_TRUE(SwitchAgree(true));
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    EXPECT_TRUE(SwitchAgree(false));
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    EXPECT_TRUE(SwitchAgree(true));
    Window->Menus().ComPorts[2]->trigger();
    EXPECT_TRUE(SwitchAgree(false));
    EXPECT_EQ(Window->ComPortName(), QStringLiteral("COM3"));
    EXPECT_FALSE(Window->LiveOutput().PortOpen());
    // COM3 has no device here: switching on fails with its message and stays off.
    QFile device(QStringLiteral("/dev/ttyS2"));
    if (!device.exists()) {
        Window->Menus().RealTimeMode1->trigger();
        EXPECT_TRUE(SwitchAgree(false));
        EXPECT_EQ(Ui.Texts(Kind::Warning),
                  QStringList{QStringLiteral("Opening Error on COM Port : COM3")});
    }
}

TEST_F(TransportWindowTest, ASavedDevicePathBecomesTheCheckedPortEntry) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    Window->LiveOutput().ChoosePort(unit.Path);
    Window->close();
    Window.reset();
    TForm1 again(TestWindowOptions(Ui, Properties, Dir)); // the same settings file
    EXPECT_EQ(again.ComPortName(), unit.Path);
    QAction* checked = again.Menus().PortGroup->checkedAction();
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(checked->data().toString(), unit.Path);
    again.Menus().RealTimeMode1->trigger();
    EXPECT_TRUE(again.LiveOutput().PortOpen());
}

// The devices in the port menu, in menu order, with the one checked marked by a star.
QStringList DeviceEntries(TForm1& window) {
    QStringList entries;
    const QList<QAction*> actions = window.Menus().OutputPortCOM1->actions();
    for (const QAction* action : actions)
        if (action->objectName().startsWith(QLatin1String("SerialDevice:")))
            entries << action->data().toString() + (action->isChecked() ? "*" : "");
    return entries;
}

TEST_F(TransportWindowTest, ThePortMenuListsTheDevicesPresentEachTimeItOpens) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    Window->close();
    Window.reset();
    QStringList present = {QStringLiteral("/dev/ttyUSB1"), QStringLiteral("/dev/ttyS0"),
                           QStringLiteral("/dev/ttyACM0")};
    TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
    options.SerialDevices = [&present] { return present; };
    TForm1 window(options);
    QMenu* ports = window.Menus().OutputPortCOM1;
    EXPECT_TRUE(DeviceEntries(window).isEmpty()) << "nothing is listed before the menu opens";

    // COM 1's device is its own entry; the others follow in the order of their paths.
    Q_EMIT ports->aboutToShow();
    EXPECT_EQ(DeviceEntries(window), (QStringList{"/dev/ttyACM0", "/dev/ttyUSB1"}));

    // An adapter plugged in while the editor runs appears; the one in use stays when pulled out.
    window.findChild<QAction*>(QStringLiteral("SerialDevice:/dev/ttyUSB1"))->trigger();
    EXPECT_EQ(window.ComPortName(), QStringLiteral("/dev/ttyUSB1"));
    present = {QStringLiteral("/dev/ttyUSB0")};
    Q_EMIT ports->aboutToShow();
    EXPECT_EQ(DeviceEntries(window), (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1*"}));
    Q_EMIT ports->aboutToShow();
    EXPECT_EQ(DeviceEntries(window), (QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1*"}));

    // A device path given at start has its entry at once, and an entry chosen anew still
    // switches the real-time output to its port.
    present.clear();
    window.findChild<QAction*>(QStringLiteral("SerialDevice:/dev/ttyUSB0"))->trigger();
    Q_EMIT ports->aboutToShow();
    EXPECT_EQ(DeviceEntries(window), QStringList{"/dev/ttyUSB0*"});
    window.Menus().ComPorts[1]->trigger();
    Q_EMIT ports->aboutToShow();
    EXPECT_TRUE(DeviceEntries(window).isEmpty());
    EXPECT_EQ(window.ComPortName(), QStringLiteral("COM2"));

    options.StartPort = unit.Path;
    TForm1 started(options);
    EXPECT_EQ(DeviceEntries(started), QStringList{unit.Path + "*"});
    Q_EMIT started.Menus().OutputPortCOM1->aboutToShow();
    EXPECT_EQ(DeviceEntries(started), QStringList{unit.Path + "*"});
    started.findChild<QAction*>(QStringLiteral("SerialDevice:") + unit.Path)->trigger();
    started.Menus().RealTimeMode1->trigger();
    EXPECT_TRUE(started.LiveOutput().PortOpen());
}

TEST_F(TransportWindowTest, LoadingASongWhileRecordingEndsRecordModeWithItsUndoStep) {
    AddTrack(3, 1, 255);
    QTest::mouseClick(Button("SpeedButton16"), Qt::LeftButton); // record mode, and playing
    ASSERT_TRUE(Window->Motion().RecordMode());
    ASSERT_EQ(Window->Player().Mode(), TMediaMode::Playing);
    Window->Document().SetSlot(1, 2, 7); // as a recorded value leaves the show
    const int steps = Window->EditHistory().Count();
    ASSERT_TRUE(Window->Songs().LoadSong(Dir.filePath(QStringLiteral("song.mp3"))));
    EXPECT_FALSE(Window->Motion().RecordMode());
    EXPECT_NE(Window->Player().Mode(), TMediaMode::Playing);
    EXPECT_EQ(Window->EditHistory().Count(), steps + 1) << "the recording is one undo step";
}
