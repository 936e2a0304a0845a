// The window's marks and snapping. It owns the mark commands, the Marks menu with the ruler's
// pop-up menus, and the snap guides, which it keeps in step with the song's beats and the
// show's marks; it wires the ruler's flags and beats, the Snap button, menu entry and
// preference, the jumps from mark to mark and the block operations on beats; and it gives the
// window's gestures (the selection, the tools, Paste, a press on the ruler) their snapped
// place. It lives on the UI thread, as every part it is given.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/MarkCommands.h"
#include "editing/SnapGuides.h"
#include "timeline/LanesView.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

class QMenuBar;
class QToolButton;
class QWidget;

namespace lumivox {

class BlockCommands;
class FollowPaging;
class IMediaPlayer;
class KeyboardControl;
class Preferences;
class RangeSelection;
class RulerView;
class ShowDocument;
class SongLoader;
class TMainMenus;
class TMarksMenu;
class TimelineGeometry;
class Transport;

class MarksController : public QObject {
    Q_OBJECT
public:
    // The window's parts it works with; each outlives it.
    struct TParts {
        ShowDocument& Doc;
        IUserInterface& Ui;
        const Language& Lang; // read whenever a text is shown
        const IMediaPlayer& Player;
        SongLoader& Songs; // the song's beats and peaks
        const TimelineGeometry& Timeline;
        const RangeSelection& Range;
        BlockCommands& Blocks;
        const KeyboardControl& Keys; // the modifier key held for the tools
        Transport& Motion;
        FollowPaging& Paging;
        Preferences& Prefs;
        IMarkHost& History;                  // undo steps of mark edits
        std::function<int()> SlotMs;         // the show's slot length
        std::function<bool()> HasWaveform;   // a song's peaks are drawn
        std::function<void()> StatesChanged; // the guides changed: the block states follow
    };
    struct TWidgets {
        TMainMenus& Menus;
        QToolButton& SnapButton;
        RulerView& Ruler;
        QMenuBar* Bar;   // takes the Marks menu before the Options menu
        QWidget* Window; // parent of the pop-up menus
    };

    MarksController(TParts parts, TWidgets widgets, QObject* parent);
    ~MarksController() override;

    MarkCommands& Commands() { return Edits; }
    TMarksMenu& Menu() { return *MarkMenu; }
    const TSnapGuides& Guides() const { return SnapGuides; }

    void ApplyTexts(Language language);
    // Turns snapping on or off: the guides, the menu entry and the button.
    void SetSnap(bool on);
    // The entries that depend on the selection, the song's beats and the show's marks.
    void ApplyStates();

    // The mark at the play cursor, within a few pixels at the current zoom; -1 for none.
    int MarkAtCursor() const;
    // Alt held turns the setting over for the gesture; `modifiers` are the event's.
    bool Inverted(Qt::KeyboardModifiers modifiers) const;
    // The slot content x of the lanes falls in, pulled onto a guide near it when the gesture
    // snaps; `slot` (the pointer's own) otherwise.
    int SnappedSlot(std::int64_t contentX, int slot, bool invert) const;
    // The tools' hit with its cell moved onto the one a guide near the pointer falls in.
    TLanesHit SnappedHit(const TLanesHit& hit) const;
    // A press at view x of the ruler (or the play-from-pointer's x): moves the play cursor
    // onto a guide near it when the gesture snaps, else where the press is.
    void LocateAt(int viewX, bool invert);
    void JumpToMark(bool next);

private:
    void ConnectMarks();
    void ConnectSnap();
    void ListMarksPastEnd();
    // The song's beats, empty while none are found.
    const std::vector<double>& SongBeatTimes() const;

    TParts Parts;
    TWidgets Widgets;
    MarkCommands Edits;
    TSnapGuides SnapGuides;
    TMarksMenu* MarkMenu = nullptr;
    // What the ruler's pop-up menu was opened over: the mark (-1 for none) and the time.
    int ContextMark = -1;
    std::int64_t ContextMarkMs = 0;
};

} // namespace lumivox
