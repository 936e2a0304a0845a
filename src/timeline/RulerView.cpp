// The ruler and waveform strip, painted in content coordinates through the shared scroll
// state.
#include "timeline/RulerView.h"

#include "editing/TimelineScroll.h"
#include "timeline/TimelineStyle.h"
#include "timeline/TimingMarks.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace lumivox {

namespace {

// Label text is at most this wide: hours, minutes and seconds have two digits up to the
// longest song the model holds.
const QString WidestLabel = QStringLiteral("00:00:00,000");

// Rows of a beat's tick and of a bar's, standing on the ruler's baseline.
constexpr int BeatTickRows = 4;
constexpr int BarTickRows = 9;
// Ticks closer than this many pixels are too dense to tell apart: beats give way to bars,
// and bars to nothing.
constexpr double MinTickSpacing = 4.0;

} // namespace

RulerView::RulerView(const TWavePeaks& peaks, const TimelineGeometry& geometry,
                     TimelineScroll& scroll, QWidget* parent)
    : QWidget(parent), Peaks(peaks), Geometry(geometry), Scroll(scroll) {
    setObjectName(QStringLiteral("ScrollBox2"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    LabelFont = font();
    LabelFont.setPixelSize(10);
    LabelWidth = QFontMetrics(LabelFont).horizontalAdvance(WidestLabel) + 2;

    auto makeMarker = [this](const char* name, TColor color) {
        auto* marker = new QWidget(this);
        marker->setObjectName(QString::fromLatin1(name));
        marker->setAutoFillBackground(true);
        QPalette palette = marker->palette();
        palette.setColor(QPalette::Window, ToQColor(color));
        marker->setPalette(palette);
        // The markers are drawn only; presses go to the strip underneath.
        marker->setAttribute(Qt::WA_TransparentForMouseEvents);
        return marker;
    };
    Panel15 = makeMarker("Panel15", CueMarkerColor);
    Panel17 = makeMarker("Panel17", PlayCursorColor);

    connect(&Scroll, &TimelineScroll::HorizontalOffsetChanged, this, [this] { FollowOffset(); });
    connect(&Scroll, &TimelineScroll::ContentSizeChanged, this, [this] {
        RepaintAll();
        PlaceMarkers();
    });
    ShownX = Scroll.HorizontalOffset();
    PlaceMarkers();
}

QSize RulerView::sizeHint() const {
    return {400, TimelineStripHeight};
}

QSize RulerView::minimumSizeHint() const {
    return {0, RulerHeight};
}

void RulerView::PeaksChanged() {
    Columns.Invalidate();
    PlaceMarkers();
    RepaintAll();
}

void RulerView::RepaintAll() {
    update();
}

void RulerView::SetTiming(const TShowMarks* marks, const TSongBeats* beats) {
    Marks = marks;
    Beats = beats;
    ShownMarks = Marks != nullptr ? *Marks : TShowMarks();
    BeatsChanged();
}

void RulerView::BeatsChanged() {
    BeatSpacingMs = 0;
    if (Beats != nullptr) {
        const double tempo = Beats->TempoBpm > 0 ? Beats->TempoBpm : TempoOfBeats(Beats->BeatsMs);
        if (tempo > 0)
            BeatSpacingMs = 60000.0 / tempo;
    }
    update(0, 0, width(), RulerHeight);
}

void RulerView::MarksChanged() {
    const TShowMarks now = Marks != nullptr ? *Marks : TShowMarks();
    for (const int ms : ChangedMarkTimes(ShownMarks, now))
        UpdateFlag(ColumnOf(ms));
    ShownMarks = now;
    if (DragIndex >= ShownMarks.size()) {
        UpdateFlag(ColumnOf(static_cast<double>(DragTo)));
        DragIndex = -1;
    }
}

std::int64_t RulerView::ColumnOf(double ms) const {
    return ColumnOfMs(ms, Geometry.HorzZoom());
}

std::int64_t RulerView::MsAtColumn(std::int64_t contentX) const {
    const long double ms =
        TimeAxis::MsOfX(static_cast<long double>(contentX) + 0.5L, Geometry.HorzZoom());
    return std::max<std::int64_t>(0, std::llround(static_cast<double>(ms)));
}

void RulerView::UpdateFlag(std::int64_t column) {
    const std::int64_t x = column - Scroll.HorizontalOffset();
    if (x + MaxFlagWidth + 2 < 0 || x - 1 > width())
        return;
    update(QRect(static_cast<int>(x) - 1, 0, MaxFlagWidth + 3, height()));
}

int RulerView::MarkAt(QPoint viewPos) const {
    if (Marks == nullptr || Marks->empty() || Peaks.empty() || viewPos.y() < 0 ||
        viewPos.y() >= RulerHeight)
        return -1;
    const std::int64_t x = viewPos.x() + Scroll.HorizontalOffset();
    const QFontMetrics metrics(LabelFont);
    // From the last flag standing at or left of x (two pixels of grace on its line), back to
    // the first whose label could still reach x.
    const int after = Marks->LowerBound(static_cast<int>(
        std::min<std::int64_t>(MsAtColumn(x + 3), std::numeric_limits<int>::max())));
    for (int i = after - 1; i >= 0; --i) {
        const std::int64_t column = ColumnOf((*Marks)[i].Ms);
        if (column < x - MaxFlagWidth - 2)
            break;
        const int label =
            std::min(MaxFlagWidth, metrics.horizontalAdvance(metrics.elidedText(
                                       (*Marks)[i].Name, Qt::ElideRight, MaxFlagWidth - 4)) +
                                       4);
        if (x >= column - 2 && x <= column + std::max(label, 6))
            return i;
    }
    return -1;
}

void RulerView::SetPlayCursorX(std::int64_t contentX) {
    CursorX = contentX;
    PlaceMarker(Panel17, CursorX);
}

void RulerView::SetCueX(std::int64_t contentX) {
    CueAt = contentX;
    PlaceMarker(Panel15, CueAt);
}

void RulerView::SetCueColor(const QColor& color) {
    QPalette palette = Panel15->palette();
    if (palette.color(QPalette::Window) == color)
        return;
    palette.setColor(QPalette::Window, color);
    Panel15->setPalette(palette);
    Panel15->update();
}

void RulerView::SetMarkersVisible(bool visible) {
    MarkersVisible = visible;
    PlaceMarkers();
}

void RulerView::PlaceMarkers() {
    PlaceMarker(Panel15, CueAt);
    PlaceMarker(Panel17, CursorX);
}

void RulerView::PlaceMarker(QWidget* marker, std::int64_t contentX) {
    const std::int64_t x = contentX - Scroll.HorizontalOffset();
    const bool shown = MarkersVisible && !Peaks.empty() && x >= 0 && x < width();
    if (shown) {
        // Moving a child repaints the strip under its old column and the marker's new one.
        marker->setGeometry(static_cast<int>(x), 0, 1, height());
        marker->show();
    } else {
        marker->hide();
    }
}

void RulerView::FollowOffset() {
    const std::int64_t dx = ShownX - Scroll.HorizontalOffset();
    ShownX = Scroll.HorizontalOffset();
    if (dx == 0)
        return;
    // A small move keeps the pixels still in view (and moves the markers with them).
    if (std::abs(dx) < width())
        scroll(static_cast<int>(dx), 0);
    else
        update();
    PlaceMarkers();
}

void RulerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceMarkers();
}

void RulerView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    // A press on a flag takes hold of its mark (the left button) or is for its context menu;
    // it does not locate.
    const int mark = MarkAt(pos);
    if (mark >= 0) {
        if (event->button() == Qt::LeftButton) {
            DragIndex = mark;
            DragTo = (*Marks)[mark].Ms;
            DragGrab = pos.x() + Scroll.HorizontalOffset() - ColumnOf((*Marks)[mark].Ms);
            DragMoved = false;
        }
        event->accept();
        return;
    }
    Q_EMIT Pressed(pos.x() + Scroll.HorizontalOffset(), pos.x(), event->button());
    event->accept();
}

