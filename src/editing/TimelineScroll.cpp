// The timeline's one scroll state.
#include "editing/TimelineScroll.h"

#include <algorithm>

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

// Offsets follow shrinking limits before the size is announced, so that a listener never
// sees an offset past the new limit.
void TimelineScroll::Clamp() {
    SetHorizontalOffset(Horizontal);
    SetVerticalOffset(Vertical);
}

} // namespace lumivox
