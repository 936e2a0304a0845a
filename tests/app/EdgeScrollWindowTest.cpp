// The view following the selection's moving edge in the real main window: a selection or
// paint drag past the lanes' edges scrolls on a timer with the time under the pointer
// followed, and Shift with the arrows scrolls just enough to keep the grown corner in view.
#include "app/MainWindow.h"
#include "editing/TimelineScroll.h"
#include "support/widgets/WindowFixture.h"
#include "timeline/LanesView.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace lumivox;
using lumivox::test::WindowFixture;

namespace {

class EdgeScrollWindowTest : public WindowFixture {
protected:
    // A new project over the 60.05 s song (5,167 pixels at level 13) with `tracks` tracks,
    // the view back at its top-left corner (each new track scrolled down to itself).
    void Open(int tracks) {
        ASSERT_NO_FATAL_FAILURE(OpenWindow({.Song = "song_60_05s.mp3", .Tracks = tracks}));
        Scroll().Reset();
    }
    TimelineScroll& Scroll() { return Window->ViewScroll(); }
    TRangeSelection Selected() { return Window->Selection().Range(); }
    // The track and slot under a viewport position at the current offsets.
    LanesView::TSelectionCorner Under(QPoint view) {
        return Window->Lanes().SelectionCornerAt(view);
    }
    int Width() { return Scroll().ViewWidth(); }
    int Height() { return Scroll().ViewHeight(); }
    // Lets the edge scroll run until `done`, for at most 500 waits of one 40 ms step each:
    // counted in waits rather than against one deadline, so that a stall of the machine
    // costs a wait and not the whole allowance.
    template <typename Predicate> static bool ScrollsUntil(Predicate done) {
        for (int k = 0; k < 500 && !done(); ++k)
            QTest::qWait(40);
        return done();
    }
    // Holds the offsets still for a few of the scroll's ticks: true when they did not move.
    bool StaysPut() {
        const std::int64_t x = Scroll().HorizontalOffset();
        const std::int64_t y = Scroll().VerticalOffset();
        QTest::qWait(200);
        return Scroll().HorizontalOffset() == x && Scroll().VerticalOffset() == y;
    }
    void ShiftKey(Qt::Key key, int times = 1) {
        for (int k = 0; k < times; ++k)
            QTest::keyClick(Window.get(), key, Qt::ShiftModifier);
    }
};

TEST_F(EdgeScrollWindowTest, ASelectionDragPastTheEdgesScrollsAndFollowsThePointer) {
    Open(15);
    QTest::keyClick(Window.get(), Qt::Key_S); // the selection tool
    const int lastVisibleSlot = Under(QPoint(Width() - 1, 20)).Slot;
    const int lastVisibleTrack = Under(QPoint(20, Height() - 1)).Track;
    QTest::mousePress(Lanes(), Qt::LeftButton, {}, QPoint(100, 20));

    // Past the right edge: the view scrolls in time, not in tracks, and the selection's end
    // is the slot under the pointer, beyond what was visible at the start.
    const QPoint right(Width() + 60, 20);
    QTest::mouseMove(Lanes(), right);
    ASSERT_TRUE(ScrollsUntil([&] { return Scroll().HorizontalOffset() >= 400; }));
    EXPECT_EQ(Scroll().VerticalOffset(), 0);
    EXPECT_GT(Selected().LastSlot, lastVisibleSlot);
    EXPECT_EQ(Selected().LastSlot, Under(right).Slot);

    // Back inside it stops; the selection follows the pointer there.
    const QPoint inside(Width() - 100, 20);
    QTest::mouseMove(Lanes(), inside);
    EXPECT_TRUE(StaysPut());
    EXPECT_EQ(Selected().LastSlot, Under(inside).Slot);

    // Below the bottom edge: down through the tracks.
    const QPoint below(Width() - 100, Height() + 40);
    QTest::mouseMove(Lanes(), below);
    ASSERT_TRUE(ScrollsUntil([&] { return Scroll().VerticalOffset() >= 3 * 73; }));
    EXPECT_GT(Selected().LastTrack, lastVisibleTrack);
    EXPECT_EQ(Selected().LastTrack, Under(below).Track);
    EXPECT_EQ(Selected().FirstTrack, 1);

    // Past the left edge, up to the start: the selection now lies before its anchor.
    QTest::mouseMove(Lanes(), QPoint(-50, 20));
    ASSERT_TRUE(ScrollsUntil([&] { return Scroll().HorizontalOffset() == 0; }));
    EXPECT_EQ(Selected().FirstSlot, 1);
    EXPECT_EQ(Selected().LastSlot, Under(QPoint(100, 20)).Slot) << "the anchor stays";

    // Released past the edge, it stops there.
    QTest::mouseMove(Lanes(), right);
    ASSERT_TRUE(ScrollsUntil([&] { return Scroll().HorizontalOffset() >= 200; }));
    QTest::mouseRelease(Lanes(), Qt::LeftButton, {}, right);
    EXPECT_TRUE(StaysPut());
    EXPECT_EQ(Selected().LastSlot, Under(right).Slot);
}

TEST_F(EdgeScrollWindowTest, APaintDragPastTheEdgeWritesEveryCellItScrollsOver) {
    Open(1);
    const int lastVisibleSlot = Under(QPoint(Width() - 1, 0)).Slot;
    const int first = Under(QPoint(Width() - 30, 0)).Slot;
    // The lane's top row writes 255; the pointer goes out slowly enough to write each cell.
    QTest::mousePress(Lanes(), Qt::LeftButton, {}, QPoint(Width() - 30, 0));
    for (int x = Width() - 25; x <= Width() + 80; x += 5)
        QTest::mouseMove(Lanes(), QPoint(x, 0));
    ASSERT_TRUE(ScrollsUntil([&] { return Scroll().HorizontalOffset() >= 300; }));
    const QPoint out(Width() + 80, 0);
    QTest::mouseRelease(Lanes(), Qt::LeftButton, {}, out);
    const int reached = Under(out).Slot;
    EXPECT_GT(reached, lastVisibleSlot + 30);
    for (int slot = first; slot <= reached; ++slot)
        EXPECT_EQ(Value(1, slot), 255) << slot;
    EXPECT_EQ(Value(1, first - 1), 0);
    EXPECT_EQ(Value(1, reached + 1), 0);
    EXPECT_TRUE(StaysPut());

    // The whole drag is one undo step.
    Menus().Undo1->trigger();
    EXPECT_EQ(Value(1, first), 0);
    EXPECT_EQ(Value(1, reached), 0);
}

TEST_F(EdgeScrollWindowTest, ShiftAndTheArrowsScrollJustEnoughToShowTheGrownCorner) {
    Open(15);
    const TimelineGeometry& g = Window->Geometry();
    // Right: in view, nothing moves; past the right edge (cut by it, or beyond), the new
    // last slot's right edge lands on the view's right edge.
    const int edgeSlot = Under(QPoint(Width() - 1, 20)).Slot;
    Window->Selection().Select(TRangeSelection{2, 2, 10, edgeSlot - 2});
    ShiftKey(Qt::Key_Right);
    EXPECT_EQ(Scroll().HorizontalOffset(), 0) << "still in view";
    ShiftKey(Qt::Key_Right);
    EXPECT_EQ(Scroll().HorizontalOffset(), std::max<std::int64_t>(g.SlotX(edgeSlot) - Width(), 0));
    ShiftKey(Qt::Key_Right, 2);
    ASSERT_EQ(Selected().LastSlot, edgeSlot + 2);
    const std::int64_t shown = g.SlotX(edgeSlot + 2) - Width();
    EXPECT_EQ(Scroll().HorizontalOffset(), shown);
    ShiftKey(Qt::Key_Left, 3);
    EXPECT_EQ(Scroll().HorizontalOffset(), shown) << "the corner came back inside: no scroll";

    // Down: the new last track's row, its separator included, ends on the view's bottom.
    const int edgeTrack = Under(QPoint(20, Height() - 1)).Track;
    ShiftKey(Qt::Key_Down, edgeTrack - 1); // from track 2 to the one past the edge's
    ASSERT_EQ(Selected().LastTrack, edgeTrack + 1);
    EXPECT_EQ(Scroll().VerticalOffset(), g.LaneRow(edgeTrack + 1).End - Height());
    EXPECT_EQ(Scroll().HorizontalOffset(), shown);

    // Left and up from a place further on: the new first slot's left edge and the new first
    // track's top land on the view's left and top edges.
    Scroll().ScrollTo(2000, 6 * 73);
    const LanesView::TSelectionCorner topLeft = Under(QPoint(0, 0));
    ASSERT_GT(topLeft.Slot, 2);
    ASSERT_GT(topLeft.Track, 2);
    Window->Selection().Select(
        TRangeSelection{topLeft.Track + 1, topLeft.Track + 1, topLeft.Slot + 1, topLeft.Slot + 3});
    ShiftKey(Qt::Key_Left, 4); // across the anchor, to the slot before the first visible one
    ASSERT_EQ(Selected().FirstSlot, topLeft.Slot - 1);
    EXPECT_EQ(Scroll().HorizontalOffset(), g.SlotX(topLeft.Slot - 2));
    EXPECT_EQ(Scroll().VerticalOffset(), 6 * 73);
    ShiftKey(Qt::Key_Up, 2);
    ASSERT_EQ(Selected().FirstTrack, topLeft.Track - 1);
    EXPECT_EQ(Scroll().VerticalOffset(), g.LaneRow(topLeft.Track - 1).Top);
    EXPECT_EQ(Scroll().HorizontalOffset(), g.SlotX(topLeft.Slot - 2));
}

} // namespace
