// The waveform reduced to pixel columns: what a column gathers, and the cache of coarse
// levels against the direct reduction.
#include "timeline/WaveformColumns.h"

#include "core/TimeAxis.h"
#include "support/TimelineTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace lumivox;
using lumivox::test::SilentPeaks;

TEST(TimelineWaveform, ColumnsGatherTheirGroups) {
    // Four groups: line, max, min for (left, right).
    TWavePeaks peaks = {{1, -1}, {10, 3}, {-5, -7},  // group 0
                        {2, -2}, {20, 4}, {3, -9},   // group 1 (min above 0 on the left)
                        {-3, 5}, {-1, 2}, {-4, -1},  // group 2 (max below 0 on the left)
                        {4, 6},  {7, 8},  {-2, -3}}; // group 3
    const TWaveColumn whole = WaveformColumns::Reduce(peaks, 0, 4);
    EXPECT_EQ(whole, (TWaveColumn{4, 20, -5, 6, 8, -9}));
    const TWaveColumn second = WaveformColumns::Reduce(peaks, 1, 2);
    EXPECT_EQ(second, (TWaveColumn{4, 7, -4, 6, 8, -3}));
    // A group above or below 0 still counts 0 in the column's extremes.
    const TWaveColumn above = WaveformColumns::Reduce(peaks, 1, 1);
    EXPECT_EQ(above.LeftMin, 0);
    const TWaveColumn below = WaveformColumns::Reduce(peaks, 2, 1);
    EXPECT_EQ(below.LeftMax, 0);
    EXPECT_EQ(WaveY(18, 127), 3);
    EXPECT_EQ(WaveY(18, -128), 34);
    EXPECT_EQ(WaveY(56, -7), 56); // -7 div 8 truncates to 0
}

TEST(TimelineWaveform, CachedLevelsEqualTheDirectReduction) {
    // A song of 300 s with a varying waveform.
    const auto records = static_cast<std::size_t>(300 * 44100 / 128);
    TWavePeaks peaks(records * 3);
    for (std::size_t r = 0; r < records; ++r) {
        const auto a = static_cast<std::int32_t>((r * 37) % 256) - 128;
        const auto b = static_cast<std::int32_t>((r * 11 + 5) % 256) - 128;
        peaks[3 * r] = {a / 2, b / 2};
        peaks[3 * r + 1] = {std::max(a, b), a};
        peaks[3 * r + 2] = {std::min(a, b), -std::abs(b)};
    }
    WaveformColumns columns;
    for (int level = 1; level <= 15; ++level) {
        const std::int64_t width =
            TimeAxis::ContentWidth(static_cast<std::int64_t>(peaks.size()), level);
        const std::int64_t divisor = TimeAxis::ZoomDivisor(level);
        for (std::int64_t c : {std::int64_t{0}, width / 2, width - 1})
            ASSERT_EQ(columns.At(peaks, level, c), WaveformColumns::Reduce(peaks, c, divisor))
                << "level " << level << " column " << c;
    }
    EXPECT_EQ(columns.CachedLevels(), WaveformColumns::CachedFromLevel);
}

TEST(TimelineWaveform, CacheFollowsReplacedPeaks) {
    TWavePeaks peaks = SilentPeaks(200);
    WaveformColumns columns;
    EXPECT_EQ(columns.At(peaks, 5, 0).LeftMax, 0);
    // A new song of another length is noticed by itself.
    peaks = SilentPeaks(150);
    peaks[1] = {100, 90};
    EXPECT_EQ(columns.At(peaks, 5, 0).LeftMax, 100);
    // Values changed in place need Invalidate.
    peaks[4] = {120, 90};
    columns.Invalidate();
    EXPECT_EQ(columns.CachedLevels(), 0);
    EXPECT_EQ(columns.At(peaks, 5, 0).LeftMax, 120);
}
