// The main window's side of the time-range selection: the selection gesture in the lanes,
// its band and status-bar read-out, the block commands from the Edit menu, the lanes' block
// pop-up and the keys, and the play ranges.
#include "app/MainWindow.h"

#include "editing/TimelineScroll.h"
#include "timeline/LanesView.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>

#include <algorithm>

namespace lumivox {

void TForm1::ConnectBlocks() {
    connect(Range, &RangeSelection::Changed, this, &TForm1::SelectionChanged);
    TMainMenus& m = *Menu;
    BlockCommands& b = *BlockCmds;
    auto on = [this](QAction* action, auto run) {
        connect(action, &QAction::triggered, this, [run] { run(); });
    };
    on(m.BlockCopy1, [this] { CopyBlock(); });
    on(m.BlockCut1, [this] { CutBlock(); });
    on(m.BlockPaste1, [this] { PasteBlock(); });
    on(m.BlockPaste2, [this, &b] { b.Paste(ContextCorner.Track, ContextCorner.Slot); });
    on(m.BlockClear1, [&b] { b.Clear(); });
    on(m.BlockFill1, [this, &b] { b.Fill(Tools->DrawValue()); });
    on(m.BlockRamp1, [&b] { b.Ramp(); });
    on(m.BlockInvert1, [&b] { b.Invert(); });
    on(m.BlockScale1, [&b] { b.Scale(); });
    on(m.BlockShiftEarlier1, [&b] { b.Shift(false); });
    on(m.BlockShiftLater1, [&b] { b.Shift(true); });
    on(m.BlockRepeat1, [&b] { b.Repeat(); });
    on(m.BlockChase1, [&b] { b.Chase(); });
    on(m.Deselect1, [this] { Range->Clear(); });
    on(m.PlaySelection1, [this] { PlaySelection(); });
    on(m.PlayFromPointer1, [this] { PlayFromPointer(); });
    connect(m.Loop1, &QAction::toggled, this,
            [this](bool looping) { TransportControl->SetLooping(looping); });

    // Shift and the arrows grow the selection by a cell or a track; keys of the window only.
    auto grow = [this](const char* name, Qt::Key key, int tracks, int cells) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(QKeySequence(Qt::SHIFT | key));
        action->setEnabled(false);
        addAction(action);
        connect(action, &QAction::triggered, this,
                [this, tracks, cells] { ExtendSelection(tracks, cells); });
        ExtendActions.push_back(action);
    };
    grow("ExtendLeft", Qt::Key_Left, 0, -1);
    grow("ExtendRight", Qt::Key_Right, 0, 1);
    grow("ExtendUp", Qt::Key_Up, -1, 0);
    grow("ExtendDown", Qt::Key_Down, 1, 0);
}

// The gesture: a left press that selects (see EditingTools::SelectsRange) starts a drag of
// the selection's moving corner; a right press inside the selection opens the block pop-up.
// Every other press goes to the editing tools as before.

void TForm1::LanesPressed(const TLanesHit& hit) {
    LastPointerView = hit.ViewPos;
    LastPointerX = hit.ContentX;
    TModifierKey modifier = Keyboard->ModifierKey();
    if (modifier == TModifierKey::None && (hit.Modifiers & Qt::ShiftModifier))
        modifier = TModifierKey::Shift;
    const LanesView::TSelectionCorner corner = LanesArea->SelectionCornerAt(hit.ViewPos);
    const bool invert = MarkSide->Inverted(hit.Modifiers);
    if (hit.Button == Qt::RightButton && Range->Range().Contains(corner.Track, corner.Slot)) {
        ContextCorner = {corner.Track, MarkSide->SnappedSlot(hit.ContentX, corner.Slot, invert)};
        Menu->PopupMenu5->popup(hit.GlobalPos);
        return;
    }
    if (hit.Button == Qt::LeftButton && EditingTools::SelectsRange(Tools->EditTool(), modifier)) {
        SelectingRange = true;
        Range->StartAt(corner.Track, MarkSide->SnappedSlot(hit.ContentX, corner.Slot, invert));
        return;
    }
    // The tool lands on the cell of a guide near the pointer; the drag then paints the cells
    // it passes over, as snapping them would leave gaps between the guides.
    Tools->MouseDown(hit.Button == Qt::LeftButton ? MarkSide->SnappedHit(hit) : hit,
                     Keyboard->ModifierKey());
}

void TForm1::LanesMoved(const TLanesHit& hit) {
    LastPointerView = hit.ViewPos;
    LastPointerX = hit.ContentX;
    // A release the lanes never saw (it went to another window) ends the drag here.
    if (SelectingRange && !(hit.Buttons & Qt::LeftButton))
        SelectingRange = false;
    if (SelectingRange) {
        const LanesView::TSelectionCorner corner = LanesArea->SelectionCornerAt(hit.ViewPos);
        Range->DragTo(corner.Track, MarkSide->SnappedSlot(hit.ContentX, corner.Slot,
                                                          MarkSide->Inverted(hit.Modifiers)));
    }
    Tools->MouseMove(hit, Keyboard->ModifierKey());
}

void TForm1::LanesReleased(const TLanesHit& hit) {
    if (SelectingRange && hit.Button == Qt::LeftButton) {
        SelectingRange = false;
        return;
    }
    Tools->MouseUp();
}

