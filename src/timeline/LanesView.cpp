// The editor area's lanes, painted in content coordinates through the shared scroll state.
#include "timeline/LanesView.h"

#include "editing/TimelineScroll.h"
#include "model/ShowDocument.h"
#include "timeline/TimelineStyle.h"
#include "timeline/TimingMarks.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace lumivox {

namespace {

constexpr int ScrollStep = 20;

// The selection band: a quarter of its colour over the lanes, outlined in a darker blue.
constexpr QRgb BandColor = qRgb(0x33, 0x77, 0xFF);
constexpr QRgb BandEdgeColor = qRgb(0x10, 0x3C, 0xA0);

int ToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN / 2, INT_MAX / 2));
}

// Fills content rectangles, right and bottom edges excluded, clipped to a part of the
// content, into an image whose top-left pixel is content (originX, originY). Plain row
// fills: a paint of the densest zoom levels is tens of thousands of one-pixel bars.
class ContentPainter {
public:
    ContentPainter(QImage& image, std::int64_t originX, std::int64_t originY, std::int64_t clipX0,
                   std::int64_t clipY0, std::int64_t clipX1, std::int64_t clipY1)
        : Bits(image.bits()), Stride(image.bytesPerLine()), OriginX(originX), OriginY(originY),
          ClipX0(clipX0), ClipY0(clipY0), ClipX1(clipX1), ClipY1(clipY1) {}

    void Fill(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              const QColor& color) {
        x0 = std::max(x0, ClipX0);
        y0 = std::max(y0, ClipY0);
        x1 = std::min(x1, ClipX1);
        y1 = std::min(y1, ClipY1);
        if (x1 <= x0 || y1 <= y0)
            return;
        const QRgb pixel = color.rgb();
        const auto count = static_cast<std::size_t>(x1 - x0);
        uchar* line = Bits + (y0 - OriginY) * Stride;
        for (std::int64_t y = y0; y < y1; ++y, line += Stride)
            std::fill_n(reinterpret_cast<QRgb*>(line) + (x0 - OriginX), count, pixel);
    }

    // A rectangle with a one-pixel outline in `pen` and its inside in `brush`.
    void Frame(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
               const QColor& pen, const QColor& brush) {
        Fill(x0, y0, x1, y1, brush);
        Fill(x0, y0, x1, y0 + 1, pen);
        Fill(x0, y1 - 1, x1, y1, pen);
        Fill(x0, y0, x0 + 1, y1, pen);
        Fill(x1 - 1, y0, x1, y1, pen);
    }

private:
    uchar* Bits;
    qsizetype Stride;
    std::int64_t OriginX, OriginY, ClipX0, ClipY0, ClipX1, ClipY1;
};

} // namespace

LanesView::LanesView(const ShowDocument& document, const TimelineGeometry& geometry,
                     TimelineScroll& scroll, QWidget* parent)
    : QAbstractScrollArea(parent), Doc(document), Geometry(geometry), Scroll(scroll) {
    setObjectName(QStringLiteral("ScrollBox1"));
    viewport()->setObjectName(QStringLiteral("PaintBox3"));
    setFrameShape(QFrame::NoFrame);
    // Every pixel is painted by paintEvent; nothing needs clearing first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    EdgeTimer.setInterval(40);
    connect(&EdgeTimer, &QTimer::timeout, this, &LanesView::EdgeScrollStep);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { Scroll.SetHorizontalOffset(value); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { Scroll.SetVerticalOffset(value); });
    connect(&Scroll, &TimelineScroll::HorizontalOffsetChanged, this, [this] { FollowOffsets(); });
    connect(&Scroll, &TimelineScroll::VerticalOffsetChanged, this, [this] { FollowOffsets(); });
    connect(&Scroll, &TimelineScroll::ContentSizeChanged, this, [this] {
        SyncScrollBars();
        RepaintAll();
    });
    connect(&Scroll, &TimelineScroll::ViewSizeChanged, this, [this] { SyncScrollBars(); });
    ShownX = Scroll.HorizontalOffset();
    ShownY = Scroll.VerticalOffset();
    SyncScrollBars();
    FollowDocument();
}

