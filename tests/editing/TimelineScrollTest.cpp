// The shared scroll state: offsets stay inside the content, follow shrinking content and
// views, and announce only real changes, in an order listeners can rely on.
#include "editing/TimelineScroll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace lumivox;

namespace {

struct Recorder {
    std::vector<std::string> Events;
    // Joins a label and numbers as "label1xlabel2" without string concatenation chains,
    // which GCC 12 misreports under -Wrestrict at -O3.
    void Add(const char* first, long long a, const char* second = nullptr, long long b = 0) {
        char text[96];
        if (second)
            std::snprintf(text, sizeof text, "%s%lld%s%lld", first, a, second, b);
        else
            std::snprintf(text, sizeof text, "%s%lld", first, a);
        Events.emplace_back(text);
    }
    explicit Recorder(TimelineScroll& scroll) {
        QObject::connect(&scroll, &TimelineScroll::HorizontalOffsetChanged,
                         [this, &scroll](auto x) { Add("h", x, "/w", scroll.ContentWidth()); });
        QObject::connect(&scroll, &TimelineScroll::VerticalOffsetChanged,
                         [this](auto y) { Add("v", y); });
        QObject::connect(&scroll, &TimelineScroll::ContentSizeChanged,
                         [this](auto w, auto h) { Add("size", w, "x", h); });
        QObject::connect(&scroll, &TimelineScroll::ViewSizeChanged,
                         [this](int w, int h) { Add("view", w, "x", h); });
    }
};

} // namespace

TEST(TimelineScroll, OffsetsStayWithinTheContent) {
    TimelineScroll scroll;
    scroll.SetViewSize(800, 300);
    scroll.SetContentWidth(5167);
    scroll.SetContentHeight(20 * 73);
    EXPECT_EQ(scroll.MaxHorizontalOffset(), 4367);
    EXPECT_EQ(scroll.MaxVerticalOffset(), 1160);
    scroll.SetHorizontalOffset(10000);
    EXPECT_EQ(scroll.HorizontalOffset(), 4367);
    scroll.SetHorizontalOffset(-5);
    EXPECT_EQ(scroll.HorizontalOffset(), 0);
    scroll.ScrollTo(100, 2000);
    EXPECT_EQ(scroll.HorizontalOffset(), 100);
    EXPECT_EQ(scroll.VerticalOffset(), 1160);
    scroll.Reset();
    EXPECT_EQ(scroll.HorizontalOffset(), 0);
    EXPECT_EQ(scroll.VerticalOffset(), 0);
    // Content narrower than the view does not scroll.
    scroll.SetContentWidth(75);
    scroll.SetHorizontalOffset(30);
    EXPECT_EQ(scroll.HorizontalOffset(), 0);
}

TEST(TimelineScroll, WideContentKeepsSixtyFourBitOffsets) {
    TimelineScroll scroll;
    scroll.SetViewSize(1000, 100);
    scroll.SetContentWidth(std::int64_t{5} << 32);
    scroll.SetHorizontalOffset(std::int64_t{3} << 32);
    EXPECT_EQ(scroll.HorizontalOffset(), std::int64_t{3} << 32);
}

TEST(TimelineScroll, ShrinkingContentMovesTheOffsetBeforeAnnouncingTheSize) {
    TimelineScroll scroll;
    scroll.SetViewSize(500, 100);
    scroll.SetContentWidth(5000);
    scroll.SetHorizontalOffset(4000);
    Recorder recorder(scroll);
    scroll.SetContentWidth(1000);
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"h500/w1000", "size1000x0"}));
    // A larger view lowers the limit too.
    recorder.Events.clear();
    scroll.SetViewSize(900, 100);
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"h100/w1000", "view900x100"}));
}

TEST(TimelineScroll, UnchangedValuesAreNotAnnounced) {
    TimelineScroll scroll;
    scroll.SetViewSize(100, 100);
    scroll.SetContentWidth(1000);
    scroll.SetContentHeight(1000);
    scroll.ScrollTo(50, 60);
    Recorder recorder(scroll);
    scroll.ScrollTo(50, 60);
    scroll.SetContentWidth(1000);
    scroll.SetViewSize(100, 100);
    scroll.SetHorizontalOffset(5000); // clamps to the current maximum
    scroll.SetHorizontalOffset(900);
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"h900/w1000"}));
}

