// The timeline's one scroll state.
#include "editing/TimelineScroll.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

TimelineScroll::TimelineScroll(QObject* parent) : QObject(parent) {}

std::int64_t TimelineScroll::MaxHorizontalOffset() const {
    return std::max<std::int64_t>(Width - ViewW, 0);
}

std::int64_t TimelineScroll::MaxVerticalOffset() const {
    return std::max<std::int64_t>(Height - ViewH, 0);
}

void TimelineScroll::SetHorizontalOffset(std::int64_t offset) {
    offset = std::clamp<std::int64_t>(offset, 0, MaxHorizontalOffset());
    if (offset == Horizontal)
        return;
    Horizontal = offset;
    Q_EMIT HorizontalOffsetChanged(Horizontal);
}

void TimelineScroll::SetVerticalOffset(std::int64_t offset) {
    offset = std::clamp<std::int64_t>(offset, 0, MaxVerticalOffset());
    if (offset == Vertical)
        return;
    Vertical = offset;
    Q_EMIT VerticalOffsetChanged(Vertical);
}

void TimelineScroll::ScrollTo(std::int64_t horizontal, std::int64_t vertical) {
    SetHorizontalOffset(horizontal);
    SetVerticalOffset(vertical);
}

void TimelineScroll::SetContentWidth(std::int64_t width) {
    width = std::max<std::int64_t>(width, 0);
    if (width == Width)
        return;
    Width = width;
    Clamp();
    Q_EMIT ContentSizeChanged(Width, Height);
}

void TimelineScroll::SetContentHeight(std::int64_t height) {
    height = std::max<std::int64_t>(height, 0);
    if (height == Height)
        return;
    Height = height;
    Clamp();
    Q_EMIT ContentSizeChanged(Width, Height);
}

void TimelineScroll::SetViewSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == ViewW && height == ViewH)
        return;
    ViewW = width;
    ViewH = height;
    Clamp();
    Q_EMIT ViewSizeChanged(ViewW, ViewH);
}

void TimelineScroll::SetWidthAndOffset(std::int64_t width, std::int64_t offset) {
    width = std::max<std::int64_t>(width, 0);
    const bool widthChanged = width != Width;
    Width = width;
    offset = std::clamp<std::int64_t>(offset, 0, MaxHorizontalOffset());
    const bool offsetChanged = offset != Horizontal;
    Horizontal = offset;
    if (widthChanged)
        Q_EMIT ContentSizeChanged(Width, Height);
    if (offsetChanged)
        Q_EMIT HorizontalOffsetChanged(Horizontal);
}

bool TimelineScroll::ZoomHorizontalAt(TimelineGeometry& geometry, int level, int anchorViewX) {
    const int before = geometry.HorzZoom();
    geometry.SetHorzZoom(level);
    const int after = geometry.HorzZoom();
    const auto anchor = static_cast<std::int64_t>(std::clamp(anchorViewX, 0, ViewW));
    // Levels differ by powers of two: the anchor pixel's left edge lands `ratio` times
    // further, and the pixel it lands in goes under the anchor.
    const long double ratio = std::ldexp(1.0L, after - before);
    const auto pixel = static_cast<std::int64_t>(
        std::floor(static_cast<long double>(Horizontal + anchor) * ratio));
    SetWidthAndOffset(geometry.ContentWidth(), pixel - anchor);
    return after != before;
}

bool TimelineScroll::ZoomToRange(TimelineGeometry& geometry, std::int64_t firstMs,
                                 std::int64_t lastMs) {
    if (lastMs < firstMs)
        std::swap(firstMs, lastMs);
    const int before = geometry.HorzZoom();
    geometry.SetHorzZoom(TimeAxis::LevelToFit(lastMs - firstMs, ViewW));
    const int level = geometry.HorzZoom();
    const long double middle = TimeAxis::XOfMs(
        (static_cast<long double>(firstMs) + static_cast<long double>(lastMs)) / 2.0L, level);
    const auto offset = static_cast<std::int64_t>(std::llround(middle - ViewW / 2.0L));
    SetWidthAndOffset(geometry.ContentWidth(), offset);
    return level != before;
}

bool TimelineScroll::ZoomToSlots(TimelineGeometry& geometry, int firstSlot, int lastSlot) {
    if (lastSlot < firstSlot)
        std::swap(firstSlot, lastSlot);
    const std::int64_t slotMs = geometry.ResolutionInMs();
    return ZoomToRange(geometry, (std::max(firstSlot, 1) - 1) * slotMs,
                       std::max(lastSlot, 1) * slotMs);
}

bool TimelineScroll::ZoomToFit(TimelineGeometry& geometry) {
    return ZoomToRange(geometry, 0, geometry.SongLength());
}

void TimelineScroll::RevealX(std::int64_t contentX) {
    if (contentX < Horizontal)
        SetHorizontalOffset(contentX);
    else if (contentX >= Horizontal + ViewW)
        SetHorizontalOffset(contentX - ViewW + 1);
}

namespace {

// The offset that shows first..end (end excluded) of the content in a view `view` long at
// `offset`, moved as little as it takes; the start wins when the span is longer than the view.
std::int64_t OffsetShowing(std::int64_t offset, int view, std::int64_t first, std::int64_t end) {
    if (end - first > view || first < offset)
        return first;
    if (end > offset + view)
        return end - view;
    return offset;
}

} // namespace

void TimelineScroll::Reveal(std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1) {
    ScrollTo(OffsetShowing(Horizontal, ViewW, x0, x1), OffsetShowing(Vertical, ViewH, y0, y1));
}

int TimelineScroll::EdgeScrollStep(int position, int length) {
    if (length <= 0)
        return 0;
    const int past = position < 0 ? -position : position - (length - 1);
    if (past <= 0)
        return 0;
    // A few pixels a step at the edge, half a pixel more for each pixel past it.
    const int step = std::min(4 + past / 2, length);
    return position < 0 ? -step : step;
}

bool TimelineScroll::EdgeScroll(int viewX, int viewY) {
    const std::int64_t horizontal = Horizontal;
    const std::int64_t vertical = Vertical;
    ScrollTo(Horizontal + EdgeScrollStep(viewX, ViewW), Vertical + EdgeScrollStep(viewY, ViewH));
    return Horizontal != horizontal || Vertical != vertical;
}

// Offsets follow shrinking limits before the size is announced, so that a listener never
// sees an offset past the new limit.
void TimelineScroll::Clamp() {
    SetHorizontalOffset(Horizontal);
    SetVerticalOffset(Vertical);
}

} // namespace lumivox
