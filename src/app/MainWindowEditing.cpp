// The main window's side of the timeline: the tool choice, zoom, and the hooks of the track
// commands, the editing tools and the keyboard.
#include "app/MainWindow.h"

#include "app/TrackHeaderColumn.h"
#include "editing/TimelineScroll.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/ToolCursors.h"

#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace lumivox {

void TForm1::ChooseTool(int tag) {
    Tools->SelectTool(tag);
    DrawToolButton->setChecked(tag == 1);
    RubberToolButton->setChecked(tag == 2);
    DrawValueToolButton->setChecked(tag == 3);
    SelectionToolButton->setChecked(tag == 0);
}

int TForm1::ZoomAnchorX() const {
    const QPoint global = QCursor::pos();
    for (QWidget* area :
         {static_cast<QWidget*>(LanesArea->viewport()), static_cast<QWidget*>(RulerArea)}) {
        const QPoint local = area->mapFromGlobal(global);
        if (area->isVisible() && area->rect().contains(local))
            return local.x();
    }
    const std::int64_t cursor = RulerArea->PlayCursorX() - Scroll->HorizontalOffset();
    if (HasWaveform() && cursor >= 0 && cursor < Scroll->ViewWidth())
        return static_cast<int>(cursor);
    return 0;
}

void TForm1::ZoomHorizontal(bool in) {
    ZoomHorizontalAt(in, ZoomAnchorX());
}

void TForm1::ZoomHorizontalAt(bool in, int anchorViewX) {
    const int level = Timeline.HorzZoom() + (in ? 1 : -1);
    HorizontalZoomChanged(Scroll->ZoomHorizontalAt(Timeline, level, anchorViewX));
}

void TForm1::ZoomToFit() {
    HorizontalZoomChanged(Scroll->ZoomToFit(Timeline));
}

void TForm1::ZoomToSelection() {
    const TRangeSelection& range = Range->Range();
    if (range.Empty())
        return;
    HorizontalZoomChanged(Scroll->ZoomToSlots(Timeline, range.FirstSlot, range.LastSlot));
}

void TForm1::HorizontalZoomChanged(bool levelChanged) {
    if (levelChanged)
        RulerArea->PeaksChanged();
    UpdateZoomLabels();
    LanesArea->UpdateContentWidth();
    // The markers stand at the new scale's x of their times.
    TransportControl->PlaceMarkers();
    RulerArea->RepaintAll();
    LanesArea->RepaintAll();
}

void TForm1::ZoomVertical(bool in) {
    const int oldHeight = Timeline.LaneHeight();
    const std::int64_t oldOffset = Scroll->VerticalOffset();
    if (Timeline.ZoomVertical(in)) {
        // Only the views change: the headers take the new row height and the lanes draw
        // every row again; the show is not touched.
        ScopedProgress progress(*Ui,
                                Text(TextTable::CommonTexts, CommonText::ProcessingResize, Lang));
        Headers->LayoutHeaders();
        progress.SetGauge(100);
        progress.Close();
    }
    UpdateZoomLabels();
    LanesArea->UpdateLanesHeight();
    // The same track, at the same fraction of its row, stays at the top of the view.
    Scroll->SetVerticalOffset(oldOffset * Timeline.LaneHeight() / std::max(oldHeight, 1));
    Headers->LayoutHeaders();
    LanesArea->RepaintAll();
}

// Track command hooks.

ICaptionEditor* TForm1::CaptionEditor(int track) {
    return Headers->CaptionEditor(track);
}

void TForm1::PopupHeaderMenu(int /*track*/) {
    Menu->PopupMenu3->popup(QCursor::pos());
}

void TForm1::PopupTypeOutputMenu(int track, std::uint8_t trackType) {
    Menu->Proportional1->setChecked(trackType == TrackTypeProportional);
    Menu->OnOff1->setChecked(trackType == TrackTypeOnOff);
    Menu->PopupMenu2->popup(Headers->TypeOutputMenuPosition(track).value_or(QCursor::pos()));
}

// Editing tool hooks.

void TForm1::ShowValueText(const QString& text) {
    ValueReadOut->setText(text);
}

void TForm1::ShowToolCursor(TToolCursor cursor) {
    if (cursor == TToolCursor::Default)
        LanesArea->viewport()->unsetCursor();
    else
        LanesArea->viewport()->setCursor(ToolCursor(cursor));
}

void TForm1::PopupToolMenu() {
    Menu->PopupMenu1->popup(QCursor::pos());
}

// Keyboard hooks: Space plays and pauses until the transport commands take over.

bool TForm1::SongPlaying() const {
    return MediaPlayer->Mode() == TMediaMode::Playing;
}

void TForm1::Play() {
    TransportControl->Play();
}

void TForm1::Pause() {
    TransportControl->Pause();
}

void TForm1::MovePlayCursor(TCursorMove move) {
    Transport& t = *TransportControl;
    switch (move) {
    case TCursorMove::Start:
        t.GoToBeginning();
        break;
    case TCursorMove::End:
        t.GoToEnd();
        break;
    case TCursorMove::CellBack:
        t.StepCell(-1, Timeline.CurrentTickMs());
        break;
    case TCursorMove::CellForward:
        t.StepCell(1, Timeline.CurrentTickMs());
        break;
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel)
        return QMainWindow::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    const QPoint angle = wheel->angleDelta();
    // Some systems turn Shift+wheel into a horizontal wheel.
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    const Qt::KeyboardModifiers modifiers = wheel->modifiers();
    if (modifiers & Qt::ControlModifier) {
        // Over the lanes or the ruler the pointer's x anchors the zoom; over the headers
        // there is no time under the pointer.
        const bool timeUnderPointer = watched == LanesArea->viewport() || watched == RulerArea;
        const int anchor = timeUnderPointer ? wheel->position().toPoint().x() : ZoomAnchorX();
        WheelZoomRest += delta;
        while (WheelZoomRest >= QWheelEvent::DefaultDeltasPerStep) {
            WheelZoomRest -= QWheelEvent::DefaultDeltasPerStep;
            ZoomHorizontalAt(true, anchor);
        }
        while (WheelZoomRest <= -QWheelEvent::DefaultDeltasPerStep) {
            WheelZoomRest += QWheelEvent::DefaultDeltasPerStep;
            ZoomHorizontalAt(false, anchor);
        }
        return true;
    }
    if (modifiers & Qt::ShiftModifier) {
        // As far per notch as the lanes scroll vertically: three steps of their scroll bar.
        const int step = LanesArea->horizontalScrollBar()->singleStep() * 3;
        Scroll->SetHorizontalOffset(Scroll->HorizontalOffset() -
                                    delta * step / QWheelEvent::DefaultDeltasPerStep);
        return true;
    }
    if (watched == Headers && angle.y() != 0) {
        QCoreApplication::sendEvent(LanesArea->verticalScrollBar(), wheel);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

std::optional<TLaneHit> TForm1::PointerInLanes() const {
    const QPoint view = LanesArea->viewport()->mapFromGlobal(QCursor::pos());
    if (!LanesArea->viewport()->rect().contains(view))
        return std::nullopt;
    return LanesArea->HitAt(view);
}

} // namespace lumivox
