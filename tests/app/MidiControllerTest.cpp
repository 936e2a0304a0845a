// The window's MIDI side on its own, without the main window: the MIDI menu's entries, the
// activity light lit by a message and dark again after it, and what MIDI asks of the rest of
// the show reaching the window's hooks.
#include "app/MidiController.h"
#include "app/MainMenus.h"
#include "midi/MidiInput.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"
#include "timeline/TimelineStyle.h"

#include <QAction>
#include <QFrame>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace lumivox;
using lumivox::test::ScriptedUserInterface;

namespace {

class MidiControllerTest : public ::testing::Test {
protected:
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    Language Lang = Language::English;
    QMainWindow Window;
    TMainMenus Menus{Window.menuBar(), &Window};
    QFrame* Light = new QFrame(&Window);
    int Stops = 0;
    int Snapshots = 0;
    MidiController Midi{
        Doc,    Ui,     Lang,
        Menus,  *Light, {[this] { ++Stops; }, [this] { ++Snapshots; }, [] { return nullptr; }},
        &Window};

    QColor LightColor() const { return Light->palette().color(QPalette::Window); }
};

} // namespace

TEST_F(MidiControllerTest, AMessageLightsTheLampWhichGoesDarkAgainOnItsOwn) {
    Midi.Start();
    Midi.LightMidiActivity();
    EXPECT_EQ(LightColor(), ToQColor(MidiActivityLitColor));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return LightColor() == ToQColor(MidiActivityIdleColor); }, 5000));
    Midi.Close();
    EXPECT_EQ(Midi.InputName(), QString()) << "no device chosen";
}

TEST_F(MidiControllerTest, TheMenuFollowsTheInputAndMidiReachesTheWindowsHooks) {
    EXPECT_FALSE(Menus.MIDIMap1->isEnabled()) << "no device: nothing to map";
    Midi.SetMidiMapEnabled(true);
    EXPECT_TRUE(Menus.MIDIMap1->isEnabled());
    Midi.StopTransport();
    Midi.TakeSnapshot();
    EXPECT_EQ(Stops, 1);
    EXPECT_EQ(Snapshots, 1);
}