void LanesView::FollowDocument() {
    connect(&Doc, &ShowDocument::SlotsChanged, this,
            [this](int track, int first, int last) { RepaintSlots(track, first, last); });
    connect(&Doc, &ShowDocument::TrackChanged, this, [this](int track, TTrackFields fields) {
        // What a lane shows of its track besides the values: its colours, grey when unheard.
        if (fields & (TTrackField::Colors | TTrackField::Mute | TTrackField::Solo))
            RepaintTrack(track);
    });
    connect(&Doc, &ShowDocument::SoloActiveChanged, this, [this] { RepaintAll(); });
    connect(&Doc, &ShowDocument::TracksAdded, this, [this](int first, int) {
        UpdateLanesHeight();
        RepaintTracksFrom(first);
    });
    connect(&Doc, &ShowDocument::TracksRemoved, this, [this](int first, int) {
        UpdateLanesHeight();
        RepaintTracksFrom(first);
    });
    connect(&Doc, &ShowDocument::TracksMoved, this, [this](int first, int last) {
        for (int track = first; track <= last; ++track)
            RepaintTrack(track);
    });
    connect(&Doc, &ShowDocument::MarksChanged, this, [this] { RepaintChangedMarks(); });
    connect(&Doc, &ShowDocument::BulkUpdateStarted, this, [this] { SetLanesPaintEnabled(false); });
    connect(&Doc, &ShowDocument::Reset, this, [this] {
        ShownMarks = Doc.Marks();
        // The view stays where it was: an edit, an undo or a new row height is no reason to
        // lose one's place. The new height clamps the offsets.
        UpdateLanesHeight();
        SetLanesPaintEnabled(true);
    });
}

void LanesView::RepaintChangedMarks() {
    const int zoom = Geometry.HorzZoom();
    const std::int64_t top = Scroll.VerticalOffset();
    for (const int ms : ChangedMarkTimes(ShownMarks, Doc.Marks())) {
        const std::int64_t x = ColumnOfMs(ms, zoom);
        UpdateContentRect(x, top, x + 1, top + viewport()->height());
    }
    ShownMarks = Doc.Marks();
}

void LanesView::UpdateContentWidth() {
    Scroll.SetContentWidth(Geometry.ContentWidth());
}

void LanesView::UpdateLanesHeight() {
    Scroll.SetContentHeight(Geometry.LanesHeight(Doc.TrackCount()));
}

void LanesView::SetLanesPaintEnabled(bool enabled) {
    if (enabled == PaintEnabled)
        return;
    PaintEnabled = enabled;
    if (enabled)
        RepaintAll();
}

void LanesView::RepaintAll() {
    viewport()->update();
}

void LanesView::UpdateContentRect(std::int64_t x0, std::int64_t y0, std::int64_t x1,
                                  std::int64_t y1) {
    const QRect area(ToInt(x0 - Scroll.HorizontalOffset()), ToInt(y0 - Scroll.VerticalOffset()),
                     ToInt(x1 - x0), ToInt(y1 - y0));
    const QRect visible = area.intersected(viewport()->rect());
    if (!visible.isEmpty())
        viewport()->update(visible);
}

void LanesView::SetPlayCursorX(std::int64_t contentX) {
    if (contentX == CursorX)
        return;
    const std::int64_t old = CursorX;
    CursorX = contentX;
    UpdateCursorColumn(old);
    UpdateCursorColumn(CursorX);
}

void LanesView::UpdateCursorColumn(std::int64_t contentX) {
    if (!Geometry.Axis().HasSong() || contentX < 0 || contentX > Scroll.ContentWidth())
        return;
    // The song's end stands on the timeline's last column.
    contentX = std::min(contentX, Scroll.ContentWidth() - 1);
    const std::int64_t top = Scroll.VerticalOffset();
    UpdateContentRect(contentX, top, contentX + 1, top + viewport()->height());
}

void LanesView::RepaintSlots(int track, int firstSlot, int lastSlot) {
    if (track < 1 || firstSlot < 1 || lastSlot < firstSlot)
        return;
    const TLaneRow row = Geometry.LaneRow(track);
    // A bar reaches at most to its slot's right edge, or one pixel further when the slot is
    // one pixel wide.
    const std::int64_t x0 = Geometry.SlotX(firstSlot - 1);
    const std::int64_t x1 = std::max(Geometry.SlotX(lastSlot), Geometry.SlotX(lastSlot - 1) + 2);
    UpdateContentRect(x0, row.Top, x1, row.End);
}

