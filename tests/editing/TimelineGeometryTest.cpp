// The timeline's grid: pixel scales and their rounding, slot and cell spans, the hit tests
// against a literal walk over the ticks, lane rows and bar heights, zoom limits and the time
// axis.
#include "editing/TimelineGeometry.h"

#include "audio/decode/WaveformCache.h"
#include "support/TimelineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace lumivox;
using lumivox::test::SilentPeaks;

namespace {

// `g` over a song of `pairs` peak pairs.
TimelineGeometry Song(TimelineGeometry g, std::int64_t pairs) {
    g.SetPeakPairCount(pairs);
    return g;
}

TimelineGeometry At(int resolutionIndex, int horzZoom, int vertZoom = 3) {
    TimelineGeometry g;
    g.ComputePixelScales(resolutionIndex);
    g.SetHorzZoom(horzZoom);
    g.SetVertZoom(vertZoom);
    return g;
}

// CellAtX exactly as a walk over every tick: the last i with previous <= x <= Nearest(i x
// tick width), previous starting at 0, over the ticks up to the last editable cell, whose
// right line is the editable end.
int CellByWalkingTicks(const TimelineGeometry& g, std::int64_t x, std::int64_t pairs) {
    if (pairs <= 0)
        return -1;
    const std::int64_t end = Song(g, pairs).EditableEndX();
    const int cells = Song(g, pairs).LastEditableCell();
    if (end <= 0) // no timeline is shown
        return -1;
    std::int64_t previous = 0;
    int result = -1;
    for (int i = 0; i <= cells; ++i) {
        const std::int64_t xi =
            i == cells ? end
                       : TimelineGeometry::Nearest(static_cast<long double>(i) * g.TickWidth());
        if (previous <= x && x <= xi)
            result = i;
        previous = xi;
    }
    return result;
}

} // namespace

TEST(TimelineScales, PixelWidthsOfTicksAndSlots) {
    TimelineGeometry g = At(1, 13);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerTick(13)), 8.6133, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(13)), 8.6133, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerTick(15)), 34.4531, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(15)), 34.4531, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerTick(10)), 10.7666, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(10)), 1.0767, 5e-5);
    // Level 1: a 30-minute tick is 37.85 pixels, a 100 ms slot 0.0021.
    EXPECT_NEAR(static_cast<double>(g.PixelsPerTick(1)), 37.8513, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(1)), 0.0021, 5e-5);

    g.ComputePixelScales(3);
    EXPECT_EQ(g.ResolutionInMs(), 1000);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(13)), 86.1328, 5e-5);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerTick(13)), 86.1328, 5e-5);
    g.ComputePixelScales(2);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(15)), 172.2656, 5e-5);
    // An unknown resolution counts as 100 ms.
    g.ComputePixelScales(7);
    EXPECT_EQ(g.ResolutionIndex(), 1);
    EXPECT_NEAR(static_cast<double>(g.PixelsPerSlot(13)), 8.6133, 5e-5);
}

TEST(TimelineScales, ScalesAreExactSoTiesRoundToEven) {
    // 34.453125 x 32 = 1102.5 exactly at level 15: a true tie, which goes to the even side.
    TimelineGeometry g = At(1, 15);
    EXPECT_EQ(g.PixelsPerSlot(15) * 128, 4410.0L);
    EXPECT_EQ(g.SlotX(32), 1102);
    EXPECT_EQ(g.SlotX(96), 3308); // 3307.5
    EXPECT_EQ(g.TickX(32), 1102);
}

TEST(TimelineScales, NearestRoundsHalfToEven) {
    EXPECT_EQ(TimelineGeometry::Nearest(0.5L), 0);
    EXPECT_EQ(TimelineGeometry::Nearest(1.5L), 2);
    EXPECT_EQ(TimelineGeometry::Nearest(2.5L), 2);
    EXPECT_EQ(TimelineGeometry::Nearest(3.5L), 4);
    EXPECT_EQ(TimelineGeometry::Nearest(-2.5L), -2);
    EXPECT_EQ(TimelineGeometry::Nearest(-0.6L), -1);
    EXPECT_EQ(TimelineGeometry::Nearest(8.61328125L), 9);
    EXPECT_EQ(TimelineGeometry::Nearest(17.2265625L), 17);
    EXPECT_EQ(TimelineGeometry::Nearest(4000000000.4L), 4000000000LL);
}

