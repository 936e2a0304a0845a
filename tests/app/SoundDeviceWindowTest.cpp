// The real main window playing through a JACK server of the test's own: the status bar names
// the sound output, and when the server is killed while the song plays, the window says so
// once, the show clock and the time display go on, and the window still closes at once.
#include "app/MainWindow.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/audio/JackTestSupport.h"
#include "support/widgets/WindowOptions.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

QString Shown(TForm1& window, const char* name) {
    return window.findChild<QLabel*>(QLatin1String(name))->text();
}

} // namespace

TEST(SoundDeviceWindow, ASilentClockIsNamedInTheStatusBarInEveryLanguage) {
    QTemporaryDir dir;
    ScriptedUserInterface ui;
    AcceptProperties properties;
    TForm1 window(TestWindowOptions(ui, properties, dir));
    EXPECT_TRUE(Shown(window, "SoundOutput").isEmpty()); // no song, nothing plays yet
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_350ms.mp3"), song));
    ui.SongAnswers.push_back(song);
    window.Menus().New2->trigger();
    EXPECT_EQ(Shown(window, "SoundOutput"),
              Text(TextTable::Extra, ExtraText::SilentClock, Language::English));
    window.Menus().Deutsch1->trigger();
    EXPECT_EQ(Shown(window, "SoundOutput"), QStringLiteral("Kein Audiogerät: stille Uhr"));
}

TEST(SoundDeviceWindow, AKilledServerIsReportedOnceWhileTheShowGoesOnAndTheWindowCloses) {
    // A name of this test's own: a server killed outright keeps its place in JACK's registry
    // until one of the same name starts again.
    TestJackServer server(QStringLiteral("lumivox-test-window-loss"), 44100);
    if (!server.Start())
        GTEST_SKIP() << server.Failure().toStdString();
    QTemporaryDir dir;
    ScriptedUserInterface ui;
    AcceptProperties properties;
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), song));
    TForm1Options options = TestWindowOptions(ui, properties, dir);
    options.SilentAudio = false;
    auto window = std::make_unique<TForm1>(options);
    ui.SongAnswers.push_back(song);
    window->Menus().New2->trigger();
    ASSERT_TRUE(window->Player().IsOpen());
    EXPECT_EQ(Shown(*window, "SoundOutput"),
              QStringLiteral("Sound: JACK server lumivox-test-window-loss, 44100 Hz"));

    window->Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Player().PositionMs() >= 300; }, 10000));
    server.Signal(SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ui.Texts(Kind::Warning).isEmpty(); }, 10000));
    EXPECT_EQ(ui.Texts(Kind::Warning),
              QStringList{Text(TextTable::Extra, ExtraText::SoundDeviceLost, Language::English)
                              .arg(QStringLiteral("JACK server lumivox-test-window-loss"))});
    EXPECT_EQ(Shown(*window, "SoundOutput"),
              Text(TextTable::Extra, ExtraText::LostSilentClock, Language::English));
    // The song goes on on the system clock, and the time display with it.
    EXPECT_TRUE(window->SongPlaying());
    const QString before = Shown(*window, "Label1");
    const std::int64_t at = window->Player().PositionMs();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Player().PositionMs() >= at + 400; }, 10000));
    QTest::qWait(50);
    EXPECT_NE(Shown(*window, "Label1"), before);
    EXPECT_EQ(ui.Texts(Kind::Warning).size(), 1);
    // Stop and closing return at once; nothing waits for the dead server.
    window->Motion().Stop();
    EXPECT_FALSE(window->SongPlaying());
    ui.ConfirmAnswers.push_back(false);
    EXPECT_TRUE(window->close());
    window.reset();
}

// A JACK server that is frozen (stopped, or wedged by a crashed client) never answers a new
// client. The window asks JACK for MIDI devices as it opens: it opens all the same, without
// that server's devices, and a song opened then plays on the system clock.
TEST(SoundDeviceWindow, TheWindowOpensAndPlaysWhileTheJackServerIsFrozen) {
    TestJackServer server(QStringLiteral("lumivox-test-window-frozen"), 44100);
    if (!server.Start())
        GTEST_SKIP() << server.Failure().toStdString();
    server.Signal(SIGSTOP);
    QTemporaryDir dir;
    ScriptedUserInterface ui;
    AcceptProperties properties;
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), song));
    TForm1Options options = TestWindowOptions(ui, properties, dir);
    options.SilentAudio = false;
    QElapsedTimer opening;
    opening.start();
    auto window = std::make_unique<TForm1>(options);
    // A hang check, not a speed goal: without the limit the window never opens.
    EXPECT_LT(opening.elapsed(), 40000);
    ui.SongAnswers.push_back(song);
    window->Menus().New2->trigger();
    ASSERT_TRUE(window->Player().IsOpen());
    window->Play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Player().PositionMs() >= 300; }, 10000));
    window.reset();
    server.Signal(SIGCONT);
}
