// The window's time-range selection and its blocks. It routes the lanes' mouse input to the
// selection gesture or to the editing tools, shows the band and the status bar's read-out,
// runs the block commands from the Edit menu, the lanes' block pop-up and the keys, decides
// whether Cut, Copy and Paste act on the block or on the tracks, grows the selection with
// Shift and the arrows, plays the selection or from the pointer, and keeps those commands'
// states. It lives on the UI thread, as every part it is given.
#pragma once

#include "core/LanguageTables.h"
#include "timeline/LanesView.h"

#include <QObject>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QWidget;

namespace lumivox {

class BlockCommands;
class CommandStateTracker;
class EditingTools;
class KeyboardControl;
class MarksController;
class RangeSelection;
class ShowDocument;
class TMainMenus;
class TimelineGeometry;
class TimelineScroll;
class TrackClipboard;
class Transport;
struct TRangeSelection;

class SelectionController : public QObject {
    Q_OBJECT
public:
    // The window's parts it works with; each outlives it.
    struct TParts {
        ShowDocument& Doc;
        const Language& Lang; // read whenever a text is shown
        RangeSelection& Range;
        BlockCommands& Blocks;
        TrackClipboard& Clipboard;
        EditingTools& Tools;
        const KeyboardControl& Keys; // the modifier key held for the tools
        Transport& Motion;
        const TimelineGeometry& Timeline;
        TimelineScroll& Scroll;
        MarksController& Marks; // the snapped place of a gesture, a snapped locate
        const CommandStateTracker& States;
        std::function<int()> SlotMs;       // the show's slot length
        std::function<bool()> HasWaveform; // a song's peaks are drawn
    };
    struct TWidgets {
        TMainMenus& Menus;
        LanesView& Lanes;
        QLabel& ReadOut; // the time range selected, in the status bar
        QWidget& Window; // takes the keys that grow the selection
    };

    SelectionController(TParts parts, TWidgets widgets, QObject* parent);

    // The Edit menu's and the header menu's track and block entries' states.
    void ApplyStates();
    // The read-out of the selected times, in the current language.
    void ShowTimes();

private:
    void ConnectCommands();
    void AddExtendKeys();
    // The gesture: a left press that selects (see EditingTools::SelectsRange) starts a drag of
    // the selection's moving corner; a right press inside the selection opens the block
    // pop-up. Every other press goes to the editing tools.
    void Pressed(const TLanesHit& hit);
    void Moved(const TLanesHit& hit);
    void Released(const TLanesHit& hit);
    void SelectionChanged(const TRangeSelection& previous, const TRangeSelection& current);
    // Where the pointer is over the lanes' viewport, if it is still where the lanes last saw
    // it: a pointer over a menu that covers the lanes does not count.
    std::optional<QPoint> PointerInView() const;
    // Where Paste acts at the pointer: the corner under it, if it is over the lanes, its slot
    // on a guide near the pointer when snapping.
    std::optional<LanesView::TSelectionCorner> PointerCorner() const;
    void PasteBlock();
    void CutBlock();
    void CopyBlock();
    void CutTracks();
    void CopyTracks();
    void Extend(int tracks, int cells);
    void PlaySelection();
    void PlayFromPointer();

    TParts Parts;
    TWidgets Widgets;
    bool SelectingRange = false; // a selection drag is under way
    // The last copy or cut was a block (Ctrl+V pastes it) rather than tracks.
    bool BlockCopiedLast = false;
    // The corner a right click inside the selection opened the block menu at.
    LanesView::TSelectionCorner ContextCorner;
    // Where the pointer last was over the lanes: in the viewport, and its content x (-1
    // before it ever was).
    QPoint LastPointerView{-1, -1};
    std::int64_t LastPointerX = -1;
    std::vector<QAction*> ExtendActions; // Shift and an arrow grow the selection
};

} // namespace lumivox
