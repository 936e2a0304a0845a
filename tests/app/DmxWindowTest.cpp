// DMX output in the real main window: the Outputs dialog of the Options menu, a show played in
// real-time mode on a manual clock whose universe, read back through olad, holds the tracks'
// values at each slot beside the serial unit, and an olad stopped and started mid-song.
#include "app/MainWindow.h"
#include "dialogs/OutputsDialog.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "persistence/Preferences.h"
#include "show/ShowClock.h"
#include "support/PlaybackUnitProcess.h"
#include "support/output/OlaTestSupport.h"
#include "support/widgets/WindowFixture.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

constexpr int SlotMs = 100;

class DmxWindowOladTest : public WindowFixture {
protected:
    // A track on `output` whose value at slot s (0-based) is `value(s)`.
    template <typename Values> int AddTrack(std::uint8_t output, Values value) {
        Window->Menus().New1->trigger();
        ShowDocument& doc = Window->Document();
        const int number = doc.TrackCount();
        doc.SetOutput(number, output);
        for (int slot = 0; slot + 1 < doc.Track(number).SlotCount(); ++slot)
            doc.SetSlot(number, slot + 1, static_cast<std::uint8_t>(value(slot)));
        return number;
    }
    TOutputsDialog& OpenDialog() {
        Window->Menus().Outputs1->trigger();
        TOutputsDialog& dialog = Window->OutputsDialog();
        EXPECT_TRUE(dialog.isVisible());
        return dialog;
    }
    QString Status() {
        return Window->OutputsDialog().findChild<QLabel*>(QStringLiteral("OlaStatus"))->text();
    }
    bool StatusBecomes(int entry) {
        const QString wanted = Text(TextTable::DmxText, entry, Language::English);
        return QTest::qWaitFor([&] { return Status() == wanted; }, 10000);
    }
    // Turns DMX on for `universe` in the dialog and closes it with OK.
    void ChooseDmx(TOutputsDialog& dialog, int universe) {
        dialog.findChild<QCheckBox*>(QStringLiteral("DmxEnabled"))->setChecked(true);
        dialog.findChild<QSpinBox*>(QStringLiteral("DmxUniverse"))->setValue(universe);
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    }
    QStringList DmxWarnings() {
        QStringList found;
        for (const QString& text : Ui.Texts(Kind::Warning))
            if (text.startsWith(QStringLiteral("DMX output")))
                found << text;
        return found;
    }
};

} // namespace

TEST_F(DmxWindowOladTest, TheUniverseHoldsTheTracksValuesAtEachSlotBesideTheSerialUnit) {
    QString why;
    const auto port = SharedOladPort(&why);
    if (!port)
        GTEST_SKIP() << "SKIPPED: olad cannot start here: " << why.toStdString();
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true, .OlaPort = *port}));
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    UniverseReader reader(*port, 4);
    ASSERT_TRUE(reader.Ready());

    AddTrack(3, [](int slot) { return slot >= 4 ? 255 : 0; });
    AddTrack(10, [](int slot) { return slot * 10 % 256; });
    const int muted = AddTrack(11, [](int) { return 99; });
    AddTrack(0, [](int) { return 7; });
    Window->Document().SetMute(muted, true);

    TOutputsDialog& dialog = OpenDialog();
    EXPECT_TRUE(StatusBecomes(DmxText::Reachable)) << Status().toStdString();
    ChooseDmx(dialog, 4);
    EXPECT_TRUE(Window->Dmx().Enabled());
    EXPECT_EQ(Window->Dmx().Universe(), 4u);
    EXPECT_TRUE(Window->Prefs().DmxEnabled());
    EXPECT_EQ(Window->Prefs().DmxUniverse(), 4);
    EXPECT_EQ(reader.Count(), 0u) << "nothing is sent before real-time mode";

    Window->LiveOutput().ChoosePort(unit.Path);
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    ASSERT_TRUE(Window->LiveOutput().PortOpen());
    QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton);
    for (int slot = 0; slot <= 8; ++slot) {
        PlayUntil(slot * SlotMs + SlotMs / 2);
        TDmxFrame expected{};
        std::fill(expected.begin(), expected.begin() + 255, 7); // All, also on the muted track's
        expected[2] = slot >= 4 ? 255 : 0;
        expected[9] = static_cast<std::uint8_t>(slot * 10);
        EXPECT_TRUE(reader.WaitFor([&](const TDmxFrame& f) { return f == expected; }))
            << "slot " << slot;
        EXPECT_EQ(reader.Last(), expected) << "slot " << slot;
    }
    // The serial unit got its changes over the same ticks.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto changes = unit.Changes();
            return std::any_of(changes.begin(), changes.end(), [](const TLoggedChange& c) {
                return c.Output == 3 && c.Value == 255;
            });
        },
        20000));
    EXPECT_TRUE(Ui.Texts(Kind::Warning).isEmpty());
    // Paused, the frame is still repeated; real-time mode off stops the sending.
    QTest::mouseClick(Button("SpeedButton2"), Qt::LeftButton);
    const std::size_t paused = reader.Count();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.Count() > paused; }, 3000));
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    EXPECT_FALSE(Window->Dmx().Active());
}