void LanesView::RepaintCell(int track, int cell) {
    const TSlotRange slots = Geometry.CellSlots(cell);
    RepaintSlots(track, slots.First, slots.Last);
}

void LanesView::RepaintTrack(int track) {
    if (track < 1)
        return;
    const TLaneRow row = Geometry.LaneRow(track);
    UpdateContentRect(Scroll.HorizontalOffset(), row.Top,
                      Scroll.HorizontalOffset() + viewport()->width(), row.End);
}

void LanesView::RepaintTracksFrom(int first) {
    if (first < 1)
        return;
    UpdateContentRect(Scroll.HorizontalOffset(), Geometry.LaneRow(first).Top,
                      Scroll.HorizontalOffset() + viewport()->width(),
                      Scroll.VerticalOffset() + viewport()->height());
}

TLanesHit LanesView::HitAt(QPoint viewPos, Qt::KeyboardModifiers modifiers) const {
    TLanesHit hit;
    hit.ViewPos = viewPos;
    hit.GlobalPos = viewport()->mapToGlobal(viewPos);
    hit.Modifiers = modifiers;
    hit.ContentX = viewPos.x() + Scroll.HorizontalOffset();
    hit.ContentY = viewPos.y() + Scroll.VerticalOffset();
    static_cast<TLaneHit&>(hit) = Geometry.HitAt(hit.ContentX, hit.ContentY, Doc.TrackCount());
    // The columns the write covers: a partial last cell ends with its last editable slot.
    if (hit.Cell >= 1)
        hit.CellPixels = {Geometry.SlotX(hit.Slots.First - 1), Geometry.SlotX(hit.Slots.Last)};
    return hit;
}

int LanesView::ValueAtY(int viewY) const {
    return HitAt(QPoint(0, viewY)).Value;
}

TLanesHit LanesView::Hit(const QMouseEvent& event) const {
    TLanesHit hit = HitAt(event.position().toPoint(), event.modifiers());
    hit.GlobalPos = event.globalPosition().toPoint();
    hit.Button = event.button();
    hit.Buttons = event.buttons();
    return hit;
}

void LanesView::mousePressEvent(QMouseEvent* event) {
    FollowDrag(*event);
    Q_EMIT MousePressed(Hit(*event));
    event->accept();
}

void LanesView::mouseMoveEvent(QMouseEvent* event) {
    FollowDrag(*event);
    Q_EMIT MouseMoved(Hit(*event));
    event->accept();
}

void LanesView::mouseReleaseEvent(QMouseEvent* event) {
    FollowDrag(*event);
    Q_EMIT MouseReleased(Hit(*event));
    event->accept();
}

void LanesView::FollowDrag(const QMouseEvent& event) {
    DragPos = event.position().toPoint();
    DragButtons = event.buttons();
    DragModifiers = event.modifiers();
    if ((DragButtons & Qt::LeftButton) && !viewport()->rect().contains(DragPos)) {
        if (!EdgeTimer.isActive())
            EdgeTimer.start();
    } else {
        EdgeTimer.stop();
    }
}

void LanesView::EdgeScrollStep() {
    if (!(DragButtons & Qt::LeftButton) || viewport()->rect().contains(DragPos)) {
        EdgeTimer.stop();
        return;
    }
    const std::int64_t before = Scroll.HorizontalOffset();
    if (!Scroll.EdgeScroll(DragPos.x(), DragPos.y()))
        return; // at the content's end: nothing new under the pointer
    const auto report = [this](QPoint at) {
        TLanesHit hit = HitAt(at, DragModifiers);
        hit.Buttons = DragButtons;
        Q_EMIT MouseMoved(hit);
    };
    // A step moves the time under the pointer by many pixels at once: a move is reported in
    // each cell passed on the way, so that a paint drag writes them all as a slow drag does.
    const std::int64_t offset = Scroll.HorizontalOffset();
    const bool right = offset > before;
    const std::int64_t target = DragPos.x() + offset; // content x under the pointer now
    std::int64_t x = DragPos.x() + before;            // and before the step, reported then
    while (offset != before) {
        const TLanesHit passed = HitAt(QPoint(static_cast<int>(x - offset), DragPos.y()));
        if (passed.Cell < 1)
            break;
        const std::int64_t next = right ? passed.CellPixels.X1 : passed.CellPixels.X0 - 1;
        if (right ? (next <= x || next >= target) : (next >= x || next <= target))
            break;
        x = next;
        report(QPoint(static_cast<int>(x - offset), DragPos.y()));
    }
    report(DragPos);
}

