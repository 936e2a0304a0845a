// The waveform reduced to the timeline's pixel columns at each zoom level.
#pragma once

#include "audio/decode/WaveformCache.h"
#include "timeline/TimelineStyle.h"

#include <array>
#include <cstdint>
#include <vector>

namespace lumivox {

// One pixel column of the waveform, for both channels: the line value of its last group,
// the largest maximum and the smallest minimum of its groups, with 0 counted in both.
struct TWaveColumn {
    std::int32_t LeftLine = 0;
    std::int32_t LeftMax = 0;
    std::int32_t LeftMin = 0;
    std::int32_t RightLine = 0;
    std::int32_t RightMax = 0;
    std::int32_t RightMin = 0;
    friend bool operator==(const TWaveColumn&, const TWaveColumn&) = default;
};

// Row of a waveform value v around a channel's centre line: centre - (v div 8), the
// division truncating toward zero.
inline int WaveY(int centre, std::int32_t value) {
    return centre - static_cast<int>(value / WaveAmplitudeDivisor);
}

// The waveform reduced to pixel columns at each zoom level. Narrow divisors are reduced on
// demand; at levels where a column gathers many groups the columns are computed once per
// song (the finest cached level from the peaks, each coarser one by merging pairs of
// columns of the level above) so that a paint never scans more than the columns it shows.
class WaveformColumns {
public:
    // Levels at or below this one are cached.
    static constexpr int CachedFromLevel = 9;

    // Column `column` of the peaks at `divisor` groups per column, straight from the peaks.
    static TWaveColumn Reduce(const TWavePeaks& peaks, std::int64_t column, std::int64_t divisor);

    // Column `column` (0 .. ContentWidth - 1) at `horzZoom`.
    TWaveColumn At(const TWavePeaks& peaks, int horzZoom, std::int64_t column);

    // Drops every cached level; call when the peaks change.
    void Invalidate();
    // Number of cached levels (for tests of the cache's behaviour).
    int CachedLevels() const;

private:
    const std::vector<TWaveColumn>& Level(const TWavePeaks& peaks, int horzZoom);
    void Watch(const TWavePeaks& peaks);

    const TPeakPair* SourceData = nullptr;
    std::size_t SourceSize = 0;
    std::array<std::vector<TWaveColumn>, CachedFromLevel + 1> Levels;
    std::array<bool, CachedFromLevel + 1> Built{};
};

} // namespace lumivox