TEST_F(DmxWindowOladTest, OladStoppedMidSongWarnsOnceAndTheOutputResumesWhenItIsBack) {
    OladProcess olad;
    if (!olad.Start())
        GTEST_SKIP() << "SKIPPED: olad cannot start here: " << olad.Error.toStdString();
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true, .OlaPort = olad.Port()}));
    AddTrack(20, [](int slot) { return slot + 1; });
    ChooseDmx(OpenDialog(), 1);
    // No playback unit here: the serial port fails, real-time mode stays on for DMX.
    const QString nowhere = QStringLiteral("/dev/lumivox-no-such-port");
    Window->LiveOutput().ChoosePort(nowhere);
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    EXPECT_EQ(Ui.Texts(Kind::Warning),
              QStringList{QStringLiteral("Opening Error on COM Port : ") + nowhere});
    EXPECT_TRUE(Window->LiveOutput().Mode());
    EXPECT_TRUE(Button("SpeedButton15")->isChecked());
    EXPECT_TRUE(Window->Dmx().Active());

    auto frameAt = [](int slot) {
        TDmxFrame frame{};
        frame[19] = static_cast<std::uint8_t>(slot + 1);
        return frame;
    };
    {
        UniverseReader reader(olad.Port(), 1);
        ASSERT_TRUE(reader.Ready());
        QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton);
        PlayUntil(250);
        EXPECT_TRUE(reader.WaitFor([&](const TDmxFrame& f) { return f == frameAt(2); }));
    }
    olad.Stop();
    PlayUntil(550); // the editor goes on
    ASSERT_TRUE(QTest::qWaitFor([&] { return !DmxWarnings().isEmpty(); }, 10000));
    EXPECT_EQ(DmxWarnings(),
              QStringList{Text(TextTable::DmxText, DmxText::Lost, Language::English).arg(1)});
    TOutputsDialog& dialog = OpenDialog();
    EXPECT_TRUE(StatusBecomes(DmxText::Unreachable)) << Status().toStdString();
    PlayUntil(750);
    EXPECT_TRUE(Window->SongPlaying());

    ASSERT_TRUE(olad.Start()) << olad.Error.toStdString();
    UniverseReader reader(olad.Port(), 1);
    ASSERT_TRUE(reader.Ready());
    EXPECT_TRUE(StatusBecomes(DmxText::Reachable)) << Status().toStdString();
    // Back: the newest frame at once, then every slot again.
    EXPECT_TRUE(reader.WaitFor([&](const TDmxFrame& f) { return f == frameAt(7); }));
    PlayUntil(950);
    EXPECT_TRUE(reader.WaitFor([&](const TDmxFrame& f) { return f == frameAt(9); }));
    dialog.reject();
    EXPECT_EQ(DmxWarnings().size(), 1);
}