void LanesView::SyncScrollBars() {
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    const QSignalBlocker blockH(h);
    const QSignalBlocker blockV(v);
    h->setRange(0, ToInt(Scroll.MaxHorizontalOffset()));
    h->setPageStep(std::max(viewport()->width(), 1));
    h->setSingleStep(ScrollStep);
    h->setValue(ToInt(Scroll.HorizontalOffset()));
    v->setRange(0, ToInt(Scroll.MaxVerticalOffset()));
    v->setPageStep(std::max(viewport()->height(), 1));
    v->setSingleStep(ScrollStep);
    v->setValue(ToInt(Scroll.VerticalOffset()));
}

void LanesView::FollowOffsets() {
    {
        const QSignalBlocker blockH(horizontalScrollBar());
        const QSignalBlocker blockV(verticalScrollBar());
        horizontalScrollBar()->setValue(ToInt(Scroll.HorizontalOffset()));
        verticalScrollBar()->setValue(ToInt(Scroll.VerticalOffset()));
    }
    const std::int64_t dx = ShownX - Scroll.HorizontalOffset();
    const std::int64_t dy = ShownY - Scroll.VerticalOffset();
    ShownX = Scroll.HorizontalOffset();
    ShownY = Scroll.VerticalOffset();
    if (dx == 0 && dy == 0)
        return;
    // A small move keeps the pixels still in view and paints only the uncovered strip.
    if (PaintEnabled && std::abs(dx) < viewport()->width() && std::abs(dy) < viewport()->height())
        viewport()->scroll(static_cast<int>(dx), static_cast<int>(dy));
    else
        RepaintAll();
}

void LanesView::scrollContentsBy(int, int) {
    // The offsets come from the shared scroll state (FollowOffsets), not from here.
}

void LanesView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Scroll.SetViewSize(viewport()->width(), viewport()->height());
    SyncScrollBars();
}

void LanesView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    ++Stats.Paints;
    // Each rectangle of the region on its own: two narrow columns far apart (the play
    // cursor's old and new line) are not the whole width between them.
    for (const QRect& exposed : event->region())
        PaintRect(painter, exposed);
    // Without a song there is nothing to edit: the empty area says how to begin.
    if (!Geometry.Axis().HasSong() && !EmptyHint.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(viewport()->rect().adjusted(16, 16, -16, -16),
                         Qt::AlignCenter | Qt::TextWordWrap, EmptyHint);
    }
}

void LanesView::SetEmptyHint(const QString& text) {
    if (text == EmptyHint)
        return;
    EmptyHint = text;
    viewport()->update();
}