TEST(TimelineSlots, SpansAndBarsAtLevel13) {
    const TimelineGeometry g = At(1, 13);
    // Slot 1 spans pixels 0-8 and its bar fills 1-8; slot 2 starts at 9 and ends at 17.
    EXPECT_EQ(g.SlotX(0), 0);
    EXPECT_EQ(g.SlotX(1), 9);
    EXPECT_EQ(g.BarSpan(0), (TPixelSpan{1, 9}));
    EXPECT_EQ(g.SlotX(2), 17);
    EXPECT_EQ(g.BarSpan(1), (TPixelSpan{10, 17}));
    EXPECT_EQ(g.CellSpan(1), (TPixelSpan{0, 9}));
    EXPECT_EQ(g.CellSpan(2), (TPixelSpan{9, 17}));
}

TEST(TimelineSlots, NarrowSlotsStillShowOnePixel) {
    // Level 10: slot 1 is one pixel wide (0-1) and its bar fills pixel 1.
    TimelineGeometry g = At(1, 10);
    EXPECT_EQ(g.BarSpan(0), (TPixelSpan{1, 2}));
    // Level 9: slots are half a pixel; the one that reaches a new pixel shows it, the
    // other shows nothing.
    g.SetHorzZoom(9);
    EXPECT_EQ(g.BarSpan(0), (TPixelSpan{1, 2}));
    const TPixelSpan second = g.BarSpan(1);
    EXPECT_LE(second.X1, second.X0);
}

TEST(TimelineSlots, VisibleBarsMatchEveryColumnCheckedOneByOne) {
    const std::int64_t pairs = static_cast<std::int64_t>(SilentPeaks(95.3).size());
    std::vector<TimelineGeometry::TBarColumn> bars;
    for (int resolution = 1; resolution <= 3; ++resolution)
        for (int level = 1; level <= 15; ++level) {
            const TimelineGeometry g = At(resolution, level);
            const std::int64_t width = Song(g, pairs).ContentWidth();
            const std::int64_t lastColumn = g.LastSlotColumn(width);
            for (const auto& [x0, x1] : {std::pair<std::int64_t, std::int64_t>{0, width},
                                         {3, 40},
                                         {width / 3, width / 3 + 17},
                                         {width - 5, width + 50}}) {
                g.VisibleBars(x0, x1, width, bars);
                std::vector<std::int64_t> expected;
                for (std::int64_t c = 0; c <= lastColumn; ++c) {
                    const TPixelSpan span = g.BarSpan(c);
                    if (span.X1 > span.X0 && span.X1 > x0 && span.X0 < x1)
                        expected.push_back(c);
                }
                std::vector<std::int64_t> got;
                got.reserve(bars.size());
                for (const auto& bar : bars)
                    got.push_back(bar.Column);
                EXPECT_EQ(got, expected) << "resolution " << resolution << " level " << level
                                         << " pixels " << x0 << ".." << x1;
            }
        }
}

TEST(TimelineCells, SlotsPerCellFollowTheTickLength) {
    EXPECT_EQ(At(1, 15).SlotsPerCell(), 1);
    EXPECT_EQ(At(1, 13).SlotsPerCell(), 1);
    EXPECT_EQ(At(1, 12).SlotsPerCell(), 5);
    EXPECT_EQ(At(1, 11).SlotsPerCell(), 10);
    EXPECT_EQ(At(1, 10).SlotsPerCell(), 10);
    EXPECT_EQ(At(1, 1).SlotsPerCell(), 18000);
    EXPECT_EQ(At(2, 12).SlotsPerCell(), 1);
    EXPECT_EQ(At(3, 10).SlotsPerCell(), 1);
    EXPECT_EQ(At(3, 1).SlotsPerCell(), 1800);
    // One press at level 12 writes 5 slots, at level 10 ten.
    EXPECT_EQ(At(1, 12).CellSlots(3), (TSlotRange{11, 15}));
    EXPECT_EQ(At(1, 10).CellSlots(2), (TSlotRange{11, 20}));
    EXPECT_EQ(At(1, 10).CellSlots(0), TSlotRange{});
}

TEST(TimelineCells, PixelOnATickLineBelongsToTheCellOnItsRight) {
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(60).size());
    const TimelineGeometry g = At(1, 13);
    EXPECT_EQ(Song(g, pairs).CellAtX(0), 1);
    EXPECT_EQ(Song(g, pairs).CellAtX(8), 1);
    EXPECT_EQ(Song(g, pairs).CellAtX(9), 2);
    EXPECT_EQ(Song(g, pairs).CellAtX(16), 2);
    EXPECT_EQ(Song(g, pairs).CellAtX(17), 3);
    const TimelineGeometry ten = At(1, 10);
    EXPECT_EQ(Song(ten, pairs).CellAtX(10), 1);
    EXPECT_EQ(Song(ten, pairs).CellAtX(11), 2);
}