void RulerView::mouseMoveEvent(QMouseEvent* event) {
    if (DragIndex >= 0 && (event->buttons() & Qt::LeftButton)) {
        const std::int64_t column = std::max<std::int64_t>(
            0, event->position().toPoint().x() + Scroll.HorizontalOffset() - DragGrab);
        const std::int64_t to = MsAtColumn(column);
        if (to != DragTo) {
            UpdateFlag(ColumnOf(static_cast<double>(DragTo)));
            UpdateFlag(ColumnOf((*Marks)[DragIndex].Ms));
            DragTo = to;
            DragMoved = true;
            UpdateFlag(ColumnOf(static_cast<double>(DragTo)));
        }
    }
    Q_EMIT MouseMoved(event->position().toPoint());
    event->accept();
}

void RulerView::mouseReleaseEvent(QMouseEvent* event) {
    if (DragIndex >= 0 && event->button() == Qt::LeftButton) {
        const int index = DragIndex;
        DragIndex = -1;
        UpdateFlag(ColumnOf(static_cast<double>(DragTo)));
        UpdateFlag(ColumnOf((*Marks)[index].Ms));
        if (DragMoved && DragTo != (*Marks)[index].Ms)
            Q_EMIT MoveMarkRequested(index, DragTo);
    }
    event->accept();
}

