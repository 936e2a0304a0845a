// The timeline's one scroll state: which part of the content (the lanes, and the same time
// range of the ruler and waveform strip) the views show. Every timeline area reads it and
// follows its signals, so the areas can never drift apart.
#pragma once

#include "editing/TimelineGeometry.h"

#include <QObject>

#include <cstdint>

namespace lumivox {

class TimelineScroll : public QObject {
    Q_OBJECT
public:
    explicit TimelineScroll(QObject* parent = nullptr);

    // Content x at the left edge and content y at the top edge of the views.
    std::int64_t HorizontalOffset() const { return Horizontal; }
    std::int64_t VerticalOffset() const { return Vertical; }
    // Size of the content: the timeline width in pixels and the height of all track rows.
    std::int64_t ContentWidth() const { return Width; }
    std::int64_t ContentHeight() const { return Height; }
    // Size of the lanes' viewport, which limits how far the content scrolls.
    int ViewWidth() const { return ViewW; }
    int ViewHeight() const { return ViewH; }
    // The largest offsets: content size less view size, and never below 0.
    std::int64_t MaxHorizontalOffset() const;
    std::int64_t MaxVerticalOffset() const;

    // Offsets are clamped into 0 .. the largest offset.
    void SetHorizontalOffset(std::int64_t offset);
    void SetVerticalOffset(std::int64_t offset);
    void ScrollTo(std::int64_t horizontal, std::int64_t vertical);
    // Back to the top-left corner.
    void Reset() { ScrollTo(0, 0); }

    // Sizes below 0 count as 0; the offsets are clamped to the new limits.
    void SetContentWidth(std::int64_t width);
    void SetContentHeight(std::int64_t height);
    void SetViewSize(int width, int height);

    // ---- Horizontal zoom -------------------------------------------------------------
    // Sets `geometry` to horizontal level `level` (clamped) and the content width to its
    // timeline at that level, keeping the time under view x `anchorViewX` (clamped into the
    // view) at that x, as closely as the offset limits allow. True when the level changed.
    bool ZoomHorizontalAt(TimelineGeometry& geometry, int level, int anchorViewX);
    // Zooms to the finest level at which firstMs..lastMs (either order) fits in the view,
    // with the range centred in it (the offset clamped). True when the level changed.
    bool ZoomToRange(TimelineGeometry& geometry, std::int64_t firstMs, std::int64_t lastMs);
    // The same for 1-based slots firstSlot..lastSlot at the geometry's resolution: from the
    // start of the first to the end of the last.
    bool ZoomToSlots(TimelineGeometry& geometry, int firstSlot, int lastSlot);
    // The whole song: the timeline's length at the finest level where it fits.
    bool ZoomToFit(TimelineGeometry& geometry);
    // Scrolls as little as needed to bring content x (one pixel wide) into the view.
    void RevealX(std::int64_t contentX);
    // Scrolls as little as needed to bring the content rectangle x0..x1, y0..y1 (the ends
    // excluded) into the view; along an axis where it is larger than the view, its start.
    void Reveal(std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1);

    // ---- Scrolling while a drag is past the view's edge --------------------------------
    // How far one step of the edge scroll goes for a pointer at view coordinate `position`
    // along a view `length` long: 0 inside the view, else towards the pointer (negative
    // before the start), the longer the farther the pointer is past the edge, and at most
    // the view's length.
    static int EdgeScrollStep(int position, int length);
    // One step of the edge scroll for a pointer at view (viewX, viewY), on both axes. True
    // when an offset changed.
    bool EdgeScroll(int viewX, int viewY);

Q_SIGNALS:
    void HorizontalOffsetChanged(std::int64_t offset);
    void VerticalOffsetChanged(std::int64_t offset);
    void ContentSizeChanged(std::int64_t width, std::int64_t height);
    void ViewSizeChanged(int width, int height);

private:
    void Clamp();
    // Takes a new content width and horizontal offset together, then announces them, so
    // that no listener sees an offset that belongs to the other width.
    void SetWidthAndOffset(std::int64_t width, std::int64_t offset);

    std::int64_t Horizontal = 0;
    std::int64_t Vertical = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    int ViewW = 0;
    int ViewH = 0;
};

} // namespace lumivox
