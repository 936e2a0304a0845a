// The timeline's grid: tables, pixel scales, cells, lanes and hit tests.
#include "editing/TimelineGeometry.h"

#include "core/TimeText.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace lumivox {

namespace {

constexpr int Levels = TimelineGeometry::MaxHorzZoom;

constexpr std::int64_t TickMsTable[3][Levels] = {
    {1800000, 600000, 300000, 60000, 60000, 30000, 10000, 5000, 5000, 1000, 1000, 500, 100, 100,
     100},
    {1800000, 600000, 300000, 60000, 60000, 30000, 10000, 5000, 5000, 1000, 1000, 500, 500, 500,
     500},
    {1800000, 600000, 300000, 60000, 60000, 30000, 10000, 5000, 5000, 1000, 1000, 1000, 1000, 1000,
     1000},
};

constexpr int TicksPerLabelTable[3][Levels] = {
    {2, 6, 6, 10, 5, 10, 6, 6, 6, 10, 5, 10, 10, 5, 5},
    {2, 6, 6, 10, 5, 10, 6, 6, 6, 10, 5, 10, 4, 2, 1},
    {2, 6, 6, 10, 5, 10, 6, 6, 6, 10, 5, 5, 1, 1, 1},
};

constexpr int LaneHeightTable[TimelineGeometry::MaxVertZoom] = {264, 137, 73, 41, 25};
constexpr int ValueScaleTable[TimelineGeometry::MaxVertZoom] = {1, 2, 4, 8, 16};

int ClampHorz(int level) {
    return TimeAxis::ClampLevel(level);
}
int ClampVert(int level) {
    return std::clamp(level, TimelineGeometry::MinVertZoom, TimelineGeometry::MaxVertZoom);
}
int ResolutionRow(int resolutionIndex) {
    return IsValidResolutionIndex(resolutionIndex) ? resolutionIndex - 1 : 0;
}

} // namespace

TimelineGeometry::TimelineGeometry() {
    ComputePixelScales(1);
}

std::int64_t TimelineGeometry::TickMs(int resolutionIndex, int horzZoom) {
    return TickMsTable[ResolutionRow(resolutionIndex)][ClampHorz(horzZoom) - 1];
}

int TimelineGeometry::TicksPerLabel(int resolutionIndex, int horzZoom) {
    return TicksPerLabelTable[ResolutionRow(resolutionIndex)][ClampHorz(horzZoom) - 1];
}

int TimelineGeometry::LaneHeight(int vertZoom) {
    return LaneHeightTable[ClampVert(vertZoom) - 1];
}

int TimelineGeometry::ValueScale(int vertZoom) {
    return ValueScaleTable[ClampVert(vertZoom) - 1];
}

std::int64_t TimelineGeometry::Nearest(long double value) {
    const long double below = std::floor(value);
    const long double fraction = value - below;
    auto result = static_cast<std::int64_t>(below);
    if (fraction > 0.5L)
        return result + 1;
    if (fraction < 0.5L)
        return result;
    return (result % 2 == 0) ? result : result + 1;
}

void TimelineGeometry::ComputePixelScales(int resolutionIndex) {
    Resolution = IsValidResolutionIndex(resolutionIndex) ? resolutionIndex : 1;
    // Every tick and every slot is a whole number of tenths of a second, so both widths are
    // exact.
    for (int level = MinHorzZoom; level <= MaxHorzZoom; ++level) {
        const auto at = static_cast<std::size_t>(level);
        TickScale[at] = TimeAxis::ExactPixels(TickMs(Resolution, level), level);
        SlotScale[at] = TimeAxis::ExactPixels(ResolutionMs(Resolution), level);
    }
}

long double TimelineGeometry::PixelsPerTick(int horzZoom) const {
    return TickScale[static_cast<std::size_t>(ClampHorz(horzZoom))];
}

long double TimelineGeometry::PixelsPerSlot(int horzZoom) const {
    return SlotScale[static_cast<std::size_t>(ClampHorz(horzZoom))];
}

void TimelineGeometry::SetHorzZoom(int level) {
    Horz = ClampHorz(level);
}

void TimelineGeometry::SetVertZoom(int level) {
    Vert = ClampVert(level);
}

bool TimelineGeometry::ZoomHorizontal(bool in) {
    const int before = Horz;
    if (in && Horz < MaxHorzZoom)
        ++Horz;
    else if (!in && Horz > MinHorzZoom)
        --Horz;
    return Horz != before;
}

