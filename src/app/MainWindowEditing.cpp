// The main window's side of the timeline: track headers in their column, zoom, the hooks of
// the track commands and editing tools, and the key preview for the modifier keys.
#include "app/MainWindow.h"

#include "editing/TimelineScroll.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/ToolCursors.h"
#include "timeline/TrackHeader.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

namespace lumivox {

namespace {
TFrame2* FrameOf(TFullTrack& track) {
    return dynamic_cast<TFrame2*>(track.Header.get());
}
} // namespace

std::unique_ptr<ITrackHeader> TForm1::MakeHeader() {
    auto frame = std::make_unique<TFrame2>(PaintBox4, Lang);
    TFrame2* f = frame.get();
    auto number = [this, f] { return TrackCmds->NumberOf(f); };
    connect(f, &TFrame2::Pressed, this, [this, number](Qt::MouseButton button) {
        TrackCmds->HeaderPress(number(), button, Keyboard->ModifierKey());
    });
    connect(f, &TFrame2::CaptionDoubleClicked, this,
            [this, number] { TrackCmds->StartCaptionEdit(number()); });
    connect(f, &TFrame2::CaptionEditFinished, this,
            [this, number] { TrackCmds->CommitCaptionEdit(number()); });
    connect(f, &TFrame2::LockClicked, this, [this, number] { TrackCmds->ToggleLock(number()); });
    connect(f, &TFrame2::MuteClicked, this, [this, number] { TrackCmds->ToggleMute(number()); });
    connect(f, &TFrame2::SoloClicked, this, [this, number] { TrackCmds->ToggleSolo(number()); });
    connect(f, &TFrame2::TypeOutputClicked, this,
            [this, number] { TrackCmds->OpenTypeOutputMenu(number()); });
    connect(f, &TFrame2::PointerMoved, this, [this] { Tools->ResetPointerFeedback(); });
    f->setGeometry(0, Doc.TrackCount() * Timeline.LaneHeight(), ScrollBox3->width(),
                   Timeline.LaneHeight());
    f->show();
    return frame;
}

void TForm1::LayoutHeaders() {
    const int height = Timeline.LaneHeight();
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        if (TFrame2* frame = FrameOf(Doc.Track(k)))
            frame->setGeometry(0, (k - 1) * height, ScrollBox3->width(), height);
    PaintBox4->resize(ScrollBox3->width(), std::max(1, Doc.TrackCount() * height));
    FollowVerticalOffset(Scroll->VerticalOffset());
}

void TForm1::FollowVerticalOffset(std::int64_t offset) {
    PaintBox4->move(0, -static_cast<int>(offset));
}

void TForm1::ChooseTool(int tag) {
    Tools->SelectTool(tag);
    SpeedButton9->setChecked(tag == 1);
    SpeedButton10->setChecked(tag == 2);
    SpeedButton14->setChecked(tag == 3);
}

void TForm1::ZoomHorizontal(bool in) {
    if (Timeline.ZoomHorizontal(in)) {
        Scroll->SetHorizontalOffset(0);
        RulerArea->PeaksChanged();
    }
    UpdateZoomLabels();
    LanesArea->UpdateContentWidth();
    RulerArea->RepaintAll();
    LanesArea->RepaintAll();
}

void TForm1::ZoomVertical(bool in) {
    if (Timeline.ZoomVertical(in)) {
        Ui->ProgressSetText(Text(TextTable::CommonTexts, CommonText::ProcessingResize, Lang));
        Ui->ProgressSetGauge(0);
        Ui->ProgressShow();
        BeginBulkUpdate();
        const int count = Doc.TrackCount();
        for (int k = 1; k <= count; ++k) {
            Doc.Track(k).SetHeight(Timeline.LaneHeight());
            Ui->ProgressSetGauge(k * 100 / count);
        }
        Ui->ProgressClose();
        EndBulkUpdate();
    }
    UpdateZoomLabels();
    UpdateLanesHeight();
}

// Track command hooks.

void TForm1::TrackRowAdded(int count) {
    LayoutHeaders();
    UpdateLanesHeight();
    // The new track comes into view at the bottom of the column.
    Scroll->SetVerticalOffset(static_cast<std::int64_t>(count) * Timeline.LaneHeight());
}

void TForm1::UpdateLanesHeight() {
    LanesArea->UpdateLanesHeight();
    LayoutHeaders();
}

void TForm1::RepaintLanes() {
    LanesArea->RepaintAll();
}

void TForm1::EnableSelectionCommands() {
    Menu->Couper1->setEnabled(true);
    Menu->Copier1->setEnabled(true);
    Menu->Delete1->setEnabled(true);
}

void TForm1::DisableSelectionCommands() {
    Menu->Couper1->setEnabled(false);
    Menu->Copier1->setEnabled(false);
    Menu->Delete1->setEnabled(false);
}

void TForm1::PopupHeaderMenu(int /*track*/) {
    Menu->PopupMenu3->popup(QCursor::pos());
}

void TForm1::PopupTypeOutputMenu(int track, std::uint8_t /*trackType*/) {
    QPoint at = QCursor::pos();
    if (track >= 1 && track <= Doc.TrackCount())
        if (TFrame2* frame = FrameOf(Doc.Track(track)))
            at = frame->mapToGlobal(frame->TypeOutputMenuPosition());
    Menu->PopupMenu2->popup(at);
}

// Editing tool hooks.

void TForm1::RepaintCell(int track, int cell, std::int64_t /*x0*/, std::int64_t /*x1*/) {
    LanesArea->RepaintCell(track, cell);
}

void TForm1::ShowValueText(const QString& text) {
    StaticText7->setText(text);
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

std::optional<QPoint> TForm1::PointerInLanes() const {
    const QPoint view = LanesArea->viewport()->mapFromGlobal(QCursor::pos());
    if (!LanesArea->viewport()->rect().contains(view))
        return std::nullopt;
    return QPoint(view.x() + static_cast<int>(Scroll->HorizontalOffset()),
                  view.y() + static_cast<int>(Scroll->VerticalOffset()));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if ((!press && event->type() != QEvent::KeyRelease) || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this)
        return false;
    // A key an inner widget ignores travels up to its parents: see each event once.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key == LastKeyEvent && key->timestamp() == LastKeyTime && press == LastKeyWasPress)
        return false;
    LastKeyEvent = key;
    LastKeyTime = key->timestamp();
    LastKeyWasPress = press;
    // Text fields keep their keys (a blank in a caption, Delete inside a name).
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
        return false;
    if (press)
        Keyboard->KeyDown(key->key(), key->isAutoRepeat());
    else
        Keyboard->KeyUp(key->key(), key->isAutoRepeat());
    // Space belongs to play and pause, not to the button that has the focus.
    return key->key() == Qt::Key_Space;
}

} // namespace lumivox
