// The timeline's one scroll state: which part of the content (the lanes, and the same time
// range of the ruler and waveform strip) the views show. Every timeline area reads it and
// follows its signals, so the areas can never drift apart.
#pragma once

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

Q_SIGNALS:
    void HorizontalOffsetChanged(std::int64_t offset);
    void VerticalOffsetChanged(std::int64_t offset);
    void ContentSizeChanged(std::int64_t width, std::int64_t height);
    void ViewSizeChanged(int width, int height);

private:
    void Clamp();

    std::int64_t Horizontal = 0;
    std::int64_t Vertical = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
    int ViewW = 0;
    int ViewH = 0;
};

} // namespace lumivox
