// The view that follows the play cursor.
#include "show/FollowPaging.h"

namespace lumivox {

void FollowPaging::PositionChanged(std::int64_t positionMs, std::int64_t cueMs, bool playing) {
    const TimeAxis axis = View.Axis();
    const std::int64_t cursorX = axis.CursorX(positionMs);
    const std::int64_t x = cursorX - View.ScrollOffset();
    const int viewWidth = View.ViewWidth();
    CursorInView = x >= 0 && x <= viewWidth;
    if (CursorInView)
        Follow = true;
    // The cursor ran past the right edge while followed: the next page.
    if (playing && x > viewWidth && Follow)
        View.ScrollTo(View.ScrollOffset() + viewWidth);
    View.PlaceMarkers(cursorX, axis.CursorX(cueMs));
}

std::optional<std::int64_t> FollowPaging::PressedMs(int viewX) const {
    const TimeAxis axis = View.Axis();
    const std::int64_t width = axis.ContentWidth();
    const std::int64_t x = viewX + View.ScrollOffset();
    if (width <= 0 || x > width)
        return std::nullopt;
    return axis.CursorMs(x);
}

void FollowPaging::MarkersMoved(std::int64_t positionMs, std::int64_t cueMs) {
    const TimeAxis axis = View.Axis();
    View.PlaceMarkers(axis.CursorX(positionMs), axis.CursorX(cueMs));
}

void FollowPaging::PlayStarted() {
    Follow = true;
    View.ScrollTo(Saved);
}

void FollowPaging::RangeStarting(std::int64_t startMs) {
    // The view starts where the range starts unless that is in view already.
    const std::int64_t startX = View.Axis().CursorX(startMs);
    const std::int64_t offset = View.ScrollOffset();
    Saved = startX >= offset && startX <= offset + View.ViewWidth() ? offset : startX;
}

void FollowPaging::BackToCue() {
    View.ScrollTo(Saved);
}

void FollowPaging::Paused(std::int64_t oldCueMs) {
    // A cursor out of view leaves the view where the cue marker stood in it before.
    const std::int64_t offset = View.ScrollOffset();
    const std::int64_t oldCueX = View.Axis().CursorX(oldCueMs) - offset;
    Saved = CursorInView ? offset : offset + oldCueX;
    View.ScrollTo(Saved);
}

void FollowPaging::WentToEnd(bool end) {
    View.ScrollTo(end ? View.Axis().ContentWidth() : 0);
    Saved = View.ScrollOffset();
}

void FollowPaging::Revealing(std::int64_t ms) {
    // As little as it takes to show the cursor.
    const std::int64_t x = View.Axis().CursorX(ms);
    const std::int64_t offset = View.ScrollOffset();
    const int viewWidth = View.ViewWidth();
    if (x < offset)
        View.ScrollTo(x);
    else if (viewWidth > 0 && x >= offset + viewWidth)
        View.ScrollTo(x - viewWidth + 1);
}

void FollowPaging::Located() {
    Saved = View.ScrollOffset();
}

void FollowPaging::Reset() {
    Saved = 0;
    Follow = false;
    CursorInView = false;
}

} // namespace lumivox