namespace {

// A song of `seconds` as the cache gives its peaks: the pair count.
std::int64_t PairsOf(double seconds) {
    return static_cast<std::int64_t>(seconds * 44100.0 / 128.0) * 3;
}

// The time at the middle of view pixel `viewX`.
long double TimeAt(const TimelineScroll& scroll, const TimelineGeometry& g, int viewX) {
    return TimeAxis::MsOfX(static_cast<long double>(scroll.HorizontalOffset() + viewX) + 0.5L,
                           g.HorzZoom());
}

// An 800 x 300 view over `pairs` wave pairs at zoom `level`, at the start of the content.
void ViewAtLevel(TimelineScroll& scroll, TimelineGeometry& g, int level, std::int64_t pairs) {
    scroll.SetViewSize(800, 300);
    g.SetHorzZoom(level);
    g.SetPeakPairCount(pairs);
    scroll.SetContentWidth(g.ContentWidth());
}

} // namespace

TEST(TimelineZoomAnchor, TheTimeUnderThePointerStaysWithinAPixelAtEveryLevel) {
    const std::int64_t pairs = PairsOf(3600);
    for (const int anchor : {0, 1, 333, 799, 800}) {
        TimelineScroll scroll;
        TimelineGeometry g;
        ViewAtLevel(scroll, g, 1, pairs);
        // In from level 1 to 15 and out again, with the anchor at a time well inside the song
        // (at level 1 the hour is 76 pixels, so it starts at the left edge).
        for (int step = 0; step < 28; ++step) {
            const bool in = step < 14;
            const int before = g.HorzZoom();
            if (before == 8 && in)
                scroll.SetHorizontalOffset(scroll.MaxHorizontalOffset() / 2);
            const long double time = TimeAt(scroll, g, anchor);
            const std::int64_t maxBefore = scroll.MaxHorizontalOffset();
            ASSERT_TRUE(scroll.ZoomHorizontalAt(g, before + (in ? 1 : -1), anchor));
            ASSERT_EQ(scroll.ContentWidth(), g.ContentWidth());
            const long double coarserPixel = TimeAxis::MsOfX(1, std::min(before, g.HorzZoom()));
            const bool clamped = scroll.HorizontalOffset() == 0 ||
                                 scroll.HorizontalOffset() == scroll.MaxHorizontalOffset();
            if (!clamped && maxBefore > 0) {
                EXPECT_LE(std::abs(static_cast<double>(TimeAt(scroll, g, anchor) - time)),
                          static_cast<double>(coarserPixel))
                    << "anchor " << anchor << " level " << before << " to " << g.HorzZoom();
            }
        }
    }
}

TEST(TimelineZoomAnchor, OffsetsAreClampedAtBothEnds) {
    const std::int64_t pairs = PairsOf(600);
    TimelineScroll scroll;
    TimelineGeometry g;
    ViewAtLevel(scroll, g, 10, pairs);
    // Near the start, zooming out cannot put the anchor's time left of the content's start.
    scroll.SetHorizontalOffset(100);
    EXPECT_TRUE(scroll.ZoomHorizontalAt(g, 9, 10));
    EXPECT_EQ(scroll.HorizontalOffset(), 45);
    EXPECT_TRUE(scroll.ZoomHorizontalAt(g, 5, 10));
    EXPECT_EQ(scroll.HorizontalOffset(), 0);
    // At the end, zooming out keeps the last page in the view.
    g.SetHorzZoom(12);
    scroll.SetContentWidth(g.ContentWidth());
    scroll.SetHorizontalOffset(scroll.MaxHorizontalOffset());
    EXPECT_TRUE(scroll.ZoomHorizontalAt(g, 11, 800));
    EXPECT_EQ(scroll.HorizontalOffset(), scroll.MaxHorizontalOffset());
    EXPECT_EQ(scroll.ContentWidth(), g.ContentWidth());
    // The anchor is clamped into the view; a level past the limits is no change.
    g.SetHorzZoom(15);
    EXPECT_FALSE(scroll.ZoomHorizontalAt(g, 16, 5000));
    EXPECT_EQ(g.HorzZoom(), 15);
    EXPECT_LE(scroll.HorizontalOffset(), scroll.MaxHorizontalOffset());
}

