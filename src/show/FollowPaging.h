// The view that follows the play cursor: places the cursor and the cue marker, pages one
// view width along when the cursor runs past the right edge, and remembers the view each
// stop goes back to. It listens to the transport; the transport knows nothing of views.
#pragma once

#include "core/TimeAxis.h"
#include "show/Transport.h"

#include <cstdint>
#include <optional>

namespace lumivox {

// What the paging needs of the timeline views.
class IPagedView {
public:
    virtual ~IPagedView() = default;
    // The timeline's time axis (its song, width and level).
    virtual TimeAxis Axis() const = 0;
    // The views' width and their horizontal scroll offset, in content pixels.
    virtual int ViewWidth() const = 0;
    virtual std::int64_t ScrollOffset() const = 0;
    virtual void ScrollTo(std::int64_t offset) = 0;
    // Places the play cursor and the cue marker, in content x.
    virtual void PlaceMarkers(std::int64_t cursorX, std::int64_t cueX) = 0;
};

class FollowPaging : public ITransportListener {
public:
    explicit FollowPaging(IPagedView& view) : View(view) {}

    void PositionChanged(std::int64_t positionMs, std::int64_t cueMs, bool playing) override;
    void MarkersMoved(std::int64_t positionMs, std::int64_t cueMs) override;
    void PlayStarted() override;
    void RangeStarting(std::int64_t startMs) override;
    void BackToCue() override;
    void Paused(std::int64_t oldCueMs) override;
    void WentToEnd(bool end) override;
    void Revealing(std::int64_t ms) override;
    void Located() override;
    void Reset() override;

    // The time a press at view x on the ruler lands on: nothing without a song or past the
    // timeline's end.
    std::optional<std::int64_t> PressedMs(int viewX) const;

    // The views were resized: stop paging along until the cursor is in view again.
    void ClearFollow() { Follow = false; }

    // Paging along: the cursor has been in view since playing started or it last came back.
    bool Following() const { return Follow; }
    // The play cursor was in view at the last position.
    bool CursorVisible() const { return CursorInView; }
    // The scroll offset Stop and the end of a range go back to.
    std::int64_t SavedScroll() const { return Saved; }

private:
    IPagedView& View;
    std::int64_t Saved = 0;
    bool Follow = false;
    bool CursorInView = false;
};

} // namespace lumivox
