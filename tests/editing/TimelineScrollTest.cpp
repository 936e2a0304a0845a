// The shared scroll state: offsets stay inside the content, follow shrinking content and
// views, and announce only real changes, in an order listeners can rely on.
#include "editing/TimelineScroll.h"

#include <gtest/gtest.h>

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