TEST(TimelineCells, NothingIsHitOutsideTheTimeline) {
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(60).size());
    const TimelineGeometry g = At(1, 13);
    const std::int64_t width = Song(g, pairs).ContentWidth();
    // The last slot (600) ends past the timeline's last pixel: the timeline ends the cells.
    ASSERT_EQ(Song(g, pairs).LastEditableSlot(), 600);
    EXPECT_EQ(Song(g, pairs).EditableEndX(), width);
    EXPECT_EQ(Song(g, pairs).CellAtX(-1), -1);
    EXPECT_EQ(Song(g, 0).CellAtX(0), -1);
    EXPECT_EQ(Song(g, pairs).CellAtX(width + 1), -1);
    EXPECT_EQ(Song(g, pairs).CellAtX(width), 600);
    // A song shorter than one pixel shows no timeline and has no cell; one pixel long, it
    // has a cell of its one slot.
    const auto tiny = static_cast<std::int64_t>(SilentPeaks(0.005).size());
    ASSERT_GT(tiny, 0);
    EXPECT_EQ(Song(g, tiny).CellAtX(0), -1);
    const TimelineGeometry finest = At(1, 15);
    EXPECT_EQ(Song(finest, tiny).CellAtX(0), 1);
    EXPECT_EQ(Song(finest, tiny).HitAt(0, 0, 1).Slots, (TSlotRange{1, 1}));
}

TEST(TimelineCells, DirectAnswerEqualsTheWalkOverEveryTick) {
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(23.7).size());
    for (int resolution = 1; resolution <= 3; ++resolution)
        for (int level = 1; level <= 15; ++level) {
            const TimelineGeometry g = At(resolution, level);
            const std::int64_t width = Song(g, pairs).ContentWidth();
            for (std::int64_t x = -2; x <= width + 40; ++x)
                ASSERT_EQ(Song(g, pairs).CellAtX(x), CellByWalkingTicks(g, x, pairs) < 1
                                                         ? -1
                                                         : CellByWalkingTicks(g, x, pairs))
                    << "resolution " << resolution << " level " << level << " x " << x;
        }
}

TEST(TimelineLanes, RowsAndTheSeparatorBand) {
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(10).size());
    const TimelineGeometry g = At(1, 13, 3);
    // Lane height 73: rows 0..64 are track 1's lane, 65..72 its separator rows.
    EXPECT_EQ(Song(g, pairs).TrackAtY(0, 3), 1);
    EXPECT_EQ(Song(g, pairs).TrackAtY(64, 3), 1);
    for (int y = 65; y <= 72; ++y)
        EXPECT_EQ(Song(g, pairs).TrackAtY(y, 3), -1) << y;
    EXPECT_EQ(Song(g, pairs).TrackAtY(73, 3), 2);
    EXPECT_EQ(Song(g, pairs).TrackAtY(3 * 73 - 9, 3), 3);
    EXPECT_EQ(Song(g, pairs).TrackAtY(3 * 73, 3), -1);
    EXPECT_EQ(Song(g, pairs).TrackAtY(-1, 3), -1);
    EXPECT_EQ(Song(g, pairs).TrackAtY(10, 0), -1);
    EXPECT_EQ(Song(g, 0).TrackAtY(10, 3), -1);
    const TLaneRow row = g.LaneRow(2);
    EXPECT_EQ(row.Top, 73);
    EXPECT_EQ(row.Bottom, 137);
    EXPECT_EQ(row.End, 146);
    EXPECT_EQ(g.LanesHeight(255), 255 * 73);
    // At every level: the bottom line is lane, the 8 rows under it are not, and a full
    // value fills the lane up to its top row.
    for (int vert = 1; vert <= 5; ++vert) {
        const TimelineGeometry v = At(1, 13, vert);
        const TLaneRow fourth = v.LaneRow(4);
        EXPECT_EQ(Song(v, pairs).TrackAtY(fourth.Bottom, 5), 4);
        EXPECT_EQ(Song(v, pairs).TrackAtY(fourth.Bottom + 1, 5), -1);
        EXPECT_EQ(Song(v, pairs).TrackAtY(fourth.End - 1, 5), -1);
        EXPECT_EQ(Song(v, pairs).TrackAtY(fourth.End, 5), 5);
        EXPECT_EQ(v.BarHeight(255), fourth.Bottom - fourth.Top) << vert;
    }
}

