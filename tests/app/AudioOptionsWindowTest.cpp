// The audio options of the real main window: the output latency offset moving the unit's
// changes against the song on a manual clock, with the status bar showing it, and the sound
// device menu: its list, the choice kept in the preferences and used from the next song
// opening or Play, and a missing device named in the status bar.
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "output/RealTimeOutput.h"
#include "persistence/Preferences.h"
#include "show/ShowClock.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/audio/JackTestSupport.h"
#include "support/widgets/WindowFixture.h"
#include "support/widgets/WindowOptions.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace lumivox;
using namespace lumivox::test;
using Kind = ScriptedUserInterface::Event;

namespace {

QLabel* Label(TForm1& window, const char* name) {
    return window.findChild<QLabel*>(QLatin1String(name));
}

class OutputOffsetWindowTest : public WindowFixture {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenWindow({.OnManualClock = true})); }

    void SetOffset(int ms) {
        Ui.NumberAnswers.push_back(ms);
        Menus().OutputLatency1->trigger();
    }

    // Whether output 3 has been sent 255 since change `from` of the unit's log.
    static bool Switched(const PlaybackUnitProcess& unit, std::size_t from) {
        const std::vector<TLoggedChange> changes = unit.Changes();
        return std::any_of(
            changes.begin() + static_cast<std::ptrdiff_t>(std::min(from, changes.size())),
            changes.end(),
            [](const TLoggedChange& change) { return change.Output == 3 && change.Value == 255; });
    }
};

} // namespace

TEST_F(OutputOffsetWindowTest, TheOffsetIsAskedKeptAndShownInTheStatusBarWhenNotZero) {
    QLabel* shown = Label(*Window, "OutputOffset");
    EXPECT_TRUE(shown->isHidden()) << "no offset at first";
    SetOffset(120);
    EXPECT_EQ(Ui.Texts(Kind::AskNumber),
              QStringList{Text(TextTable::AudioOptions, AudioOptionsText::OutputOffsetPrompt,
                               Language::English)});
    EXPECT_EQ(Window->Prefs().OutputOffsetMs(), 120);
    EXPECT_EQ(Window->Clock().OutputOffsetMs(), 120);
    EXPECT_FALSE(shown->isHidden());
    EXPECT_EQ(shown->text(), QStringLiteral("Outputs +120 ms"));
    Menus().Deutsch1->trigger();
    EXPECT_EQ(shown->text(), QStringLiteral("Ausgänge +120 ms"));
    Menus().English1->trigger();
    Menus().OutputLatency1->trigger(); // cancelled: nothing changes
    EXPECT_EQ(Window->Clock().OutputOffsetMs(), 120);
    SetOffset(-45);
    EXPECT_EQ(shown->text(), QStringLiteral("Outputs -45 ms"));
    SetOffset(0);
    EXPECT_TRUE(shown->isHidden());
    EXPECT_EQ(Window->Prefs().OutputOffsetMs(), 0);
}

TEST_F(OutputOffsetWindowTest, TheOffsetMovesTheFirstChangeAtTheUnitBothWays) {
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    // Output 3 switches on at slot index 5: without an offset it is sent from 400 ms.
    Menus().New1->trigger();
    Doc().SetOutput(1, 3);
    Doc().FillSlots(1, 5, Doc().Track(1).SlotCount() - 1, 255);
    Window->LiveOutput().ChoosePort(unit.Path);
    Menus().RealTimeMode1->trigger();
    ASSERT_TRUE(Window->LiveOutput().PortOpen());

    for (const int offset : {200, -200, 0}) {
        SetOffset(offset);
        const std::int64_t due = 400 - offset;
        const std::size_t before = unit.Changes().size();
        Window->Play();
        // Play tells the unit the whole state first: output 3 is off.
        ASSERT_TRUE(QTest::qWaitFor([&] { return unit.Changes().size() > before; }, 20000));
        ASSERT_NO_FATAL_FAILURE(PlayUntil(due - 10));
        QTest::qWait(50); // several ticks just before the change is due
        EXPECT_FALSE(Switched(unit, before)) << "offset " << offset;
        ASSERT_NO_FATAL_FAILURE(PlayUntil(due + 10));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Switched(unit, before); }, 20000))
            << "offset " << offset;
        Window->Motion().Stop();
        ASSERT_FALSE(Window->SongPlaying());
        // The slot's repeats still on their way land before the next round counts.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                const RealTimeOutput& out = Window->LiveOutput();
                return !out.Sending() && out.QueuedCount() == 0 && out.RepeatCount() == 0;
            },
            20000));
        QTest::qWait(20);
    }
    EXPECT_TRUE(Ui.Texts(Kind::Warning).isEmpty());
}

namespace {

class SoundDeviceChoiceTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScriptedUserInterface Ui;
    AcceptProperties Properties;
    std::unique_ptr<TForm1> Window;

