// The real main window as the window tests drive it: shown at 900 x 600 on a new project over
// a copy of a test song, with scripted dialogs, files in a folder of the test's own, and the
// null audio output on the test's manual clock when asked.
#pragma once

#include "app/MainWindow.h"
#include "support/ManualClock.h"
#include "support/ScriptedUserInterface.h"
#include "support/widgets/WindowOptions.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

class QToolButton;

namespace lumivox::test {

// What a window test opens its window on.
struct WindowSetup {
    const char* Song = "song_10s.mp3"; // the fixture copied in as song.mp3
    int Tracks = 0;                    // tracks added after the new project
    bool OnManualClock = false;        // song time moves only with Clock.Advance
    std::uint16_t OlaPort = 0;         // olad's RPC port for DMX output; 0: olad's default
};

class WindowFixture : public ::testing::Test {
protected:
    // Members in this order so that the window goes before the folder and the scripts it uses.
    QTemporaryDir Dir;
    ScriptedUserInterface Ui;
    AcceptProperties Properties;
    lumivox::test::ManualClock Clock;
    std::unique_ptr<TForm1> Window;

    // Opens the window on a new project over the song (copied once: a second window of the
    // same test reuses it) and adds the tracks. The pointer then rests on the menu bar, away
    // from the lanes and the ruler, wherever an earlier test in the process left it: zooms,
    // pastes and the lanes' hover follow it when it is over them.
    void OpenWindow(const WindowSetup& setup = {});

    ShowDocument& Doc() { return Window->Document(); }
    TMainMenus& Menus() { return Window->Menus(); }
    QWidget* Lanes();
    QToolButton* Button(const char* name);
    // The value of a slot, failing the test when the slot does not exist.
    int Value(int track, int slot);
    // The status bar's time display.
    QString TimeText();
    // Lets song time pass on the manual clock until `ms` and waits until the show clock and
    // the time display have seen it.
    void PlayUntil(std::int64_t ms);
};

} // namespace lumivox::test
