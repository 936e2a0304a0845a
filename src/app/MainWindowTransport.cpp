// The main window's side of the transport and the show clock: its buttons, the ruler press,
// the 10 ms tick, the blinking cue marker, the time display and the per-slot work.
#include "app/MainWindow.h"

#include "app/ShowClock.h"
#include "editor/RulerView.h"
#include "editor/TimelineScroll.h"
#include "output/RealTimeOutput.h"
#include "ui/Glyphs.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace lumivox {

void TForm1::ConnectTransport() {
    Transport& t = *TransportControl;
    connect(SpeedButton6, &QToolButton::clicked, this, [&t] { t.Play(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [&t] { t.Stop(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [&t] { t.Pause(); });
    connect(SpeedButton5, &QToolButton::clicked, this, [&t] { t.GoToBeginning(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [&t] { t.GoToEnd(); });
    connect(SpeedButton16, &QToolButton::clicked, this, [&t] { t.Record(); });
    connect(RulerArea, &RulerView::Pressed, this,
            [&t](std::int64_t, int viewX, Qt::MouseButton) { t.Locate(viewX); });
    ShowTick->SetPositionUpdate([&t] { t.Tick(); });
    ShowTick->SetRecorder([this](TFullTrack& track, int slot) {
        Midi->RecordLiveInput(track, slot, TransportControl->RecordMode());
    });
    // Resizing the views stops the paging until the cursor is in view again.
    connect(Scroll, &TimelineScroll::ViewSizeChanged, this, [&t] { t.ClearFollow(); });
    connect(Timer2, &QTimer::timeout, this, [this] {
        CueDark = !CueDark;
        RulerArea->SetCueColor(CueDark ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0));
    });
}

bool TForm1::TickRunning() const {
    return ShowTick->Running();
}

int TForm1::SlotMs() const {
    return ResolutionMs(Doc.ResolutionIndex);
}

std::int64_t TForm1::TimelineWidth() const {
    return Scroll->ContentWidth();
}

int TForm1::ViewWidth() const {
    return Scroll->ViewWidth();
}

std::int64_t TForm1::ScrollOffset() const {
    return Scroll->HorizontalOffset();
}

void TForm1::ScrollTo(std::int64_t offset) {
    Scroll->SetHorizontalOffset(offset);
}

bool TForm1::HasWaveform() const {
    return !Loader->WavePeaks.empty();
}

void TForm1::ShowTime(std::int64_t positionMs) {
    Label1->setText(Text(TextTable::StatusLabels, 1, Lang) + Transport::FormatTime(positionMs));
}

void TForm1::PlaceMarkers(std::int64_t cursorX, std::int64_t cueX) {
    RulerArea->SetPlayCursorX(cursorX);
    RulerArea->SetCueX(cueX);
}

void TForm1::ShowRecordMode(bool on) {
    SpeedButton16->setIcon(GlyphIcon(on ? Glyph::RecordOn : Glyph::RecordOff));
}

} // namespace lumivox