TEST(TimelineLanes, DrawValueFromTheHeightInTheLane) {
    TimelineGeometry g = At(1, 13, 3);
    EXPECT_EQ(g.DrawValueAtY(64, 1), 0);   // the bottom line
    EXPECT_EQ(g.DrawValueAtY(63, 1), 4);   // one row up
    EXPECT_EQ(g.DrawValueAtY(0, 1), 255);  // 64 x 4 = 256, clamped
    EXPECT_EQ(g.DrawValueAtY(73, 2), 255); // top row of track 2
    EXPECT_EQ(g.DrawValueAtY(136, 2), 4);
    g.SetVertZoom(1);
    EXPECT_EQ(g.DrawValueAtY(0, 1), 255);
    EXPECT_EQ(g.DrawValueAtY(254, 1), 1);
    g.SetVertZoom(5);
    EXPECT_EQ(g.DrawValueAtY(15, 1), 16);
}

TEST(TimelineLanes, BarHeightsRoundUp) {
    TimelineGeometry g = At(1, 13, 5);
    EXPECT_EQ(g.BarHeight(1), 1);
    EXPECT_EQ(g.BarHeight(16), 1);
    EXPECT_EQ(g.BarHeight(17), 2);
    EXPECT_EQ(g.BarHeight(0), 0);
    g.SetVertZoom(3);
    EXPECT_EQ(g.BarHeight(255), 64);
    EXPECT_EQ(g.BarHeight(128), 32);
    EXPECT_EQ(g.BarHeight(129), 33);
}

TEST(TimelineZoom, LevelsStopAtTheirLimits) {
    TimelineGeometry g;
    EXPECT_EQ(g.HorzZoom(), 13);
    EXPECT_EQ(g.VertZoom(), 3);
    EXPECT_TRUE(g.ZoomHorizontal(true));
    EXPECT_TRUE(g.ZoomHorizontal(true));
    EXPECT_FALSE(g.ZoomHorizontal(true));
    EXPECT_EQ(g.HorzZoom(), 15);
    g.SetHorzZoom(1);
    EXPECT_FALSE(g.ZoomHorizontal(false));
    EXPECT_EQ(g.HorzZoom(), 1);
    EXPECT_TRUE(g.ZoomHorizontal(true));
    EXPECT_EQ(g.HorzZoom(), 2);

    // Vertical in makes lanes taller (a lower level).
    EXPECT_TRUE(g.ZoomVertical(true));
    EXPECT_EQ(g.VertZoom(), 2);
    EXPECT_TRUE(g.ZoomVertical(true));
    EXPECT_FALSE(g.ZoomVertical(true));
    EXPECT_EQ(g.LaneHeight(), 264);
    g.SetVertZoom(5);
    EXPECT_FALSE(g.ZoomVertical(false));
    EXPECT_EQ(g.LaneHeight(), 25);
    g.SetVertZoom(9);
    EXPECT_EQ(g.VertZoom(), 5);
}

TEST(TimelineWidth, ContentWidthFromThePeaks) {
    // 60 s: 20,671 records; 5,167 pixels at level 13, 1 at level 1.
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(60).size());
    EXPECT_EQ(pairs, 20671 * 3);
    EXPECT_EQ(TimeAxis::ContentWidth(pairs, 13), 5167);
    EXPECT_EQ(TimeAxis::ContentWidth(pairs, 15), 20671);
    EXPECT_EQ(TimeAxis::ContentWidth(pairs, 1), 1);
    EXPECT_EQ(TimeAxis::ContentWidth(0, 13), 0);
    // The longest song the model holds, at level 15.
    const std::int64_t longest = std::int64_t{13107} * 44100 / 128 * 3;
    EXPECT_EQ(TimeAxis::ContentWidth(longest, 15), 4515771);
}

TEST(TimelineRuler, TicksAndLabels) {
    const TimelineGeometry g = At(1, 13);
    // The first label, 00:00:01,000, stands on tick 10.
    EXPECT_EQ(g.CurrentTicksPerLabel(), 10);
    EXPECT_EQ(TimelineGeometry::TimeLabel(g.CurrentTickMs() * 10), QStringLiteral("00:00:01,000"));
    EXPECT_EQ(TimelineGeometry::TimeLabel(3723456), QStringLiteral("01:02:03,456"));
    EXPECT_EQ(g.TickX(10), 86);
    const auto [first, last] = g.TicksIn(80, 100, 5167);
    EXPECT_EQ(first, 10); // 86
    EXPECT_EQ(last, 11);  // 95
    const auto [none, before] = g.TicksIn(87, 95, 5167);
    EXPECT_GT(none, before);
    EXPECT_EQ(g.LastTick(5167), 599);
}

