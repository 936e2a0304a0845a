// The real main window on an X display (Xvfb) while another application's window is in
// front: the show clock keeps running, so real-time outputs keep arriving at the unit while
// the song plays.
#include "app/MainWindow.h"
#include "output/RealTimeOutput.h"
#include "support/ManualClock.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/widgets/WindowOptions.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

TEST(InactiveWindow, OutputsKeepArrivingWhileAnotherApplicationIsInFront) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
        << "run this test on an X display (xvfb-run)";
    QTemporaryDir dir;
    ScriptedUserInterface ui;
    AcceptProperties properties;
    ManualClock clock;
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), song));
    TForm1Options options = TestWindowOptions(ui, properties, dir);
    options.NullClock = clock.Function();
    TForm1 window(options);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; }, 10000));
    ui.SongAnswers.push_back(song);
    window.Menus().New2->trigger();
    ASSERT_TRUE(window.Player().IsOpen());
    // Output 9 takes the slot's number at every slot.
    window.Menus().New1->trigger();
    ShowDocument& doc = window.Document();
    doc.SetOutput(1, 9);
    for (int index = 1; index < doc.Track(1).SlotCount(); ++index)
        doc.SetSlot(1, index, static_cast<std::uint8_t>(index));

    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    window.LiveOutput().ChoosePort(unit.Path);
    window.Menus().RealTimeMode1->trigger();
    ASSERT_TRUE(window.LiveOutput().Active());
    window.Play();

    QProcess other;
    other.start(QString::fromUtf8(LUMIVOX_FOCUS_WINDOW_PATH), {});
    ASSERT_TRUE(other.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return QGuiApplication::applicationState() != Qt::ApplicationActive; }, 10000))
        << "the other window did not take the focus";

    // Two seconds of song while the editor is in the background: each slot's value arrives.
    auto lastValue = [&] {
        const auto changes = unit.Changes();
        return changes.empty() ? -1 : changes.back().Value;
    };
    for (int slot = 1; slot <= 20; ++slot) {
        clock.Advance(std::chrono::milliseconds(100));
        const int index = slot + 1;
        ASSERT_TRUE(QTest::qWaitFor([&] { return lastValue() == index; }, 10000))
            << "slot " << slot << ": the unit holds " << lastValue();
    }
    EXPECT_NE(QGuiApplication::applicationState(), Qt::ApplicationActive);
    const QString time = window.findChild<QLabel*>(QStringLiteral("Label1"))->text();
    EXPECT_TRUE(time.endsWith(QStringLiteral("00:00:02,000"))) << time.toStdString();
    other.terminate();
    other.waitForFinished(5000);
    window.close();
}
