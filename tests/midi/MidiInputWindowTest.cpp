// MIDI in the real main window: the MIDI Input menu with a virtual keyboard port, a saved
// device name, reopening, live recording while the song plays on a manual clock, and the MIDI
// Map dialog learning from the port.
#include "app/MainWindow.h"
#include "app/TrackHeaderColumn.h"
#include "dialogs/MidiMapDialog.h"
#include "persistence/SettingsFile.h"
#include "support/ManualClock.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/midi/MidiTestSupport.h"
#include "support/widgets/WindowOptions.h"
#include "timeline/TrackHeader.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;

namespace {

class MidiInputWindowTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ScriptedUserInterface Ui;
    AcceptProperties Properties;
    ManualClock Clock;
    std::unique_ptr<VirtualMidiSource> Keyboard;
    std::unique_ptr<TForm1> Window;

    void SetUp() override {
        ASSERT_TRUE(JackServerProblem().isEmpty()) << JackServerProblem().toStdString();
        Keyboard = std::make_unique<VirtualMidiSource>();
    }

    // A window whose settings name `midiName` as the MIDI input.
    void MakeWindow(const QString& midiName) {
        TForm1Options options = TestWindowOptions(Ui, Properties, Dir);
        options.NullClock = Clock.Function();
        TSettings saved;
        saved.MidiInputName = midiName;
        ASSERT_TRUE(WriteSettings(options.SettingsPath, saved));
        Window = std::make_unique<TForm1>(options);
        Window->resize(900, 600);
        Window->show();
    }

    void LoadSong() {
        const QString song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), song));
        Ui.SongAnswers.push_back(song);
        Window->Menus().New2->trigger();
        ASSERT_TRUE(Window->Player().IsOpen());
    }

    QAction* DeviceItem(const QString& name) {
        const QList<QAction*> items = Window->Menus().MidiGroup->actions();
        for (QAction* item : items)
            if (item != Window->Menus().None1 && item->text() == name)
                return item;
        return nullptr;
    }

    // Sends a message and lets the window take it.
    void Play(const std::vector<std::uint8_t>& message, const std::function<bool()>& arrived) {
        Keyboard->Send(message);
        ASSERT_TRUE(QTest::qWaitFor(arrived, JackWaitMs));
    }

    void PlayUntil(std::int64_t ms) {
        const std::int64_t now = Window->Player().PositionMs();
        Clock.Advance(std::chrono::microseconds((ms - now) * 1000 + 100));
        ASSERT_TRUE(QTest::qWaitFor([&] { return Window->Player().PositionMs() >= ms; }, 20000));
        // A few ticks of the show clock at that position.
        QTest::qWait(40);
    }

    int Value(int track, int index) {
        std::uint8_t value = 0;
        EXPECT_TRUE(Window->Document().Track(track).GetValue(index, value));
        return value;
    }

    // Track `number`'s record-arm button in its header.
    QToolButton* ArmButton(int number) {
        auto* header = Window->HeaderColumn().Frame(number);
        return header ? header->findChild<QToolButton*>(QStringLiteral("SpeedButton4")) : nullptr;
    }
};

} // namespace

TEST_F(MidiInputWindowTest, TheMenuListsThePortAndASavedNameOpensOnlyWhenItMatches) {
    MakeWindow(QStringLiteral("No Such Keyboard:out"));
    EXPECT_TRUE(Window->Menus().None1->isChecked());
    EXPECT_TRUE(Window->MidiInputName().isEmpty());
    EXPECT_FALSE(Window->MidiInputs().MidiInputOpen());
    EXPECT_FALSE(Window->Menus().MIDIMap1->isEnabled());
    QAction* item = DeviceItem(Keyboard->PortName());
    ASSERT_NE(item, nullptr) << "the virtual port is not in the MIDI Input menu";

    item->trigger();
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(Window->MidiInputs().MidiInputOpen());
    EXPECT_TRUE(Window->Menus().MIDIMap1->isEnabled());
    EXPECT_EQ(Window->MidiInputName(), Keyboard->PortName());

    // Choosing the open device again reopens it and clears every track's live input.
    LoadSong();
    Window->Menus().New1->trigger();
    const TFullTrack& track = Window->Document().Track(1);
    track.InputActive = true;
    track.InputValue = 99;
    item->trigger();
    EXPECT_TRUE(Window->MidiInputs().MidiInputOpen());
    EXPECT_FALSE(track.InputActive);
    EXPECT_EQ(track.InputValue, 0);

    // "(None)" closes it; the name written at exit is the choice.
    Window->Menus().None1->trigger();
    EXPECT_FALSE(Window->MidiInputs().MidiInputOpen());
    EXPECT_FALSE(Window->Menus().MIDIMap1->isEnabled());
    item->trigger();
    Window->close();
    QFile settings(Window->SettingsPath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains(Keyboard->PortName().toUtf8()));
}