void LanesView::PaintRect(QPainter& painter, const QRect& exposed) {
    const std::int64_t offsetX = Scroll.HorizontalOffset();
    const std::int64_t offsetY = Scroll.VerticalOffset();
    const int trackCount = Doc.TrackCount();
    const std::int64_t width = Scroll.ContentWidth();
    const std::int64_t height = Geometry.LanesHeight(trackCount);

    // The exposed rectangle in content coordinates, and its part inside the content.
    const std::int64_t ex0 = exposed.left() + offsetX;
    const std::int64_t ey0 = exposed.top() + offsetY;
    const std::int64_t ex1 = ex0 + exposed.width();
    const std::int64_t ey1 = ey0 + exposed.height();
    const std::int64_t cx0 = std::max<std::int64_t>(ex0, 0);
    const std::int64_t cy0 = std::max<std::int64_t>(ey0, 0);
    const std::int64_t cx1 = std::min(ex1, width);
    const std::int64_t cy1 = std::min(ey1, height);

    const QColor outside = palette().color(QPalette::Window);
    const bool lanes = PaintEnabled && trackCount > 0 && cx1 > cx0 && cy1 > cy0;
    if (!lanes) {
        painter.fillRect(exposed, outside);
        return;
    }
    // The exposed part is composed in an image of its size, then drawn at once.
    if (Scratch.width() < exposed.width() || Scratch.height() < exposed.height())
        Scratch = QImage(std::max(exposed.width(), Scratch.width()),
                         std::max(exposed.height(), Scratch.height()), QImage::Format_RGB32);
    // Around the content: right of the timeline's end and below the last track.
    ContentPainter around(Scratch, ex0, ey0, ex0, ey0, ex1, ey1);
    around.Fill(width, ey0, ex1, ey1, outside);
    around.Fill(ex0, height, std::min(ex1, width), ey1, outside);

    ContentPainter content(Scratch, ex0, ey0, cx0, cy0, cx1, cy1);
    const int laneHeight = Geometry.LaneHeight();
    const int firstTrack = static_cast<int>(cy0 / laneHeight) + 1;
    const int lastTrack = std::min(trackCount, static_cast<int>((cy1 - 1) / laneHeight) + 1);
    Stats.Tracks += lastTrack - firstTrack + 1;

    // 1. Lane backgrounds, rows top .. bottom.
    for (int k = firstTrack; k <= lastTrack; ++k) {
        const TLaneRow row = Geometry.LaneRow(k);
        const TLaneColors colors = LaneColors(Doc.Track(k), Doc.SoloActive());
        content.Fill(0, row.Top, width, row.Bottom + 1, ToQColor(colors.Back));
    }

    // 2. Value bars, standing on each lane's bottom line.
    if (!!Geometry.Axis().HasSong()) {
        Geometry.VisibleBars(cx0, cx1, width, Bars);
        Stats.Columns += static_cast<std::int64_t>(Bars.size());
        for (int k = firstTrack; k <= lastTrack; ++k) {
            const TFullTrack& track = Doc.Track(k);
            const TLaneRow row = Geometry.LaneRow(k);
            const QColor bar = ToQColor(LaneColors(track, Doc.SoloActive()).Bar);
            for (const TimelineGeometry::TBarColumn& column : Bars) {
                std::uint8_t value = 0;
                if (!track.GetValue(static_cast<int>(column.Column + 1), value) || value == 0)
                    continue;
                const int h = Geometry.BarHeight(value);
                content.Fill(column.Span.X0, row.Bottom - h, column.Span.X1, row.Bottom, bar);
                ++Stats.Bars;
            }
        }
    }

    // 3. Grid lines over all lanes and over the bars; a label's tick is darker.
    if (!!Geometry.Axis().HasSong()) {
        const QColor labelled = ToQColor(GridLabelledColor);
        const QColor plain = ToQColor(GridTickColor);
        const int perLabel = Geometry.CurrentTicksPerLabel();
        const auto [first, last] = Geometry.TicksIn(cx0, cx1, width);
        for (std::int64_t i = first; i <= last; ++i) {
            const std::int64_t x = Geometry.TickX(i);
            const bool isLabelled = i > 0 && i % perLabel == 0;
            content.Fill(x, 0, x + 1, height, isLabelled ? labelled : plain);
            ++Stats.Ticks;
        }
        content.Fill(width - 1, 0, width, height, labelled);
    }

    // 4. Separator bands: each row's last 9 rows, outlined.
    const QColor pen = ToQColor(SeparatorPenColor);
    const QColor fill = ToQColor(SeparatorFillColor);
    for (int k = firstTrack; k <= lastTrack; ++k) {
        const TLaneRow row = Geometry.LaneRow(k);
        content.Frame(0, row.End - LaneSeparatorRows, width, row.End, pen, fill);
    }

    // 5. The show's marks: a thin line across all lanes at each.
    if (!!Geometry.Axis().HasSong() && !Doc.Marks().empty()) {
        const TShowMarks& marks = Doc.Marks();
        const QColor line = ToQColor(MarkLineColor);
        VisitColumns(
            marks.size(), [&](int i) { return static_cast<double>(marks[i].Ms); },
            Geometry.HorzZoom(), cx0, cx1,
            [&](int, std::int64_t x) {
                content.Fill(x, cy0, x + 1, height, line);
                ++Stats.Marks;
            });
    }
    PaintSelectionBand(exposed);

    // 6. The play cursor over everything, across all lanes.
    if (!!Geometry.Axis().HasSong() && CursorX >= 0 && CursorX <= width) {
        const std::int64_t x = std::min(CursorX, width - 1);
        content.Fill(x, cy0, x + 1, height, ToQColor(PlayCursorColor));
    }
    painter.drawImage(exposed.topLeft(), Scratch, QRect(QPoint(0, 0), exposed.size()));
}