TEST(TimelineZoomAnchor, TheWidthAndOffsetAreAnnouncedTogether) {
    const std::int64_t pairs = PairsOf(600);
    TimelineScroll scroll;
    TimelineGeometry g;
    ViewAtLevel(scroll, g, 10, pairs);
    scroll.SetHorizontalOffset(1000);
    Recorder log(scroll);
    scroll.ZoomHorizontalAt(g, 11, 0);
    // The offset is announced with the new width already in place, and only once.
    EXPECT_EQ(log.Events, (std::vector<std::string>{"size12919x0", "h2000/w12919"}));
}

TEST(TimelineZoomToRange, TheRangeFitsCentredAtTheFinestLevelThatHoldsIt) {
    const std::int64_t pairs = PairsOf(3600);
    TimelineScroll scroll;
    TimelineGeometry g;
    g.SetPeakPairCount(pairs);
    scroll.SetViewSize(1000, 300);
    scroll.SetContentWidth(g.ContentWidth());
    // 60 s from 10 min: 646 pixels at level 10, too wide at level 11.
    EXPECT_TRUE(scroll.ZoomToRange(g, 660000, 600000));
    EXPECT_EQ(g.HorzZoom(), 10);
    const long double first = TimeAxis::XOfMs(600000, 10);
    const long double last = TimeAxis::XOfMs(660000, 10);
    EXPECT_GE(first, scroll.HorizontalOffset());
    EXPECT_LE(last, scroll.HorizontalOffset() + 1000);
    EXPECT_NEAR(static_cast<double>(first - scroll.HorizontalOffset()),
                static_cast<double>(scroll.HorizontalOffset() + 1000 - last), 1.0);
    // The same range again changes no level.
    EXPECT_FALSE(scroll.ZoomToRange(g, 600000, 660000));
    // A range at the song's end (ten seconds, 861 pixels at level 13): the offset stops at
    // the end of the content.
    scroll.ZoomToRange(g, 3590000, 3600000);
    EXPECT_EQ(g.HorzZoom(), 13);
    EXPECT_EQ(scroll.HorizontalOffset(), scroll.MaxHorizontalOffset());
    // Slots 1..100 at 100 ms are the first ten seconds: at the start.
    scroll.ZoomToSlots(g, 100, 1);
    EXPECT_EQ(g.HorzZoom(), TimeAxis::LevelToFit(10000, 1000));
    EXPECT_EQ(scroll.HorizontalOffset(), 0);
}

TEST(TimelineZoomToRange, ZoomToFitShowsTheWholeSong) {
    for (const double seconds : {10.0, 60.0, 3600.0, 13107.0}) {
        const std::int64_t pairs = PairsOf(seconds);
        TimelineScroll scroll;
        TimelineGeometry g;
        g.SetPeakPairCount(pairs);
        scroll.SetViewSize(1200, 300);
        scroll.SetContentWidth(g.ContentWidth());
        scroll.SetHorizontalOffset(500);
        scroll.ZoomToFit(g);
        EXPECT_LE(scroll.ContentWidth(), 1200) << seconds;
        EXPECT_EQ(scroll.HorizontalOffset(), 0) << seconds;
        if (g.HorzZoom() < TimelineGeometry::MaxHorzZoom) {
            EXPECT_GT(TimeAxis::ContentWidth(pairs, g.HorzZoom() + 1), 1200)
                << seconds << ": the next level would not fit";
        }
    }
}

