// Snapping to beats and marks: the nearest guide within six pixels at the view's scale, at two
// zoom levels; the mark before the beat when both are as near; Alt turning the setting over;
// nothing without guides; the marks either side of a time; and the slot a snapped time takes.
#include "editing/SnapGuides.h"
#include "editing/TimelineGeometry.h"

#include <gtest/gtest.h>

namespace lumivox {
namespace {

TSnapGuides GuidesOn(const std::vector<double>& beats, std::vector<TShowMark> marks = {}) {
    TSnapGuides guides;
    guides.SetBeats(beats);
    guides.SetMarks(TShowMarks(std::move(marks)));
    guides.SetEnabled(true);
    return guides;
}

TEST(SnapGuidesTest, ATimeSnapsToTheNearestBeatWithinSixPixelsAtEachZoomLevel) {
    // Beats every 500 ms, given out of order and with a repeat and a negative time.
    const TSnapGuides guides = GuidesOn({1500.4, 500, 1000, 2000, 1000, -20});
    EXPECT_EQ(guides.Beats(), (std::vector<std::int64_t>{500, 1000, 1000, 1500, 2000}));

    // Level 13: 44.1 / 512 pixels per ms, about 11.6 ms a pixel, so six pixels are 69 ms.
    const long double fine = TimeAxis::PixelsPerMs(13);
    EXPECT_EQ(guides.Snap(1060, fine, false).Ms, 1000);
    EXPECT_EQ(guides.Snap(1060, fine, false).Kind, TSnapKind::Beat);
    EXPECT_EQ(guides.Snap(931, fine, false).Ms, 1000);
    EXPECT_EQ(guides.Snap(1080, fine, false).Ms, 1080) << "seven pixels away";
    EXPECT_FALSE(guides.Snap(1080, fine, false).Snapped());
    EXPECT_EQ(guides.Snap(1470, fine, false).Ms, 1500) << "the rounded beat";
    EXPECT_EQ(guides.Snap(0, fine, false).Ms, 0) << "far before the first beat";
    EXPECT_EQ(guides.Snap(2065, fine, false).Ms, 2000) << "past the last beat";

    // Level 10: eight times coarser, six pixels are 557 ms: every time snaps, to the nearer.
    const long double coarse = TimeAxis::PixelsPerMs(10);
    EXPECT_EQ(guides.Snap(1080, coarse, false).Ms, 1000);
    EXPECT_EQ(guides.Snap(1300, coarse, false).Ms, 1500);
    EXPECT_EQ(guides.Snap(1250, coarse, false).Ms, 1000) << "halfway: the earlier";
    EXPECT_EQ(guides.Snap(2500, coarse, false).Ms, 2000);
    EXPECT_FALSE(guides.Snap(2600, coarse, false).Snapped());
}

TEST(SnapGuidesTest, AltTurnsTheSettingOverAndWithoutGuidesNothingSnaps) {
    TSnapGuides guides = GuidesOn({1000});
    const long double scale = TimeAxis::PixelsPerMs(13);
    EXPECT_TRUE(guides.Snap(1040, scale, false).Snapped());
    EXPECT_FALSE(guides.Snap(1040, scale, true).Snapped()) << "Alt held: no snap";
    guides.SetEnabled(false);
    EXPECT_FALSE(guides.Snap(1040, scale, false).Snapped());
    EXPECT_EQ(guides.Snap(1040, scale, true).Ms, 1000) << "off, Alt held: snaps";

    TSnapGuides empty;
    empty.SetEnabled(true);
    EXPECT_FALSE(empty.HasGuides());
    for (const bool invert : {false, true})
        EXPECT_EQ(empty.Snap(1040, scale, invert).Ms, 1040);
    EXPECT_EQ(empty.Snap(1040, 0, false).Ms, 1040) << "no scale";
}

TEST(SnapGuidesTest, AMarkWinsOverABeatAsNearAndTheNearerOfTheTwoOtherwise) {
    const TSnapGuides guides =
        GuidesOn({1000, 2000, 3000}, {{1040, QStringLiteral("drop")}, {2950, QString()}});
    const long double scale = TimeAxis::PixelsPerMs(13);
    EXPECT_EQ(guides.Snap(1020, scale, false).Ms, 1040) << "as near: the mark";
    EXPECT_EQ(guides.Snap(1020, scale, false).Kind, TSnapKind::Mark);
    EXPECT_EQ(guides.Snap(1010, scale, false).Ms, 1000) << "the beat is nearer";
    EXPECT_EQ(guides.Snap(1010, scale, false).Kind, TSnapKind::Beat);
    EXPECT_EQ(guides.Snap(1060, scale, false).Ms, 1040);
    EXPECT_EQ(guides.Snap(2990, scale, false).Ms, 3000);
    EXPECT_EQ(guides.Snap(2900, scale, false).Ms, 2950);

    // Marks alone snap as well.
    const TSnapGuides marks = GuidesOn({}, {{400, QString()}});
    EXPECT_TRUE(marks.HasGuides());
    EXPECT_FALSE(marks.HasBeats());
    EXPECT_EQ(marks.Snap(450, scale, false).Ms, 400);
}

TEST(SnapGuidesTest, TheMarksEitherSideOfATimeAreStrictlyBeforeAndAfterIt) {
    const TSnapGuides guides =
        GuidesOn({500}, {{3000, QString()}, {1000, QString()}, {2000, QString()}});
    EXPECT_EQ(guides.PreviousMark(2000), 1000);
    EXPECT_EQ(guides.PreviousMark(2001), 2000);
    EXPECT_EQ(guides.NextMark(2000), 3000);
    EXPECT_EQ(guides.NextMark(0), 1000);
    EXPECT_FALSE(guides.PreviousMark(1000).has_value());
    EXPECT_FALSE(guides.NextMark(3000).has_value());
    EXPECT_FALSE(GuidesOn({500}).NextMark(0).has_value()) << "beats are no marks";
}

TEST(SnapGuidesTest, ASnappedTimeFallsInItsSlot) {
    EXPECT_EQ(TSnapGuides::SlotOfMs(0, 100), 1);
    EXPECT_EQ(TSnapGuides::SlotOfMs(99, 100), 1);
    EXPECT_EQ(TSnapGuides::SlotOfMs(1000, 100), 11);
    EXPECT_EQ(TSnapGuides::SlotOfMs(1037, 100), 11);
    EXPECT_EQ(TSnapGuides::SlotOfMs(1037, 500), 3);
    EXPECT_EQ(TSnapGuides::SlotOfMs(-5, 100), 1);
}

} // namespace
} // namespace lumivox