TEST_F(MidiInputWindowTest, PlayedNotesAreRecordedIntoArmedHeardTracksWhileTheSongPlays) {
    MakeWindow(Keyboard->PortName());
    ASSERT_TRUE(Window->MidiInputs().MidiInputOpen());
    ASSERT_TRUE(WaitUntilConnected(Window->MidiInput(), *Keyboard));
    LoadSong();
    for (int k = 0; k < 4; ++k)
        Window->Menus().New1->trigger();
    ShowDocument& doc = Window->Document();
    // Tracks 1 to 3 play key 60 with its velocity; track 2 is On/Off; track 3 is muted;
    // track 4 listens to key 62 but is not armed.
    for (int number = 1; number <= 4; ++number) {
        TMidiMap map = doc.Track(number).MidiMap;
        map.Channel = 0;
        map.Key = number == 4 ? 62 : 60;
        map.UseKey = true;
        map.UseVelocity = true;
        doc.SetMidiMap(number, map);
        if (number != 4)
            ArmButton(number)->click();
    }
    doc.SetType(2, TrackTypeOnOff);
    doc.SetMute(3, true);
    ASSERT_TRUE(ArmButton(1)->isChecked());
    ASSERT_TRUE(doc.Track(1).Armed) << "the button arms the model's track";

    QToolButton* record = Window->findChild<QToolButton*>(QStringLiteral("SpeedButton16"));
    record->click(); // record mode on, and the song plays
    ASSERT_TRUE(Window->SongPlaying());
    Play({0x90, 60, 127}, [&] { return doc.Track(1).InputActive; });
    Play({0x90, 62, 100}, [&] { return doc.Track(4).InputActive; });
    PlayUntil(250); // slot 2: value index 3
    EXPECT_EQ(Value(1, 3), 255);
    EXPECT_EQ(Value(2, 3), 255);
    EXPECT_EQ(Value(3, 3), 0); // muted: not heard, not recorded
    EXPECT_EQ(Value(4, 3), 0); // not armed
    Play({0x90, 60, 126}, [&] { return doc.Track(1).InputValue == 126; });
    PlayUntil(450);
    EXPECT_EQ(Value(1, 5), 252);
    EXPECT_EQ(Value(2, 5), 255);
    // A Note On with velocity 0 releases: nothing more is written.
    Play({0x90, 60, 0}, [&] { return !doc.Track(1).InputActive; });
    PlayUntil(650);
    EXPECT_EQ(Value(1, 7), 0);
    EXPECT_TRUE(doc.Modified());
    // The record button again ends record mode and pauses; the recording is one undo step.
    record->click();
    EXPECT_FALSE(Window->SongPlaying());
    EXPECT_TRUE(Window->Menus().Undo1->isEnabled());
}

TEST_F(MidiInputWindowTest, TheMidiMapDialogLearnsFromThePortAndOkMarksTheProject) {
    MakeWindow(Keyboard->PortName());
    ASSERT_TRUE(WaitUntilConnected(Window->MidiInput(), *Keyboard));
    LoadSong();
    Window->Menus().New1->trigger();
    const TFullTrack& track = Window->Document().Track(1);
    const TMidiMap before = track.MidiMap;
    Window->Commands().HeaderPress(1, Qt::RightButton, TModifierKey::None);
    Window->Menus().PopupMenu3->hide();
    Window->Document().SetModified(false); // as after a save

    // While the dialog is up: learn the key from a Note On on channel 10, then Cancel.
    TForm6& dialog = Window->MidiMapDialog();
    auto learnThen = [&](const char* button) {
        QTimer::singleShot(0, [&, button] {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            dialog.findChild<QToolButton*>(QStringLiteral("SpeedButton4"))->click();
            Keyboard->Send({0x99, 64, 90});
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.WorkingMap().Key == 64; }, JackWaitMs));
            dialog.findChild<QPushButton*>(QLatin1String(button))->click();
        });
    };
    learnThen("Button2");
    Window->Menus().MIDIMap1->trigger();
    EXPECT_EQ(track.MidiMap, before);
    EXPECT_FALSE(Window->Document().Modified());

    learnThen("Button1");
    Window->Menus().MIDIMap1->trigger();
    EXPECT_EQ(track.MidiMap.Channel, 9);
    EXPECT_EQ(track.MidiMap.Key, 64);
    EXPECT_TRUE(Window->Document().Modified());
}
