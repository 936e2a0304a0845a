// Tests of the time-range selection without a window: a drag's corners in any direction,
// clamping to the show, keyboard growth, how it follows tracks coming and going and a new
// song, its times, and the block commands' questions run over it.
#include "editing/RangeSelection.h"
#include "editing/BlockCommands.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

struct CountingHost : IBlockHost {
    int Snapshots = 0;
    void TakeSnapshot() override { ++Snapshots; }
};

// Five tracks over a ten-second song at 100 ms: slots 1..100 can be selected.
class RangeSelectionTest : public ::testing::Test {
protected:
    RangeSelectionTest() {
        Doc.SlotCount = 101;
        for (int k = 0; k < 5; ++k)
            Doc.AddTrack(Lang);
        QObject::connect(&Selection, &RangeSelection::Changed, &Selection,
                         [this](const TRangeSelection& before, const TRangeSelection& after) {
                             Changes.push_back({before, after});
                         });
    }
    static TRangeSelection Range(int firstTrack, int lastTrack, int firstSlot, int lastSlot) {
        return {firstTrack, lastTrack, firstSlot, lastSlot};
    }
    int Value(int track, int slot) const {
        std::uint8_t value = 0;
        EXPECT_TRUE(Doc.Track(track).GetValue(slot, value));
        return value;
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    RangeSelection Selection{Doc};
    std::vector<std::pair<TRangeSelection, TRangeSelection>> Changes;
};

TEST_F(RangeSelectionTest, ADragSpansItsCornersInAnyDirectionClampedToTheShow) {
    EXPECT_TRUE(Selection.Empty());
    Selection.StartAt(4, 30);
    EXPECT_EQ(Selection.Range(), Range(4, 4, 30, 30));
    Selection.DragTo(2, 12); // up and to the left of the anchor
    EXPECT_EQ(Selection.Range(), Range(2, 4, 12, 30));
    Selection.DragTo(9, 500); // past the last track and the last slot
    EXPECT_EQ(Selection.Range(), Range(4, 5, 30, 100));
    ASSERT_EQ(Changes.size(), 3u);
    EXPECT_EQ(Changes[2].first, Range(2, 4, 12, 30));
    EXPECT_EQ(Changes[2].second, Range(4, 5, 30, 100));
    Selection.DragTo(9, 600); // the same clamped range: nothing is announced
    EXPECT_EQ(Changes.size(), 3u);
    Selection.Clear();
    EXPECT_TRUE(Selection.Empty());
    EXPECT_EQ(Changes.back().second, TRangeSelection{});
    Selection.DragTo(1, 1); // no drag after a clear
    EXPECT_TRUE(Selection.Empty());
}

TEST_F(RangeSelectionTest, KeyboardGrowthMovesTheMovingCornerAndStopsAtTheEdges) {
    Selection.Extend(1, 1);
    EXPECT_TRUE(Selection.Empty()) << "nothing grows without a selection";
    Selection.StartAt(3, 10);
    Selection.DragTo(3, 12);
    Selection.Extend(0, 4);
    EXPECT_EQ(Selection.Range(), Range(3, 3, 10, 16));
    Selection.Extend(1, 0);
    EXPECT_EQ(Selection.Range(), Range(3, 4, 10, 16));
    // Back past the anchor: the range now lies on the anchor's other side.
    Selection.Extend(-2, -8);
    EXPECT_EQ(Selection.Range(), Range(2, 3, 8, 10));
    // At the edges the corner stays on the edge, so one step back leaves it.
    Selection.Extend(-10, -100);
    EXPECT_EQ(Selection.Range(), Range(1, 3, 1, 10));
    Selection.Extend(1, 1);
    EXPECT_EQ(Selection.Range(), Range(2, 3, 2, 10));
}

TEST_F(RangeSelectionTest, TheMovingCornerIsWhereTheDragAndTheKeysLeftIt) {
    Selection.StartAt(3, 10);
    Selection.DragTo(2, 4); // up and left: the moving corner is the top-left one
    EXPECT_EQ(Selection.MovingCorner().Track, 2);
    EXPECT_EQ(Selection.MovingCorner().Slot, 4);
    Selection.Extend(2, 8); // across the anchor
    EXPECT_EQ(Selection.MovingCorner().Track, 4);
    EXPECT_EQ(Selection.MovingCorner().Slot, 12);
    // A drag past the show's edges: the corner seen is on the edge.
    Selection.DragTo(9, 500);
    EXPECT_EQ(Selection.MovingCorner().Track, 5);
    EXPECT_EQ(Selection.MovingCorner().Slot, 100);
    Selection.DragTo(-3, -20);
    EXPECT_EQ(Selection.MovingCorner().Track, 1);
    EXPECT_EQ(Selection.MovingCorner().Slot, 1);
}

TEST_F(RangeSelectionTest, TheSelectionFollowsTracksRemovedAndAdded) {
    Selection.Select(Range(2, 4, 5, 9));
    Doc.RemoveTrack(1); // above: the selection moves up with its tracks
    EXPECT_EQ(Selection.Range(), Range(1, 3, 5, 9));
    Doc.RemoveTrack(2); // inside: it shortens
    EXPECT_EQ(Selection.Range(), Range(1, 2, 5, 9));
    Doc.RemoveTrack(3); // below: unchanged
    EXPECT_EQ(Selection.Range(), Range(1, 2, 5, 9));
    Doc.AddTrack(Lang); // appended below
    EXPECT_EQ(Selection.Range(), Range(1, 2, 5, 9));
    // Growing still starts from the moving corner where the removals left it.
    Selection.Extend(1, 0);
    EXPECT_EQ(Selection.Range(), Range(1, 3, 5, 9));
    Doc.RemoveAllTracks();
    EXPECT_TRUE(Selection.Empty());
}

TEST_F(RangeSelectionTest, ANewSongOrResolutionClearsItAndABulkUpdateClampsIt) {
    Selection.Select(Range(1, 5, 50, 100));
    {
        // An undo, say: the show comes back with fewer tracks.
        TBulkUpdate bulk(Doc);
        Doc.RemoveTrack(5);
        Doc.RemoveTrack(4);
    }
    EXPECT_EQ(Selection.Range(), Range(1, 3, 50, 100));
    {
        TBulkUpdate bulk(Doc);
        Doc.SlotCount = 61; // another song's length
    }
    EXPECT_TRUE(Selection.Empty());
    Selection.Select(Range(1, 2, 5, 6));
    Doc.SetSongFile(QStringLiteral("/shows/other.mp3"));
    EXPECT_TRUE(Selection.Empty());
    Selection.Select(Range(1, 2, 5, 6));
    Doc.SetResolution(2);
    EXPECT_TRUE(Selection.Empty());
}

TEST_F(RangeSelectionTest, TimesRunFromTheFirstSlotsStartToTheLastSlotsEnd) {
    EXPECT_EQ(Selection.Times(100).LengthMs(), 0);
    Selection.Select(Range(1, 1, 5, 8));
    const RangeSelection::TTimes times = Selection.Times(100);
    EXPECT_EQ(times.StartMs, 400);
    EXPECT_EQ(times.EndMs, 800);
    EXPECT_EQ(times.LengthMs(), 400);
    EXPECT_EQ(Selection.Times(25).EndMs, 200);
}

TEST_F(RangeSelectionTest, BlockCommandsAskTheirValuesAndACancelWritesNothing) {
    CountingHost host;
    ScriptedUserInterface ui;
    BlockCommands commands(Doc, Selection, host, ui, Lang);
    EXPECT_FALSE(commands.Fill(200)) << "no selection, no question";
    EXPECT_TRUE(ui.Events.empty());

    Selection.Select(Range(2, 3, 10, 13));
    EXPECT_FALSE(commands.Fill(200)); // cancelled
    EXPECT_EQ(Value(2, 10), 0);
    ui.NumberAnswers = {300}; // outside 0..255: refused like a cancel
    EXPECT_FALSE(commands.Fill(200));
    EXPECT_EQ(Value(2, 10), 0);
    ui.NumberAnswers = {120};
    EXPECT_TRUE(commands.Fill(200));
    EXPECT_EQ(Value(2, 10), 120);
    EXPECT_EQ(Value(3, 13), 120);
    EXPECT_EQ(Value(3, 14), 0);
    EXPECT_EQ(host.Snapshots, 1);
    EXPECT_EQ(ui.Texts(ScriptedUserInterface::Event::AskNumber).front(),
              QStringLiteral("Value to write into the selection (0 to 255):"));

    // Ramp asks twice; a cancel of the second question writes nothing.
    ui.NumberAnswers = {0};
    EXPECT_FALSE(commands.Ramp());
    EXPECT_EQ(Value(2, 10), 120);
    ui.NumberAnswers = {0, 30};
    EXPECT_TRUE(commands.Ramp());
    EXPECT_EQ(Value(2, 10), 0);
    EXPECT_EQ(Value(2, 13), 30);

    // Shifting later takes the selection along with the values.
    ui.NumberAnswers = {5};
    EXPECT_TRUE(commands.Shift(true));
    EXPECT_EQ(Selection.Range(), Range(2, 3, 15, 18));
    EXPECT_EQ(Value(2, 18), 30);
    EXPECT_EQ(Value(2, 13), 0);
    EXPECT_EQ(ui.Texts(ScriptedUserInterface::Event::AskNumber).back(),
              QStringLiteral("Slots to shift the values by (1 to 100):"));

    // A paste selects what it covers, clipped to the show.
    ASSERT_TRUE(commands.Copy());
    EXPECT_TRUE(commands.Paste(4, 98));
    EXPECT_EQ(Selection.Range(), Range(4, 5, 98, 100));
    EXPECT_EQ(Value(4, 98), 0);
    EXPECT_EQ(Value(4, 100), 20);
}

} // namespace
} // namespace lumivox
