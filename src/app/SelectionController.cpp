#include "app/SelectionController.h"

#include "app/MainMenus.h"
#include "app/MarksController.h"
#include "editing/BlockCommands.h"
#include "editing/CommandState.h"
#include "editing/EditingTools.h"
#include "editing/KeyboardControl.h"
#include "editing/RangeSelection.h"
#include "editing/TimelineGeometry.h"
#include "editing/TimelineScroll.h"
#include "editing/TrackClipboard.h"
#include "model/ShowDocument.h"
#include "show/Transport.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QWidget>

#include <algorithm>

namespace lumivox {

SelectionController::SelectionController(TParts parts, TWidgets widgets, QObject* parent)
    : QObject(parent), Parts(std::move(parts)), Widgets(widgets) {
    LanesView& lanes = Widgets.Lanes;
    connect(&lanes, &LanesView::MousePressed, this, &SelectionController::Pressed);
    connect(&lanes, &LanesView::MouseMoved, this, &SelectionController::Moved);
    connect(&lanes, &LanesView::MouseReleased, this, &SelectionController::Released);
    connect(&Parts.Range, &RangeSelection::Changed, this, &SelectionController::SelectionChanged);
    ConnectCommands();
    AddExtendKeys();
}

void SelectionController::ConnectCommands() {
    TMainMenus& m = Widgets.Menus;
    BlockCommands& b = Parts.Blocks;
    auto on = [this](QAction* action, auto run) {
        connect(action, &QAction::triggered, this, [run] { run(); });
    };
    on(m.BlockCopy1, [this] { CopyBlock(); });
    on(m.BlockCut1, [this] { CutBlock(); });
    on(m.BlockPaste1, [this] { PasteBlock(); });
    on(m.BlockPaste2, [this, &b] { b.Paste(ContextCorner.Track, ContextCorner.Slot); });
    on(m.BlockClear1, [&b] { b.Clear(); });
    on(m.BlockFill1, [this, &b] { b.Fill(Parts.Tools.DrawValue()); });
    on(m.BlockRamp1, [&b] { b.Ramp(); });
    on(m.BlockInvert1, [&b] { b.Invert(); });
    on(m.BlockScale1, [&b] { b.Scale(); });
    on(m.BlockShiftEarlier1, [&b] { b.Shift(false); });
    on(m.BlockShiftLater1, [&b] { b.Shift(true); });
    on(m.BlockRepeat1, [&b] { b.Repeat(); });
    on(m.BlockChase1, [&b] { b.Chase(); });
    on(m.Deselect1, [this] { Parts.Range.Clear(); });
    on(m.PlaySelection1, [this] { PlaySelection(); });
    on(m.PlayFromPointer1, [this] { PlayFromPointer(); });
    connect(m.Loop1, &QAction::toggled, this,
            [this](bool looping) { Parts.Motion.SetLooping(looping); });

    // The Edit menu's Cut and Copy (Ctrl+X, Ctrl+C) act on the block while a time range is
    // selected, and its Paste (Ctrl+V) pastes whichever was copied last; the header menu's
    // entries act on the tracks.
    on(m.Couper1, [this] { Parts.Range.Empty() ? CutTracks() : CutBlock(); });
    on(m.Copier1, [this] { Parts.Range.Empty() ? CopyTracks() : CopyBlock(); });
    on(m.Coller1, [this] {
        if (BlockCopiedLast && Parts.Blocks.HasBlock())
            PasteBlock();
        else
            Parts.Clipboard.PasteClipboard();
    });
    on(m.Cut1, [this] { CutTracks(); });
    on(m.Copy1, [this] { CopyTracks(); });
    on(m.Paste1, [this] { Parts.Clipboard.PasteClipboard(); });
}

// Shift and the arrows grow the selection by a cell or a track; keys of the window only.
void SelectionController::AddExtendKeys() {
    auto grow = [this](const char* name, Qt::Key key, int tracks, int cells) {
        auto* action = new QAction(&Widgets.Window);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(QKeySequence(Qt::SHIFT | key));
        action->setEnabled(false);
        Widgets.Window.addAction(action);
        connect(action, &QAction::triggered, this,
                [this, tracks, cells] { Extend(tracks, cells); });
        ExtendActions.push_back(action);
    };
    grow("ExtendLeft", Qt::Key_Left, 0, -1);
    grow("ExtendRight", Qt::Key_Right, 0, 1);
    grow("ExtendUp", Qt::Key_Up, -1, 0);
    grow("ExtendDown", Qt::Key_Down, 1, 0);
}

void SelectionController::Pressed(const TLanesHit& hit) {
    LastPointerView = hit.ViewPos;
    LastPointerX = hit.ContentX;
    TModifierKey modifier = Parts.Keys.ModifierKey();
    if (modifier == TModifierKey::None && (hit.Modifiers & Qt::ShiftModifier))
        modifier = TModifierKey::Shift;
    const LanesView::TSelectionCorner corner = Widgets.Lanes.SelectionCornerAt(hit.ViewPos);
    const MarksController& marks = Parts.Marks;
    const bool invert = marks.Inverted(hit.Modifiers);
    RangeSelection& range = Parts.Range;
    if (hit.Button == Qt::RightButton && range.Range().Contains(corner.Track, corner.Slot)) {
        ContextCorner = {corner.Track, marks.SnappedSlot(hit.ContentX, corner.Slot, invert)};
        Widgets.Menus.PopupMenu5->popup(hit.GlobalPos);
        return;
    }
    if (hit.Button == Qt::LeftButton &&
        EditingTools::SelectsRange(Parts.Tools.EditTool(), modifier)) {
        SelectingRange = true;
        range.StartAt(corner.Track, marks.SnappedSlot(hit.ContentX, corner.Slot, invert));
        return;
    }
    // The tool lands on the cell of a guide near the pointer; the drag then paints the cells
    // it passes over, as snapping them would leave gaps between the guides.
    Parts.Tools.MouseDown(hit.Button == Qt::LeftButton ? marks.SnappedHit(hit) : hit,
                          Parts.Keys.ModifierKey());
}

void SelectionController::Moved(const TLanesHit& hit) {
    LastPointerView = hit.ViewPos;
    LastPointerX = hit.ContentX;
    // A release the lanes never saw (it went to another window) ends the drag here.
    if (SelectingRange && !(hit.Buttons & Qt::LeftButton))
        SelectingRange = false;
    if (SelectingRange) {
        const LanesView::TSelectionCorner corner = Widgets.Lanes.SelectionCornerAt(hit.ViewPos);
        const MarksController& marks = Parts.Marks;
        Parts.Range.DragTo(corner.Track, marks.SnappedSlot(hit.ContentX, corner.Slot,
                                                           marks.Inverted(hit.Modifiers)));
    }
    Parts.Tools.MouseMove(hit, Parts.Keys.ModifierKey());
}

void SelectionController::Released(const TLanesHit& hit) {
    if (SelectingRange && hit.Button == Qt::LeftButton) {
        SelectingRange = false;
        return;
    }
    Parts.Tools.MouseUp();
}

void SelectionController::SelectionChanged(const TRangeSelection&, const TRangeSelection& current) {
    Widgets.Lanes.SetSelectionBand(current);
    ShowTimes();
    ApplyStates();
}

void SelectionController::ShowTimes() {
    if (Parts.Range.Empty()) {
        Widgets.ReadOut.clear();
        return;
    }
    const RangeSelection::TTimes times = Parts.Range.Times(Parts.SlotMs());
    Widgets.ReadOut.setText(Text(TextTable::BlockText, BlockText::SelectionStatus, Parts.Lang)
                                .arg(Transport::FormatTime(times.StartMs),
                                     Transport::FormatTime(times.EndMs),
                                     Transport::FormatTime(times.LengthMs())));
}

void SelectionController::ApplyStates() {
    TMainMenus& m = Widgets.Menus;
    const TCommandStates& s = Parts.States.States();
    const bool range = !Parts.Range.Empty();
    for (QAction* action : {m.BlockCopy1, m.BlockCut1, m.BlockClear1, m.BlockFill1, m.BlockRamp1,
                            m.BlockInvert1, m.BlockScale1, m.BlockShiftEarlier1, m.BlockShiftLater1,
                            m.BlockRepeat1, m.BlockChase1, m.Deselect1, m.ZoomToSelection1})
        action->setEnabled(range);
    for (QAction* action : ExtendActions)
        action->setEnabled(range);
    // With a range selected, Delete clears its values as Backspace does; without one it
    // deletes the selected tracks. One key, one action at a time, so it is never ambiguous.
    m.BlockClear1->setShortcuts(
        range ? QList<QKeySequence>{QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::Key_Delete)}
              : QList<QKeySequence>{QKeySequence(Qt::Key_Backspace)});
    m.Delete1->setShortcut(range ? QKeySequence() : QKeySequence(Qt::Key_Delete));
    const bool paste = Parts.Blocks.HasBlock() && Parts.Doc.TrackCount() > 0;
    m.BlockPaste1->setEnabled(paste);
    m.BlockPaste2->setEnabled(paste);
    // Ctrl+X and Ctrl+C serve the block as well as the tracks, Ctrl+V the last copied.
    m.Couper1->setEnabled(s.Selection || range);
    m.Copier1->setEnabled(s.Selection || range);
    m.Coller1->setEnabled(BlockCopiedLast ? paste : s.Paste);
    m.PlaySelection1->setEnabled(range && s.Transport);
    m.PlayFromPointer1->setEnabled(s.Transport);
    Parts.Marks.ApplyStates();
}

