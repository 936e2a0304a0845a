// The main window's side of the timeline: the tool choice, zoom, and the hooks of the track
// commands, the editing tools and the keyboard.
#include "app/MainWindow.h"

#include "app/TrackHeaderColumn.h"
#include "editing/TimelineScroll.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/ToolCursors.h"

#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace lumivox {

void TForm1::ChooseTool(int tag) {
    Tools->SelectTool(tag);
    DrawToolButton->setChecked(tag == 1);
    RubberToolButton->setChecked(tag == 2);
    DrawValueToolButton->setChecked(tag == 3);
    SelectionToolButton->setChecked(tag == 0);
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
        ScopedProgress progress(*Ui,
                                Text(TextTable::CommonTexts, CommonText::ProcessingResize, Lang));
        // One bulk update: the views draw the new rows once, from the top-left corner.
        const TBulkUpdate bulk(Doc);
        const int count = Doc.TrackCount();
        for (int k = 1; k <= count; ++k) {
            if (const auto& header = Doc.Track(k).Header)
                header->SetHeight(Timeline.LaneHeight());
            progress.SetGauge(k * 100 / count);
        }
        progress.Close();
    }
    UpdateZoomLabels();
    LanesArea->UpdateLanesHeight();
    Headers->LayoutHeaders();
}

// Track command hooks.

void TForm1::PopupHeaderMenu(int /*track*/) {
    Menu->PopupMenu3->popup(QCursor::pos());
}

void TForm1::PopupTypeOutputMenu(int track, std::uint8_t /*trackType*/) {
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

std::optional<TLaneHit> TForm1::PointerInLanes() const {
    const QPoint view = LanesArea->viewport()->mapFromGlobal(QCursor::pos());
    if (!LanesArea->viewport()->rect().contains(view))
        return std::nullopt;
    return LanesArea->HitAt(view);
}

} // namespace lumivox