TEST_F(DmxWindowOladTest, ASilentUnitLeavesRealTimeModeOnForDmxWithOneWarning) {
    QString why;
    const auto port = SharedOladPort(&why);
    if (!port)
        GTEST_SKIP() << "SKIPPED: olad cannot start here: " << why.toStdString();
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true, .OlaPort = *port}));
    PlaybackUnitProcess unit({QStringLiteral("--no-ack")});
    ASSERT_FALSE(unit.Path.isEmpty());
    UniverseReader reader(*port, 9);
    ASSERT_TRUE(reader.Ready());
    AddTrack(3, [](int slot) { return slot * 20; });
    ChooseDmx(OpenDialog(), 9);
    Window->LiveOutput().ChoosePort(unit.Path);
    QTest::mouseClick(Button("SpeedButton15"), Qt::LeftButton);
    QTest::mouseClick(Button("SpeedButton6"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Ui.Texts(Kind::Warning).isEmpty(); }, 20000));
    EXPECT_EQ(Ui.Texts(Kind::Warning),
              QStringList{QStringLiteral("Writing Error on COM port : ") + unit.Path});
    EXPECT_TRUE(Window->LiveOutput().Mode());
    EXPECT_TRUE(Button("SpeedButton15")->isChecked());
    EXPECT_FALSE(Window->LiveOutput().PortOpen());
    PlayUntil(1250);
    TDmxFrame expected{};
    expected[2] = 240;
    EXPECT_TRUE(reader.WaitFor([&](const TDmxFrame& f) { return f == expected; }));
    EXPECT_EQ(Ui.Texts(Kind::Warning).size(), 1) << "the closed port is not tried again";
}

TEST_F(DmxWindowOladTest, TheOutputOffsetMovesTheFirstChangeInTheUniverseBothWays) {
    QString why;
    const auto port = SharedOladPort(&why);
    if (!port)
        GTEST_SKIP() << "SKIPPED: olad cannot start here: " << why.toStdString();
    ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true, .OlaPort = *port}));
    UniverseReader reader(*port, 6);
    ASSERT_TRUE(reader.Ready());
    // Channel 3 goes to 255 with the slot that starts at 400 ms; no serial unit, DMX only.
    AddTrack(3, [](int slot) { return slot >= 4 ? 255 : 0; });
    ChooseDmx(OpenDialog(), 6);
    Window->LiveOutput().ChoosePort(QStringLiteral("/dev/lumivox-no-such-port"));
    Window->Menus().RealTimeMode1->trigger();
    ASSERT_TRUE(Window->Dmx().Active());

    // Whether a frame received after the first `from` has channel 3 at `value`.
    const auto arrived = [&reader](std::size_t from, int value) {
        return QTest::qWaitFor(
            [&] {
                const std::vector<TReceivedFrame> frames = reader.Frames();
                return std::any_of(
                    frames.begin() + static_cast<std::ptrdiff_t>(std::min(from, frames.size())),
                    frames.end(),
                    [value](const TReceivedFrame& f) { return f.Values[2] == value; });
            },
            10000);
    };
    for (const int offset : {200, -200, 0}) {
        Ui.NumberAnswers.push_back(offset);
        Window->Menus().OutputLatency1->trigger();
        ASSERT_EQ(Window->Clock().OutputOffsetMs(), offset);
        const std::int64_t due = 400 - offset;
        const std::size_t start = reader.Count();
        Window->Play();
        ASSERT_TRUE(arrived(start, 0)) << "offset " << offset << ": Play sends the dark slot";
        ASSERT_NO_FATAL_FAILURE(PlayUntil(due - 10));
        QTest::qWait(50); // several ticks just before the change is due
        const std::vector<TReceivedFrame> early = reader.Frames();
        EXPECT_TRUE(std::none_of(early.begin() + static_cast<std::ptrdiff_t>(start), early.end(),
                                 [](const TReceivedFrame& f) { return f.Values[2] == 255; }))
            << "offset " << offset << ": lit before it is due";
        const std::size_t beforeDue = reader.Count();
        ASSERT_NO_FATAL_FAILURE(PlayUntil(due + 10));
        EXPECT_TRUE(arrived(beforeDue, 255)) << "offset " << offset;
        Window->Motion().Stop();
        ASSERT_FALSE(Window->SongPlaying());
        QTest::qWait(20);
    }
}