std::optional<QPoint> SelectionController::PointerInView() const {
    const QWidget* viewport = Widgets.Lanes.viewport();
    const QPoint view = viewport->mapFromGlobal(QCursor::pos());
    if (!viewport->rect().contains(view) || (view - LastPointerView).manhattanLength() > 2)
        return std::nullopt;
    return view;
}

std::optional<LanesView::TSelectionCorner> SelectionController::PointerCorner() const {
    if (const std::optional<QPoint> view = PointerInView()) {
        LanesView::TSelectionCorner corner = Widgets.Lanes.SelectionCornerAt(*view);
        const MarksController& marks = Parts.Marks;
        corner.Slot = marks.SnappedSlot(view->x() + Parts.Scroll.HorizontalOffset(), corner.Slot,
                                        marks.Inverted(QGuiApplication::keyboardModifiers()));
        return corner;
    }
    return std::nullopt;
}

void SelectionController::CutBlock() {
    Parts.Blocks.Cut();
    BlockCopiedLast = BlockCopiedLast || Parts.Blocks.HasBlock();
    ApplyStates();
}

void SelectionController::CopyBlock() {
    if (Parts.Blocks.Copy())
        BlockCopiedLast = true;
    ApplyStates();
}

void SelectionController::CutTracks() {
    Parts.Clipboard.CutSelection();
    BlockCopiedLast = false;
    ApplyStates();
}