void RulerView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || Peaks.empty()) {
        event->accept();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const int mark = MarkAt(pos);
    if (mark >= 0) {
        DragIndex = -1;
        Q_EMIT RenameMarkRequested(mark);
    } else {
        const std::int64_t x = pos.x() + Scroll.HorizontalOffset();
        if (x >= 0 && x < Scroll.ContentWidth())
            Q_EMIT AddMarkRequested(MsAtColumn(x));
    }
    event->accept();
}

void RulerView::contextMenuEvent(QContextMenuEvent* event) {
    const std::int64_t x = event->pos().x() + Scroll.HorizontalOffset();
    if (Peaks.empty() || x < 0 || x >= Scroll.ContentWidth()) {
        event->ignore();
        return;
    }
    Q_EMIT MarkMenuRequested(MarkAt(event->pos()), MsAtColumn(x), event->globalPos());
    event->accept();
}

void RulerView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    ++Stats.Paints;
    painter.fillRect(exposed, ToQColor(TimelineStripColor));
    // Nothing but the strip's background without a song.
    if (Peaks.empty())
        return;
    const std::int64_t x0 = exposed.left() + Scroll.HorizontalOffset();
    const std::int64_t x1 = x0 + exposed.width();
    PaintRulerAndGrid(painter, x0, x1);
    PaintWaveform(painter, x0, x1);
    PaintMarks(painter, x0, x1);
}

void RulerView::PaintBeats(QPainter& painter, std::int64_t x0, std::int64_t x1) {
    if (Beats == nullptr || Beats->BeatsMs.empty())
        return;
    const std::vector<double>& beats = Beats->BeatsMs;
    const int zoom = Geometry.HorzZoom();
    const std::int64_t offset = Scroll.HorizontalOffset();
    const std::int64_t last = std::min(x1, Scroll.ContentWidth());
    const double pixelsPerMs = static_cast<double>(TimeAxis::PixelsPerMs(zoom));
    const double beatPixels = BeatSpacingMs * pixelsPerMs;
    const bool bars = Beats->TempoBpm > 0;
    const QColor beatColor = ToQColor(BeatTickColor);
    const QColor barColor = ToQColor(bars ? BarTickColor : BeatTickColor);
    auto tick = [&](std::int64_t column, bool bar) {
        const int rows = bar ? BarTickRows : BeatTickRows;
        painter.fillRect(QRect(static_cast<int>(column - offset), RulerBaselineY - rows, 1, rows),
                         bar ? barColor : beatColor);
        ++Stats.Beats;
    };
    const int count = static_cast<int>(beats.size());
    if (BeatSpacingMs <= 0 || beatPixels >= MinTickSpacing) {
        VisitColumns(
            count, [&](int i) { return beats[static_cast<std::size_t>(i)]; }, zoom, x0, last,
            [&](int i, std::int64_t column) { tick(column, bars && i % 4 == 0); });
    } else if (bars && 4 * beatPixels >= MinTickSpacing) {
        VisitColumns((count + 3) / 4, [&](int i) { return beats[4 * static_cast<std::size_t>(i)]; },
                     zoom, x0, last, [&](int, std::int64_t column) { tick(column, true); });
    }
}