    // A window on the real device choice, with `device` chosen in its preferences.
    void Open(const QString& device) {
        {
            Preferences prefs(Dir.filePath(QStringLiteral("preferences.ini")));
            prefs.SetSoundDevice(device);
        }
        TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
        options.SilentAudio = false;
        Window = std::make_unique<TForm1>(options);
    }
    void OpenSong() {
        const QString song = Dir.filePath(QStringLiteral("song.mp3"));
        if (!QFile::exists(song)) {
            ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), song));
        }
        Ui.SongAnswers.push_back(song);
        Window->Menus().New2->trigger();
        ASSERT_TRUE(Window->Player().IsOpen());
    }
    QString Status() { return Label(*Window, "SoundOutput")->text(); }
    QAction* Entry(const QString& key) {
        for (QAction* action : Window->Menus().SoundDevice1->actions())
            if (action->objectName() == QStringLiteral("SoundDevice:") + key)
                return action;
        return nullptr;
    }
    void TearDown() override {
        if (!Window)
            return;
        Ui.ConfirmAnswers.push_back(false);
        Window->close();
        Window.reset();
    }
};

} // namespace

TEST_F(SoundDeviceChoiceTest, NoDeviceKeepsTheSilentClockAndAMissingDeviceIsNamed) {
    Open(QStringLiteral("none"));
    ASSERT_NO_FATAL_FAILURE(OpenSong());
    EXPECT_EQ(Window->Audio().OutputKind(), TOutputKind::Null);
    EXPECT_EQ(Status(), Text(TextTable::Extra, ExtraText::SilentClock, Language::English));
    Window.reset();

    Open(QStringLiteral("pa:NoSuchHost:Gone & away"));
    ASSERT_NO_FATAL_FAILURE(OpenSong());
    const QString missing = QStringLiteral("Sound device NoSuchHost: Gone & away not found; ");
    EXPECT_TRUE(Status().startsWith(missing)) << Status().toStdString();
    EXPECT_GT(Status().size(), missing.size()) << "what plays instead follows";
    // The menu lists the fixed choices and keeps the missing one, checked.
    Window->RebuildSoundDeviceMenu();
    ASSERT_NE(Entry(QString()), nullptr);
    EXPECT_EQ(Entry(QString())->text(),
              Text(TextTable::AudioOptions, AudioOptionsText::AutomaticDevice, Language::English));
    ASSERT_NE(Entry(QStringLiteral("none")), nullptr);
    QAction* gone = Entry(QStringLiteral("pa:NoSuchHost:Gone & away"));
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(gone->isChecked());
    EXPECT_EQ(gone->text(), QStringLiteral("NoSuchHost: Gone && away"));
    EXPECT_EQ(Window->Menus().SoundDevice1->actions().back(), Entry(QStringLiteral("none")));
    // Choosing none takes effect at the next Play and is kept.
    Entry(QStringLiteral("none"))->trigger();
    EXPECT_EQ(Window->Prefs().SoundDevice(), QStringLiteral("none"));
    EXPECT_TRUE(Entry(QStringLiteral("none"))->isChecked());
    Window->Play();
    EXPECT_EQ(Window->Audio().OutputKind(), TOutputKind::Null);
    EXPECT_EQ(Status(), Text(TextTable::Extra, ExtraText::SilentClock, Language::English));
    EXPECT_TRUE(Window->SongPlaying());
    Window->Motion().Stop();
}

TEST_F(SoundDeviceChoiceTest, ARunningJackServerIsListedAndChosenFromTheNextPlay) {
    TestJackServer server(QStringLiteral("lumivox-test-choice"), 44100);
    if (!server.Start())
        GTEST_SKIP() << server.Failure().toStdString();
    Open(QStringLiteral("none"));
    ASSERT_NO_FATAL_FAILURE(OpenSong());
    EXPECT_EQ(Window->Audio().OutputKind(), TOutputKind::Null);
    Window->RebuildSoundDeviceMenu();
    QAction* jack = Entry(QStringLiteral("jack"));
    ASSERT_NE(jack, nullptr);
    EXPECT_EQ(jack->text(), QStringLiteral("JACK server lumivox-test-choice"));
    jack->trigger();
    EXPECT_EQ(Window->Audio().OutputKind(), TOutputKind::Null) << "until the next Play";
    Window->Play();
    EXPECT_EQ(Window->Audio().OutputKind(), TOutputKind::Device);
    EXPECT_EQ(Status(), QStringLiteral("Sound: JACK server lumivox-test-choice, 44100 Hz"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window->Player().PositionMs() >= 200; }, 10000));
    Window->Motion().Stop();
    // A new window reads the choice back.
    Window.reset();
    TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
    options.SilentAudio = false;
    Window = std::make_unique<TForm1>(options);
    EXPECT_EQ(Window->SoundDevice().Device().Kind, TSoundDevice::TKind::Jack);
    ASSERT_NO_FATAL_FAILURE(OpenSong());
    EXPECT_EQ(Status(), QStringLiteral("Sound: JACK server lumivox-test-choice, 44100 Hz"));
}