void SelectionController::CopyTracks() {
    Parts.Clipboard.CopySelection();
    BlockCopiedLast = false;
    ApplyStates();
}

void SelectionController::PasteBlock() {
    const int count = Parts.Doc.TrackCount();
    if (count < 1)
        return;
    // At the pointer over the lanes; else at the play cursor, from the selection's first
    // track, or the first selected header's, down.
    if (const std::optional<LanesView::TSelectionCorner> corner = PointerCorner()) {
        Parts.Blocks.Paste(std::clamp(corner->Track, 1, count), corner->Slot);
        return;
    }
    const RangeSelection& range = Parts.Range;
    int track = range.Empty() ? 0 : range.Range().FirstTrack;
    for (int k = 1; k <= count && track == 0; ++k)
        if (Parts.Doc.Track(k).Selected)
            track = k;
    Parts.Blocks.Paste(std::max(track, 1), Parts.Motion.CurrentSlot() + 1);
}

void SelectionController::Extend(int tracks, int cells) {
    RangeSelection& range = Parts.Range;
    const TimelineGeometry& timeline = Parts.Timeline;
    range.Extend(tracks, cells * timeline.SlotsPerCell());
    if (range.Empty())
        return;
    // The view follows the moving corner: its slot's columns and its track's row in view.
    const RangeSelection::TCorner corner = range.MovingCorner();
    const TLaneRow row = timeline.LaneRow(corner.Track);
    Parts.Scroll.Reveal(timeline.SlotX(corner.Slot - 1), timeline.SlotX(corner.Slot), row.Top,
                        row.End);
}

void SelectionController::PlaySelection() {
    if (Parts.Range.Empty())
        return;
    const RangeSelection::TTimes times = Parts.Range.Times(Parts.SlotMs());
    Parts.Motion.PlayRange(times.StartMs, times.EndMs);
}

void SelectionController::PlayFromPointer() {
    // The time under the pointer, or where it last was over the lanes (chosen from the
    // menu, the pointer is over the menu).
    const std::optional<QPoint> view = PointerInView();
    const std::int64_t offset = Parts.Scroll.HorizontalOffset();
    const std::int64_t x = view ? view->x() + offset : LastPointerX;
    if (x < 0 || x > Parts.Scroll.ContentWidth() || !Parts.HasWaveform())
        return;
    Parts.Marks.LocateAt(static_cast<int>(x - offset),
                         Parts.Marks.Inverted(QGuiApplication::keyboardModifiers()));
    Parts.Motion.Play();
}

} // namespace lumivox
