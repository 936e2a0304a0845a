// Where the song's beats and the show's marks fall on the timeline, for the views that draw
// them: the pixel column of a time, a walk over the items of a range of columns that finds
// its start by binary search and visits one item per column (so a paint's work follows the
// columns exposed, never the number of beats or marks), and which marks a change touched.
#pragma once

#include "editing/TimelineGeometry.h"
#include "model/ShowMarks.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace lumivox {

// Colours of the beats and marks (0x00BBGGRR).
inline constexpr TColor BeatTickColor = 0x808080; // a beat's tick on the ruler
inline constexpr TColor BarTickColor = 0x400000;  // the first beat of a bar, when a tempo is known
inline constexpr TColor MarkLineColor = 0x0080FF; // a mark's line, on the ruler and the lanes
inline constexpr TColor MarkFlagColor = 0x90D0FF; // behind a mark's name on the ruler

// The content column holding `ms` at `horzZoom`.
inline std::int64_t ColumnOfMs(double ms, int horzZoom) {
    return static_cast<std::int64_t>(
        std::floor(TimeAxis::XOfMs(static_cast<long double>(ms), horzZoom)));
}

// Calls visit(index, column) for the first of the items whose columns lie in [x0, x1), one per
// column, left to right. `count` items with ascending times `timeAt(index)` in ms.
template <typename TimeAt, typename Visit>
void VisitColumns(int count, const TimeAt& timeAt, int horzZoom, std::int64_t x0, std::int64_t x1,
                  const Visit& visit) {
    // The first index whose time is at least `ms`.
    auto lowerBound = [&](double ms) {
        int low = 0;
        int high = count;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (timeAt(mid) < ms)
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    // A little before each column's first time, so rounding never skips an item.
    auto startOf = [&](std::int64_t column) {
        return static_cast<double>(TimeAxis::MsOfX(static_cast<long double>(column), horzZoom)) -
               0.001;
    };
    std::int64_t last = x0 - 1;
    for (int i = lowerBound(startOf(x0)); i < count;) {
        const std::int64_t column = ColumnOfMs(timeAt(i), horzZoom);
        if (column >= x1)
            return;
        if (column <= last) {
            ++i;
            continue;
        }
        visit(i, column);
        last = column;
        i = std::max(i + 1, lowerBound(startOf(column + 1)));
    }
}

// The times of the marks that are not the same in both: added, removed, moved or renamed
// (both times of a move). Marks at one time are compared as a group.
std::vector<int> ChangedMarkTimes(const TShowMarks& before, const TShowMarks& after);

} // namespace lumivox
