#include "app/TransportController.h"

#include "audio/playback/AudioPlayer.h"
#include "dialogs/Glyphs.h"
#include "editing/TimelineGeometry.h"
#include "editing/TimelineScroll.h"
#include "model/ShowDocument.h"
#include "show/ShowClock.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"

#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace lumivox {

TransportController::TransportController(TParts parts, TWidgets widgets, QObject* parent)
    : QObject(parent), Parts(std::move(parts)), Widgets(widgets),
      Pager(std::make_unique<FollowPaging>(*this)),
      Control(std::make_unique<Transport>(Parts.Player, *this, Parts.Clock)) {
    Transport& t = *Control;
    t.AddListener(Pager.get());
    connect(&Widgets.Play, &QToolButton::clicked, this, [&t] { t.Play(); });
    connect(&Widgets.Stop, &QToolButton::clicked, this, [&t] { t.Stop(); });
    connect(&Widgets.Pause, &QToolButton::clicked, this, [&t] { t.Pause(); });
    connect(&Widgets.Beginning, &QToolButton::clicked, this, [&t] { t.GoToBeginning(); });
    connect(&Widgets.End, &QToolButton::clicked, this, [&t] { t.GoToEnd(); });
    connect(&Widgets.Record, &QToolButton::clicked, this, [&t] { t.Record(); });
    // A press on the ruler moves the play cursor there, or onto a beat or mark near it.
    connect(&Widgets.Ruler, &RulerView::Pressed, this,
            [this](std::int64_t, int viewX, Qt::MouseButton) { Parts.RulerPressed(viewX); });

    ShowClock& clock = Parts.Clock;
    clock.SetPositionUpdate([&t] { t.Tick(); });
    clock.SetRecorder([this](const TFullTrack& track, int slot) {
        Parts.Record(track, slot, Control->RecordMode());
    });
    clock.SetOutputWatch([this] { return Parts.Player.PollOutput(); });
    connect(&clock, &ShowClock::OutputLost, this, [this] { Parts.OutputLost(); });
    // Resizing the views stops the paging until the cursor is in view again.
    connect(&Parts.Scroll, &TimelineScroll::ViewSizeChanged, this,
            [this] { Pager->ClearFollow(); });
    connect(&Widgets.CueBlink, &QTimer::timeout, this, [this] {
        CueDark = !CueDark;
        Widgets.Ruler.SetCueColor(CueDark ? QColor(Qt::black) : QColor(0xC0, 0xC0, 0xC0));
    });
    ShowRecordMode(false);
}

TransportController::~TransportController() = default;

int TransportController::SlotMs() const {
    return ResolutionMs(Parts.Doc.ResolutionIndex());
}

void TransportController::ShowTime(std::int64_t positionMs) {
    Widgets.Time.setText(Text(TextTable::StatusLabels, 1, Parts.Lang) +
                         Transport::FormatTime(positionMs));
}

void TransportController::ShowRecordMode(bool on) {
    Widgets.Record.setIcon(GlyphIcon(on ? Glyph::RecordOn : Glyph::RecordOff));
}

bool TransportController::ProjectModified() const {
    return Parts.Doc.Modified();
}

void TransportController::TakeSnapshot() {
    Parts.Snapshot();
}

TimeAxis TransportController::Axis() const {
    return Parts.Timeline.Axis();
}

int TransportController::ViewWidth() const {
    return Parts.Scroll.ViewWidth();
}

std::int64_t TransportController::ScrollOffset() const {
    return Parts.Scroll.HorizontalOffset();
}

void TransportController::ScrollTo(std::int64_t offset) {
    Parts.Scroll.SetHorizontalOffset(offset);
}

void TransportController::PlaceMarkers(std::int64_t cursorX, std::int64_t cueX) {
    Widgets.Ruler.SetPlayCursorX(cursorX);
    Widgets.Ruler.SetCueX(cueX);
    Widgets.Lanes.SetPlayCursorX(cursorX);
}

} // namespace lumivox