bool TimelineGeometry::ZoomVertical(bool in) {
    const int before = Vert;
    if (in && Vert > MinVertZoom)
        --Vert;
    else if (!in && Vert < MaxVertZoom)
        ++Vert;
    return Vert != before;
}

int TimelineGeometry::LastEditableSlot() const {
    const std::int64_t length = SongLength();
    if (length <= 0)
        return 0;
    const std::int64_t resolutionMs = ResolutionInMs();
    std::int64_t last = (length + resolutionMs - 1) / resolutionMs;
    // Tracks hold one byte per 100 ms of the measured song, the partial 100 ms excluded.
    if (SongMs > 0)
        last = std::min(last, length / 100);
    return static_cast<int>(std::clamp<std::int64_t>(last, 0, MaxSlotCount));
}

int TimelineGeometry::LastEditableCell() const {
    const int last = LastEditableSlot();
    return last < 1 ? 0 : (last - 1) / SlotsPerCell() + 1;
}

std::int64_t TimelineGeometry::TickX(std::int64_t tick) const {
    return Nearest(static_cast<long double>(tick) * TickWidth());
}

std::int64_t TimelineGeometry::LastTick(std::int64_t contentWidth) const {
    if (contentWidth <= 0)
        return 0;
    return static_cast<std::int64_t>(static_cast<long double>(contentWidth) / TickWidth());
}

std::int64_t TimelineGeometry::SlotX(std::int64_t column) const {
    return Nearest(static_cast<long double>(column) * SlotWidth());
}

TPixelSpan TimelineGeometry::BarSpan(std::int64_t column) const {
    const std::int64_t x0 = SlotX(column);
    std::int64_t x1 = SlotX(column + 1);
    if (x1 == x0 + 1)
        x1 = x0 + 2;
    return {x0 + 1, x1};
}

std::int64_t TimelineGeometry::LastSlotColumn(std::int64_t contentWidth) const {
    if (contentWidth <= 0)
        return 0;
    return static_cast<std::int64_t>(static_cast<long double>(contentWidth) / SlotWidth());
}

std::int64_t TimelineGeometry::LastColumnAtOrBefore(std::int64_t x) const {
    auto column =
        static_cast<std::int64_t>(std::floor((static_cast<long double>(x) + 0.5L) / SlotWidth()));
    column = std::max<std::int64_t>(column, 0);
    while (SlotX(column + 1) <= x)
        ++column;
    while (column > 0 && SlotX(column) > x)
        --column;
    return column;
}

void TimelineGeometry::VisibleBars(std::int64_t x0, std::int64_t x1, std::int64_t contentWidth,
                                   std::vector<TBarColumn>& out) const {
    out.clear();
    if (x1 <= x0)
        return;
    const std::int64_t lastColumn = LastSlotColumn(contentWidth);
    const long double pps = SlotWidth();
    auto take = [&](std::int64_t column) {
        const TPixelSpan span = BarSpan(column);
        if (span.X1 > span.X0 && span.X1 > x0 && span.X0 < x1)
            out.push_back({column, span});
    };
    if (pps >= 1.0L) {
        // A bar lies within a slot width and two pixels of its slot's left edge.
        const auto first =
            static_cast<std::int64_t>(std::floor(static_cast<long double>(x0 - 2) / pps)) - 1;
        const auto last =
            static_cast<std::int64_t>(std::floor(static_cast<long double>(x1) / pps)) + 1;
        for (std::int64_t c = std::max<std::int64_t>(first, 0); c <= std::min(last, lastColumn);
             ++c)
            take(c);
        return;
    }
    // Narrow slots: of the slots starting at pixel p only the last one reaches p + 1, and
    // its bar is the single pixel p + 1.
    for (std::int64_t p = std::max<std::int64_t>(x0 - 1, 0); p + 1 < x1; ++p) {
        const std::int64_t column = std::min(LastColumnAtOrBefore(p), lastColumn);
        if (SlotX(column) == p)
            take(column);
        else if (column == lastColumn)
            break;
    }
}

std::pair<std::int64_t, std::int64_t> TimelineGeometry::TicksIn(std::int64_t x0, std::int64_t x1,
                                                                std::int64_t contentWidth) const {
    const long double ppt = TickWidth();
    std::int64_t first = std::max<std::int64_t>(
        static_cast<std::int64_t>(std::floor(static_cast<long double>(x0) / ppt)) - 1, 0);
    std::int64_t last =
        std::min(static_cast<std::int64_t>(std::floor(static_cast<long double>(x1) / ppt)) + 1,
                 LastTick(contentWidth));
    while (first <= last && TickX(first) < x0)
        ++first;
    while (last >= first && TickX(last) >= x1)
        --last;
    return {first, last};
}