void RulerView::PaintMarks(QPainter& painter, std::int64_t x0, std::int64_t x1) {
    if (Marks == nullptr || (Marks->empty() && DragIndex < 0))
        return;
    const int zoom = Geometry.HorzZoom();
    // A flag's label reaches right of its column: start that far to the left.
    const std::int64_t from = std::max<std::int64_t>(x0 - MaxFlagWidth - 1, 0);
    const std::int64_t to = std::min(x1 + 1, Scroll.ContentWidth());
    // The flags in view, one per column, each label given the room up to the next flag.
    struct TFlag {
        std::int64_t Column;
        int Index;
    };
    std::vector<TFlag> flags;
    VisitColumns(
        Marks->size(), [&](int i) { return static_cast<double>((*Marks)[i].Ms); }, zoom, from, to,
        [&](int i, std::int64_t column) {
            if (i != DragIndex)
                flags.push_back({column, i});
        });
    painter.save();
    painter.setFont(LabelFont);
    for (std::size_t f = 0; f < flags.size(); ++f) {
        const std::int64_t room =
            f + 1 < flags.size() ? flags[f + 1].Column - flags[f].Column : MaxFlagWidth;
        PaintFlag(painter, flags[f].Column, (*Marks)[flags[f].Index].Name,
                  static_cast<int>(std::min<std::int64_t>(room, MaxFlagWidth)));
    }
    // The mark being dragged over the others.
    if (DragIndex >= 0 && DragIndex < Marks->size()) {
        const std::int64_t column = ColumnOf(static_cast<double>(DragTo));
        if (column >= from && column < to)
            PaintFlag(painter, column, (*Marks)[DragIndex].Name, MaxFlagWidth);
    }
    painter.restore();
}

void RulerView::PaintFlag(QPainter& painter, std::int64_t column, const QString& name, int room) {
    const auto x = static_cast<int>(column - Scroll.HorizontalOffset());
    painter.fillRect(QRect(x, 0, 1, height()), ToQColor(MarkLineColor));
    // Too close to the next flag for a label: the line alone.
    if (room < 4) {
        ++Stats.Marks;
        return;
    }
    const QFontMetrics metrics(LabelFont);
    const QString shown = metrics.elidedText(name, Qt::ElideRight, std::max(room - 4, 0));
    const int label =
        shown.isEmpty() ? std::min(6, room) : std::min(room, metrics.horizontalAdvance(shown) + 4);
    painter.fillRect(QRect(x + 1, 0, label - 1, RulerBaselineY), ToQColor(MarkFlagColor));
    if (!shown.isEmpty()) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(x + 3, 0, label - 3, RulerBaselineY),
                         Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
    ++Stats.Marks;
}