void TForm1::SelectionChanged(const TRangeSelection&, const TRangeSelection& current) {
    LanesArea->SetSelectionBand(current);
    ShowSelectionTimes();
    ApplyBlockStates();
}

void TForm1::ShowSelectionTimes() {
    if (Range->Empty()) {
        SelectionReadOut->clear();
        return;
    }
    const RangeSelection::TTimes times = Range->Times(SlotMs());
    SelectionReadOut->setText(Text(TextTable::BlockText, BlockText::SelectionStatus, Lang)
                                  .arg(Transport::FormatTime(times.StartMs),
                                       Transport::FormatTime(times.EndMs),
                                       Transport::FormatTime(times.LengthMs())));
}

void TForm1::ApplyBlockStates() {
    TMainMenus& m = *Menu;
    const TCommandStates s = States->States();
    const bool range = !Range->Empty();
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
    const bool paste = BlockCmds->HasBlock() && Doc.TrackCount() > 0;
    m.BlockPaste1->setEnabled(paste);
    m.BlockPaste2->setEnabled(paste);
    // Ctrl+X and Ctrl+C serve the block as well as the tracks, Ctrl+V the last copied.
    m.Couper1->setEnabled(s.Selection || range);
    m.Copier1->setEnabled(s.Selection || range);
    m.Coller1->setEnabled(BlockCopiedLast ? paste : s.Paste);
    m.PlaySelection1->setEnabled(range && s.Transport);
    m.PlayFromPointer1->setEnabled(s.Transport);
    if (MarkSide)
        MarkSide->ApplyStates();
}

std::optional<QPoint> TForm1::PointerInView() const {
    const QPoint view = LanesArea->viewport()->mapFromGlobal(QCursor::pos());
    if (!LanesArea->viewport()->rect().contains(view) ||
        (view - LastPointerView).manhattanLength() > 2)
        return std::nullopt;
    return view;
}

std::optional<LanesView::TSelectionCorner> TForm1::PointerCorner() const {
    if (const std::optional<QPoint> view = PointerInView()) {
        LanesView::TSelectionCorner corner = LanesArea->SelectionCornerAt(*view);
        corner.Slot =
            MarkSide->SnappedSlot(view->x() + Scroll->HorizontalOffset(), corner.Slot,
                                  MarkSide->Inverted(QGuiApplication::keyboardModifiers()));
        return corner;
    }
    return std::nullopt;
}

void TForm1::CutBlock() {
    BlockCmds->Cut();
    BlockCopiedLast = BlockCopiedLast || BlockCmds->HasBlock();
    ApplyBlockStates();
}

void TForm1::CopyBlock() {
    if (BlockCmds->Copy())
        BlockCopiedLast = true;
    ApplyBlockStates();
}

void TForm1::CutTracks() {
    Clipboard->CutSelection();
    BlockCopiedLast = false;
    ApplyBlockStates();
}

void TForm1::CopyTracks() {
    Clipboard->CopySelection();
    BlockCopiedLast = false;
    ApplyBlockStates();
}

void TForm1::PasteBlock() {
    const int count = Doc.TrackCount();
    if (count < 1)
        return;
    // At the pointer over the lanes; else at the play cursor, from the selection's first
    // track, or the first selected header's, down.
    if (const std::optional<LanesView::TSelectionCorner> corner = PointerCorner()) {
        BlockCmds->Paste(std::clamp(corner->Track, 1, count), corner->Slot);
        return;
    }
    int track = Range->Empty() ? 0 : Range->Range().FirstTrack;
    for (int k = 1; k <= count && track == 0; ++k)
        if (Doc.Track(k).Selected)
            track = k;
    BlockCmds->Paste(std::max(track, 1), TransportControl->CurrentSlot() + 1);
}

void TForm1::ExtendSelection(int tracks, int cells) {
    Range->Extend(tracks, cells * Timeline.SlotsPerCell());
    if (Range->Empty())
        return;
    // The view follows the moving corner: its slot's columns and its track's row in view.
    const RangeSelection::TCorner corner = Range->MovingCorner();
    const TLaneRow row = Timeline.LaneRow(corner.Track);
    Scroll->Reveal(Timeline.SlotX(corner.Slot - 1), Timeline.SlotX(corner.Slot), row.Top, row.End);
}

void TForm1::PlaySelection() {
    if (Range->Empty())
        return;
    const RangeSelection::TTimes times = Range->Times(SlotMs());
    TransportControl->PlayRange(times.StartMs, times.EndMs);
}

void TForm1::PlayFromPointer() {
    // The time under the pointer, or where it last was over the lanes (chosen from the
    // menu, the pointer is over the menu).
    const std::optional<QPoint> view = PointerInView();
    const std::int64_t x = view ? view->x() + Scroll->HorizontalOffset() : LastPointerX;
    if (x < 0 || x > Scroll->ContentWidth() || !HasWaveform())
        return;
    MarkSide->LocateAt(static_cast<int>(x - Scroll->HorizontalOffset()),
                       MarkSide->Inverted(QGuiApplication::keyboardModifiers()));
    TransportControl->Play();
}

} // namespace lumivox
