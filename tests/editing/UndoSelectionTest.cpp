// Tests of the selection undo and redo put back: each state keeps the headers, the anchor
// and the time range as they were when it was left for an edit, following the user's
// choices until then, so that undo returns to what was selected before the edit undone and
// redo to what was selected after it.
#include "editing/RangeSelection.h"
#include "editing/TrackCommands.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

struct SelectionHost : ITrackCommandHost {
    UndoHistory* History = nullptr;
    bool SongOpen() const override { return true; }
    ICaptionEditor* CaptionEditor(int) override { return nullptr; }
    void TakeSnapshot() override { History->TakeSnapshot(); }
    void PopupHeaderMenu(int) override {}
    void PopupTypeOutputMenu(int, std::uint8_t) override {}
};

class UndoSelectionTest : public ::testing::Test {
protected:
    // The range after the history, as the window makes them.
    UndoSelectionTest()
        : Commands(Doc, Ui, Window, Lang), History(Doc, Ui, Commands, Lang), Range(Doc) {
        Window.History = &History;
        History.FollowSelection(Range);
        Doc.SlotCount = 50;
        for (int k = 0; k < 5; ++k)
            Commands.NewTrack();
        Commands.ClearSelection();
        for (int k = 1; k <= 5; ++k)
            Doc.SetSelected(k, false);
        History.TakeSnapshot();
    }
    void Click(int track, TModifierKey modifier = TModifierKey::None) {
        Commands.HeaderPress(track, Qt::LeftButton, modifier);
    }
    void Draw(int track, int slot, std::uint8_t value) {
        Doc.SetSlot(track, slot, value);
        History.TakeSnapshot();
    }
    std::vector<int> Selected() const {
        std::vector<int> rows;
        for (int k = 1; k <= Doc.TrackCount(); ++k)
            if (Doc.Track(k).Selected)
                rows.push_back(k);
        return rows;
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    SelectionHost Window;
    TrackCommands Commands;
    UndoHistory History;
    RangeSelection Range;
};

TEST_F(UndoSelectionTest, UndoSelectsWhatWasSelectedRightBeforeTheEditAndRedoWhatCameAfter) {
    Click(1);
    Draw(1, 3, 10);
    // Chosen after the first edit, before the second: that is what undoing the second gives.
    Click(2);
    Click(4, TModifierKey::Ctrl);
    Range.Select({2, 4, 10, 20});
    Draw(3, 5, 20);
    Click(5);
    Range.Clear();

    History.Undo();
    EXPECT_EQ(Selected(), (std::vector<int>{2, 4}));
    EXPECT_EQ(Commands.AnchorTrack(), 4) << "the anchor the Ctrl-click left";
    EXPECT_EQ(Range.Range(), (TRangeSelection{2, 4, 10, 20}));
    History.Undo();
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_TRUE(Range.Empty());
    History.Redo();
    EXPECT_EQ(Selected(), (std::vector<int>{2, 4})) << "kept while the state was current";
    History.Redo();
    EXPECT_EQ(Selected(), std::vector<int>{5});
    EXPECT_TRUE(Range.Empty());
}

TEST_F(UndoSelectionTest, WhatRecordsNothingLetsTheStateGoOnFollowingTheSelection) {
    Draw(1, 1, 1);
    // Lock, mute, a bulk update that changes nothing recorded, a press that writes what is
    // there: none of them is an edit of the state.
    Commands.ToggleLock(5);
    Click(3);
    Commands.ToggleMute(2);
    { const TBulkUpdate bulk(Doc); }
    Doc.SetSlot(1, 1, 1);
    History.TakeSnapshot();
    Click(4);
    Range.Select({1, 2, 3, 4});
    ASSERT_EQ(History.Count(), 2);
    Draw(2, 2, 2);
    History.Undo();
    EXPECT_EQ(Selected(), std::vector<int>{4});
    EXPECT_EQ(Range.Range(), (TRangeSelection{1, 2, 3, 4}));
}

TEST_F(UndoSelectionTest, UndoingADeletionSelectsTheTracksItBroughtBack) {
    Click(2);
    Click(4, TModifierKey::Ctrl);
    Range.Select({4, 5, 1, 9});
    Ui.ConfirmAnswers = {true};
    Commands.DeleteSelectedTracks();
    ASSERT_EQ(Doc.TrackCount(), 3);
    EXPECT_EQ(Selected(), std::vector<int>{3}) << "the anchor's place after deleting";
    EXPECT_EQ(Range.Range(), (TRangeSelection{3, 3, 1, 9})) << "shortened with its tracks";
    History.Undo();
    ASSERT_EQ(Doc.TrackCount(), 5);
    EXPECT_EQ(Selected(), (std::vector<int>{2, 4}));
    EXPECT_EQ(Commands.AnchorTrack(), 4);
    EXPECT_EQ(Range.Range(), (TRangeSelection{4, 5, 1, 9}));
    History.Redo();
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Range.Range(), (TRangeSelection{3, 3, 1, 9}));
}

} // namespace
} // namespace lumivox
