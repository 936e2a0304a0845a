// The time axis against plain walks: the play cursor's pixel for every millisecond of a song,
// the time a ruler press lands on, and the grid's slots and ticks over the same axis.
#include "core/TimeAxis.h"
#include "editing/TimelineGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace lumivox;

namespace {

constexpr std::int64_t SongMs = 61'237;
// The peak pairs of a song SongMs long: one record per 128 frames at 44.1 kHz.
constexpr std::int64_t SongPairs = SongMs * 44100 / 1000 / 128 * 3;

} // namespace

TEST(TimeAxisWalk, TheCursorAndARulerPressAgreeWithAWalkOverEveryMillisecond) {
    for (int level = TimeAxis::MinLevel; level <= TimeAxis::MaxLevel; ++level) {
        const TimeAxis axis(level, SongMs, SongPairs);
        const std::int64_t width = axis.ContentWidth();
        // The first millisecond the cursor shows at each pixel.
        std::map<std::int64_t, std::int64_t> firstMs;
        std::int64_t previous = 0;
        for (std::int64_t ms = 0; ms <= SongMs; ++ms) {
            const std::int64_t x = axis.CursorX(ms);
            ASSERT_GE(x, previous) << "level " << level << " ms " << ms;
            ASSERT_LE(x, width) << "level " << level << " ms " << ms;
            previous = x;
            firstMs.try_emplace(x, ms);
        }
        EXPECT_EQ(axis.CursorX(SongMs), width) << "level " << level;
        // A press on pixel x lands where the cursor starts showing x (the float quotient may
        // fall a millisecond short of it), and the cursor is drawn on that pixel or just left.
        for (const auto& [x, ms] : firstMs) {
            const std::int64_t pressed = axis.CursorMs(x);
            EXPECT_LE(std::abs(pressed - ms), 1) << "level " << level << " x " << x;
            EXPECT_GE(axis.CursorX(pressed), x - 1) << "level " << level << " x " << x;
        }
    }
}

TEST(TimeAxisWalk, SlotsAndTicksOfTheGridLieOnTheAxis) {
    for (int resolution = 1; resolution <= 3; ++resolution)
        for (int level = TimelineGeometry::MinHorzZoom; level <= TimelineGeometry::MaxHorzZoom;
             ++level) {
            TimelineGeometry g;
            g.ComputePixelScales(resolution);
            g.SetHorzZoom(level);
            g.SetPeakPairCount(SongPairs);
            const TimeAxis axis = g.Axis();
            ASSERT_EQ(g.ContentWidth(), axis.ContentWidth());
            const std::int64_t slotMs = g.ResolutionInMs();
            for (std::int64_t c = 0; c <= g.LastSlotColumn(g.ContentWidth()); ++c)
                ASSERT_LE(std::abs(static_cast<double>(g.SlotX(c)) -
                                   static_cast<double>(axis.XOfMs(c * slotMs))),
                          0.5)
                    << "resolution " << resolution << " level " << level << " column " << c;
            for (std::int64_t t = 0; t <= g.LastTick(g.ContentWidth()); ++t)
                ASSERT_LE(std::abs(static_cast<double>(g.TickX(t)) -
                                   static_cast<double>(axis.XOfMs(t * g.CurrentTickMs()))),
                          0.5)
                    << "resolution " << resolution << " level " << level << " tick " << t;
        }
}

TEST(TimeAxisSong, TheMeasuredLengthWinsOverTheWaveformsAndNoSongHasNoWidth) {
    const TimeAxis waveformOnly(15, 0, SongPairs);
    EXPECT_EQ(waveformOnly.SongLength(), TimeAxis::WaveformLengthMs(SongPairs));
    EXPECT_LE(std::abs(waveformOnly.SongLength() - SongMs), 3);
    EXPECT_EQ(TimeAxis(15, 60'000, SongPairs).SongLength(), 60'000);
    const TimeAxis none(15, 60'000, 0);
    EXPECT_FALSE(none.HasSong());
    EXPECT_EQ(none.SongLength(), 0);
    EXPECT_EQ(none.ContentWidth(), 0);
    EXPECT_EQ(none.CursorX(1000), 0);
    EXPECT_EQ(none.CursorMs(10), 0);
    EXPECT_EQ(none.CursorPixelsPerMs(), 0.0L);
    EXPECT_EQ(TimeAxis(13, 60'000, 20671 * 3).CursorPixelsPerMs(), 5167.0L / 60'000.0L);
    EXPECT_EQ(TimeAxis(99, 0, 0).Level(), TimeAxis::MaxLevel);
    EXPECT_EQ(TimeAxis(-3, 0, 0).Level(), TimeAxis::MinLevel);
}