int TimelineGeometry::SlotsPerCell() const {
    return static_cast<int>(CurrentTickMs() / ResolutionInMs());
}

TSlotRange TimelineGeometry::CellSlots(int cell) const {
    if (cell < 1)
        return {};
    const int n = SlotsPerCell();
    return {(cell - 1) * n + 1, cell * n};
}

TPixelSpan TimelineGeometry::CellSpan(int cell) const {
    const std::int64_t n = SlotsPerCell();
    return {SlotX((cell - 1) * n), SlotX(cell * n)};
}

int TimelineGeometry::CellAtX(std::int64_t x) const {
    if (Pairs <= 0 || x < 0)
        return -1;
    const std::int64_t end = EditableEndX();
    if (end <= 0 || x > end)
        return -1;
    // The pixel on the editable end belongs to the cell on its left.
    if (x == end)
        --x;
    // m: the last tick at or left of x; the cell starts there. Found directly rather than
    // by walking every tick.
    auto m =
        static_cast<std::int64_t>(std::floor((static_cast<long double>(x) + 0.5L) / TickWidth()));
    while (TickX(m + 1) <= x)
        ++m;
    while (m > 0 && TickX(m) > x)
        --m;
    const std::int64_t cell = std::min<std::int64_t>(m + 1, LastEditableCell());
    return cell >= 1 ? static_cast<int>(cell) : -1;
}

std::int64_t TimelineGeometry::EditableEndX() const {
    const int last = LastEditableSlot();
    const std::int64_t width = ContentWidth();
    // A timeline narrower than a pixel is not shown at all.
    if (last < 1 || width <= 0)
        return 0;
    // The last slot's right edge, no further than the timeline, but the last cell keeps at
    // least its first pixel (the timeline is truncated to whole pixels at coarse levels).
    const std::int64_t lastCellX = TickX(LastEditableCell() - 1);
    return std::max(std::min(SlotX(last), width), lastCellX + 1);
}

TSlotRange TimelineGeometry::EditableSlots(int cell) const {
    TSlotRange slots = CellSlots(cell);
    const int last = LastEditableSlot();
    if (slots.First < 1 || slots.First > last)
        return {};
    slots.Last = std::min(slots.Last, last);
    return slots;
}

int TimelineGeometry::TrackAtY(std::int64_t y, int trackCount) const {
    if (Pairs <= 0 || trackCount <= 0 || y < 0)
        return -1;
    const int height = LaneHeight();
    const std::int64_t track = y / height + 1;
    if (track > std::min(trackCount, MaxTracks))
        return -1;
    const std::int64_t row = y - (track - 1) * height;
    return row <= height - LaneSeparatorRows ? static_cast<int>(track) : -1;
}

TLaneHit TimelineGeometry::HitAt(std::int64_t x, std::int64_t y, int trackCount) const {
    TLaneHit hit;
    hit.Track = TrackAtY(y, trackCount);
    hit.Cell = CellAtX(x);
    if (hit.Cell >= 1)
        hit.Slots = EditableSlots(hit.Cell);
    if (hit.Track >= 1)
        hit.Value = DrawValueAtY(y, hit.Track);
    return hit;
}

TLaneRow TimelineGeometry::LaneRow(int track) const {
    const std::int64_t height = LaneHeight();
    const std::int64_t top = static_cast<std::int64_t>(track - 1) * height;
    return {top, top + height - LaneSeparatorRows, top + height};
}

std::int64_t TimelineGeometry::LanesHeight(int trackCount) const {
    return static_cast<std::int64_t>(std::max(trackCount, 0)) * LaneHeight();
}

int TimelineGeometry::BarHeight(int value) const {
    const int scale = ValueScale();
    return value / scale + (value % scale != 0 ? 1 : 0);
}

int TimelineGeometry::DrawValueAtY(std::int64_t y, int track) const {
    const std::int64_t value = (LaneRow(track).Bottom - y) * ValueScale();
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, 255));
}

QString TimelineGeometry::TimeLabel(std::int64_t ms) {
    // The ruler writes times as the time display does.
    return FormatShowTime(ms);
}

} // namespace lumivox