// The time-range selection: its band and where a drag stands.

QRect LanesView::BandRect(const TRangeSelection& range) const {
    if (range.Empty())
        return {};
    const std::int64_t x0 = Geometry.SlotX(range.FirstSlot - 1);
    const std::int64_t x1 = std::max(Geometry.SlotX(range.LastSlot), x0 + 1);
    const std::int64_t y0 = Geometry.LaneRow(range.FirstTrack).Top;
    const std::int64_t y1 = Geometry.LaneRow(range.LastTrack).End;
    return {ToInt(x0 - Scroll.HorizontalOffset()), ToInt(y0 - Scroll.VerticalOffset()),
            ToInt(x1 - x0), ToInt(y1 - y0)};
}

void LanesView::SetSelectionBand(const TRangeSelection& range) {
    if (range == Band)
        return;
    const QRect before = BandRect(Band);
    Band = range;
    const QRect after = BandRect(Band);
    // A pixel changes when it enters or leaves the band, or the outline: the inside both
    // bands cover, and the outline they share (a drag's fixed edges), stay as they are.
    auto outline = [](const QRect& r) {
        if (r.isEmpty())
            return QRegion();
        return QRegion(r).subtracted(QRegion(r.adjusted(1, 1, -1, -1)));
    };
    QRegion changed = QRegion(before).xored(QRegion(after));
    changed += outline(before).xored(outline(after));
    changed &= QRegion(viewport()->rect());
    if (!changed.isEmpty())
        viewport()->update(changed);
}

void LanesView::PaintSelectionBand(const QRect& exposed) {
    const QRect band = BandRect(Band);
    const QRect area = band.intersected(exposed);
    if (area.isEmpty())
        return;
    // Row by row: the outline's rows and columns in its colour, the inside a quarter tinted.
    // Scratch column c shows viewport column c + exposed.left().
    const int left = exposed.left();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(Scratch.scanLine(y - exposed.top()));
        if (y == band.top() || y == band.bottom()) {
            std::fill(line + (area.left() - left), line + (area.right() + 1 - left), BandEdgeColor);
            continue;
        }
        const int x0 = std::max(area.left(), band.left() + 1);
        const int x1 = std::min(area.right(), band.right() - 1);
        for (int x = x0; x <= x1; ++x) {
            QRgb& pixel = line[x - left];
            pixel = qRgb((qRed(pixel) * 3 + qRed(BandColor)) / 4,
                         (qGreen(pixel) * 3 + qGreen(BandColor)) / 4,
                         (qBlue(pixel) * 3 + qBlue(BandColor)) / 4);
        }
        if (area.left() == band.left())
            line[band.left() - left] = BandEdgeColor;
        if (area.right() == band.right())
            line[band.right() - left] = BandEdgeColor;
    }
}

LanesView::TSelectionCorner LanesView::SelectionCornerAt(QPoint viewPos) const {
    const std::int64_t x = viewPos.x() + Scroll.HorizontalOffset();
    const std::int64_t y = viewPos.y() + Scroll.VerticalOffset();
    TSelectionCorner corner;
    corner.Track = static_cast<int>(std::max<std::int64_t>(y, 0) / Geometry.LaneHeight()) + 1;
    // The slot whose columns [SlotX(i), SlotX(i + 1)) hold x, found from the width and put
    // right against the rounded edges.
    const long double width = Geometry.SlotWidth();
    if (width <= 0) {
        corner.Slot = 1;
        return corner;
    }
    const auto from = static_cast<long double>(std::max<std::int64_t>(x, 0));
    auto column = static_cast<std::int64_t>(from / width);
    while (column > 0 && Geometry.SlotX(column) > x)
        --column;
    while (Geometry.SlotX(column + 1) <= x)
        ++column;
    corner.Slot = ToInt(column + 1);
    return corner;
}

} // namespace lumivox