// A 60 s song: before, only 0-50 s was reachable at level 7 and nothing at levels 1-5; the
// cell holding the song's end is reachable and ends with the song's last slot.
TEST(TimelineCells, TheSongsLastCellIsReachableAtEveryLevel) {
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(60.001).size());
    struct Case {
        int Resolution;
        int Level;
        int Cell;
        TSlotRange Slots;
    };
    for (const Case& c :
         {Case{1, 7, 6, {501, 600}}, Case{1, 5, 1, {1, 600}}, Case{1, 1, 1, {1, 600}},
          Case{1, 10, 60, {591, 600}}, Case{1, 15, 600, {600, 600}}, Case{2, 7, 6, {101, 120}},
          Case{3, 3, 1, {1, 60}}}) {
        TimelineGeometry g = At(c.Resolution, c.Level);
        g.SetSongLength(60000);
        const std::int64_t end = Song(g, pairs).EditableEndX();
        ASSERT_GT(end, 0) << c.Level;
        EXPECT_EQ(Song(g, pairs).LastEditableCell(), c.Cell) << c.Level;
        EXPECT_EQ(Song(g, pairs).CellAtX(end - 1), c.Cell) << c.Level;
        EXPECT_EQ(Song(g, pairs).HitAt(end - 1, 0, 1).Slots, c.Slots) << c.Level;
        EXPECT_EQ(Song(g, pairs).CellAtX(end + 1), -1) << c.Level;
        EXPECT_LE(end, std::max(Song(g, pairs).ContentWidth(), g.TickX(c.Cell - 1) + 1)) << c.Level;
    }
}

TEST(TimelineCells, TheEditableSlotsEndWithTheSongAndTheTracks) {
    const auto pairs = static_cast<std::int64_t>(SilentPeaks(61).size());
    TimelineGeometry g = At(1, 13);
    // Without a measured length the waveform's (60.999 s) counts: 610 slots.
    EXPECT_EQ(Song(g, pairs).LastEditableSlot(), 610);
    // Tracks hold length div 100 slots: the 50 ms after 60.0 s have no slot.
    g.SetSongLength(60050);
    EXPECT_EQ(Song(g, pairs).LastEditableSlot(), 600);
    // At 500 ms the slot starting at 60.0 s holds the song's last 50 ms.
    g.ComputePixelScales(2);
    EXPECT_EQ(Song(g, pairs).LastEditableSlot(), 121);
    g.SetSongLength(60000);
    EXPECT_EQ(Song(g, pairs).LastEditableSlot(), 120);
    EXPECT_EQ(Song(g, pairs).EditableSlots(120), (TSlotRange{120, 120}));
    EXPECT_EQ(Song(g, pairs).EditableSlots(121), TSlotRange{}) << "a cell past the song";
    EXPECT_EQ(Song(g, 0).LastEditableSlot(), 0);
    EXPECT_EQ(Song(g, 0).EditableEndX(), 0);
}

TEST(TimelineTime, MillisecondsAndPixelsAtEveryLevel) {
    for (int level = 1; level <= 15; ++level) {
        // One pixel is ZoomDivisor x 128 sample frames.
        const long double msPerPixel = TimeAxis::ZoomDivisor(level) * 128 / 44.1L;
        EXPECT_NEAR(static_cast<double>(TimeAxis::MsOfX(1, level)), static_cast<double>(msPerPixel),
                    1e-9);
        EXPECT_NEAR(static_cast<double>(TimeAxis::XOfMs(TimeAxis::MsOfX(12345, level), level)),
                    12345.0, 1e-6);
    }
    // The finest level that holds the span: 60 s needs 1,292 pixels at level 11 and 646 at
    // level 10, so 1,000 pixels take level 10 and 1,300 level 11.
    EXPECT_EQ(TimeAxis::LevelToFit(60000, 1000), 10);
    EXPECT_EQ(TimeAxis::LevelToFit(60000, 1300), 11);
    EXPECT_EQ(TimeAxis::LevelToFit(0, 1000), 15);
    EXPECT_EQ(TimeAxis::LevelToFit(100LL * 3600 * 1000, 10), 1) << "nothing fits";
}