TEST(TimelineScroll, RevealScrollsAsLittleAsItTakes) {
    TimelineScroll scroll;
    scroll.SetViewSize(800, 300);
    scroll.SetContentWidth(5000);
    scroll.SetHorizontalOffset(1000);
    scroll.RevealX(1500);
    EXPECT_EQ(scroll.HorizontalOffset(), 1000) << "in view already";
    scroll.RevealX(1800);
    EXPECT_EQ(scroll.HorizontalOffset(), 1001);
    scroll.RevealX(900);
    EXPECT_EQ(scroll.HorizontalOffset(), 900);
}

TEST(TimelineScroll, RevealBringsARectangleIntoViewOnBothAxes) {
    TimelineScroll scroll;
    scroll.SetViewSize(800, 300);
    scroll.SetContentWidth(5000);
    scroll.SetContentHeight(2000);
    scroll.ScrollTo(1000, 500);
    scroll.Reveal(1100, 1200, 600, 700);
    EXPECT_EQ(scroll.HorizontalOffset(), 1000) << "in view already";
    EXPECT_EQ(scroll.VerticalOffset(), 500);
    // Past the right and bottom edges: their ends land on the view's edges.
    scroll.Reveal(1790, 1810, 780, 873);
    EXPECT_EQ(scroll.HorizontalOffset(), 1010);
    EXPECT_EQ(scroll.VerticalOffset(), 573);
    // Before the left and top edges: their starts land there.
    scroll.Reveal(990, 1000, 400, 473);
    EXPECT_EQ(scroll.HorizontalOffset(), 990);
    EXPECT_EQ(scroll.VerticalOffset(), 400);
    // Larger than the view: its start; past the content's end: clamped.
    scroll.Reveal(2000, 3000, 1990, 2100);
    EXPECT_EQ(scroll.HorizontalOffset(), 2000);
    EXPECT_EQ(scroll.VerticalOffset(), scroll.MaxVerticalOffset());
}

TEST(TimelineScroll, TheEdgeScrollGoesTowardsThePointerFasterFartherPastTheEdge) {
    EXPECT_EQ(TimelineScroll::EdgeScrollStep(0, 800), 0);
    EXPECT_EQ(TimelineScroll::EdgeScrollStep(799, 800), 0);
    EXPECT_EQ(TimelineScroll::EdgeScrollStep(400, 0), 0) << "no view, no scroll";
    const int near = TimelineScroll::EdgeScrollStep(800, 800);
    const int far = TimelineScroll::EdgeScrollStep(900, 800);
    EXPECT_GT(near, 0);
    EXPECT_GT(far, near);
    EXPECT_EQ(TimelineScroll::EdgeScrollStep(-101, 800), -far) << "the same speed backwards";
    EXPECT_EQ(TimelineScroll::EdgeScrollStep(100000, 800), 800) << "a view a step at most";

    TimelineScroll scroll;
    scroll.SetViewSize(800, 300);
    scroll.SetContentWidth(5000);
    scroll.SetContentHeight(1000);
    Recorder log(scroll);
    EXPECT_FALSE(scroll.EdgeScroll(400, 100)) << "inside: no step";
    EXPECT_TRUE(scroll.EdgeScroll(900, 100));
    EXPECT_EQ(scroll.HorizontalOffset(), far);
    EXPECT_EQ(scroll.VerticalOffset(), 0);
    EXPECT_FALSE(scroll.EdgeScroll(400, -1)) << "above the top at the top: nothing moves";
    EXPECT_TRUE(scroll.EdgeScroll(-1, 400)); // left and down in one step
    EXPECT_EQ(scroll.HorizontalOffset(), far + TimelineScroll::EdgeScrollStep(-1, 800));
    EXPECT_EQ(scroll.VerticalOffset(), TimelineScroll::EdgeScrollStep(400, 300));
    EXPECT_EQ(log.Events, (std::vector<std::string>{"h54/w5000", "h50/w5000", "v54"}));
    scroll.ScrollTo(scroll.MaxHorizontalOffset(), 0);
    EXPECT_FALSE(scroll.EdgeScroll(900, 100)) << "at the end nothing moves";
}