void RulerView::PaintRulerAndGrid(QPainter& painter, std::int64_t x0, std::int64_t x1) {
    const std::int64_t width = Scroll.ContentWidth();
    const std::int64_t cx0 = std::max<std::int64_t>(x0, 0);
    const std::int64_t cx1 = std::min(x1, width);
    if (cx1 <= cx0)
        return;
    const std::int64_t offset = Scroll.HorizontalOffset();
    auto fill = [&](std::int64_t left, int top, std::int64_t right, int bottom,
                    const QColor& color) {
        left = std::max(left, cx0);
        right = std::min(right, cx1);
        if (right > left)
            painter.fillRect(QRect(static_cast<int>(left - offset), top,
                                   static_cast<int>(right - left), bottom - top),
                             color);
    };

    // The ruler: button face with its baseline; the grid: white.
    fill(0, 0, width, RulerHeight, palette().color(QPalette::Button));
    fill(0, RulerBaselineY, width, RulerBaselineY + 1, ToQColor(RulerPenColor));
    fill(0, WaveTop, width, WaveTop + GridHeight, ToQColor(GridBackColor));

    // Tick lines; a tick carrying a label is darker.
    const int perLabel = Geometry.CurrentTicksPerLabel();
    const QColor labelled = ToQColor(GridLabelledColor);
    const QColor plain = ToQColor(GridTickColor);
    const auto [first, last] = Geometry.TicksIn(cx0, cx1, width);
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t x = Geometry.TickX(i);
        fill(x, WaveTop, x + 1, WaveTop + GridHeight,
             i > 0 && i % perLabel == 0 ? labelled : plain);
        ++Stats.Ticks;
    }
    fill(width - 1, WaveTop, width, WaveTop + GridHeight, labelled);

    // The beats under the labels, so that the labels stay readable.
    PaintBeats(painter, cx0, cx1);

    // Labels on every perLabel-th tick after tick 0, including those that start left of the
    // exposed part and reach into it; they stay inside the ruler.
    painter.save();
    painter.setClipRect(
        QRect(static_cast<int>(cx0 - offset), 0, static_cast<int>(cx1 - cx0), RulerHeight),
        Qt::IntersectClip);
    painter.setFont(LabelFont);
    painter.setPen(palette().color(QPalette::ButtonText));
    const auto [firstLabel, lastLabel] =
        Geometry.TicksIn(std::max<std::int64_t>(cx0 - LabelWidth, 0), cx1, width);
    const std::int64_t tickMs = Geometry.CurrentTickMs();
    for (std::int64_t i = std::max<std::int64_t>(firstLabel, 1); i <= lastLabel; ++i) {
        if (i % perLabel != 0)
            continue;
        const auto x = static_cast<int>(Geometry.TickX(i) - offset);
        painter.drawText(QRect(x, 0, LabelWidth, RulerBaselineY), Qt::AlignLeft | Qt::AlignTop,
                         TimelineGeometry::TimeLabel(tickMs * i));
        ++Stats.Labels;
    }
    painter.restore();
}

void RulerView::PaintWaveform(QPainter& painter, std::int64_t x0, std::int64_t x1) {
    const std::int64_t width = Scroll.ContentWidth();
    // Pixel column c is drawn by its three points and by the line reaching it from column
    // c - 1, and it touches the line that leaves it for column c + 1: draw one column more
    // on each side, starting from the line value of the column before.
    const std::int64_t first = std::max<std::int64_t>(x0 - 1, 0);
    const std::int64_t last = std::min(x1 + 1, width);
    if (last <= first)
        return;
    const int zoom = Geometry.HorzZoom();
    const std::int64_t offset = Scroll.HorizontalOffset();
    const int left = WaveTop + WaveLeftCentre;
    const int right = WaveTop + WaveRightCentre;
    int previousLeft = left;
    int previousRight = right;
    if (first > 0) {
        const TWaveColumn before = Columns.At(Peaks, zoom, first - 1);
        previousLeft = WaveY(left, before.LeftLine);
        previousRight = WaveY(right, before.RightLine);
    }
    QPolygon leftLine;
    QPolygon rightLine;
    const auto points = static_cast<int>(3 * (last - first) + 1);
    leftLine.reserve(points);
    rightLine.reserve(points);
    const auto startX = static_cast<int>(first - 1 - offset);
    leftLine << QPoint(startX, previousLeft);
    rightLine << QPoint(startX, previousRight);
    for (std::int64_t c = first; c < last; ++c) {
        const TWaveColumn column = Columns.At(Peaks, zoom, c);
        const auto x = static_cast<int>(c - offset);
        leftLine << QPoint(x, WaveY(left, column.LeftMax)) << QPoint(x, WaveY(left, column.LeftMin))
                 << QPoint(x, WaveY(left, column.LeftLine));
        rightLine << QPoint(x, WaveY(right, column.RightMax))
                  << QPoint(x, WaveY(right, column.RightMin))
                  << QPoint(x, WaveY(right, column.RightLine));
    }
    Stats.WaveColumns += last - first;
    painter.save();
    // The waveform stays inside the timeline's width.
    const std::int64_t clipLeft = std::max<std::int64_t>(-offset, -1);
    const std::int64_t clipRight = std::min<std::int64_t>(width - offset, this->width() + 1);
    painter.setClipRect(QRect(static_cast<int>(clipLeft), WaveTop,
                              static_cast<int>(clipRight - clipLeft), height() - WaveTop),
                        Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(ToQColor(WaveformColor), 0));
    painter.drawPolyline(leftLine);
    painter.drawPolyline(rightLine);
    painter.restore();
}

} // namespace lumivox
