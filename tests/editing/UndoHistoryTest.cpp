// Tests of the undo history: what is recorded and compared, the depth and the redo branch,
// undo and redo in place and by rebuilding, and the sharing of unchanged slot values.
#include "editing/UndoHistory.h"
#include "editing/TrackCommands.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

// The window: the track commands take their undo steps from the history.
struct HistoryHost : ITrackCommandHost {
    UndoHistory* History = nullptr;
    bool SongOpen() const override { return true; }
    ICaptionEditor* CaptionEditor(int) override { return nullptr; }
    void TakeSnapshot() override { History->TakeSnapshot(); }
    void PopupHeaderMenu(int) override {}
    void PopupTypeOutputMenu(int, std::uint8_t) override {}
};

class UndoHistoryTest : public ::testing::Test {
protected:
    UndoHistoryTest() : Commands(Doc, Ui, Window, Lang), History(Doc, Ui, Commands, Lang) {
        Window.History = &History;
        Doc.SlotCount = 50;
    }

    // `count` new tracks, the state recorded as the first snapshot, as after opening.
    void OpenWithTracks(int count) {
        for (int k = 0; k < count; ++k)
            ASSERT_NE(Commands.NewTrack(), nullptr);
        History.ClearHistory();
        History.TakeSnapshot();
        Doc.SetModified(false);
    }
    // A drag over slots first..last of `track` and the release of the mouse.
    void Draw(int track, int first, int last, std::uint8_t value) {
        Doc.FillSlots(track, first, last, value);
        Doc.SetModified(true);
        History.TakeSnapshot();
    }
    std::uint8_t Value(int track, int slot) const {
        std::uint8_t value = 0;
        EXPECT_TRUE(Doc.Track(track).GetValue(slot, value));
        return value;
    }
    std::vector<int> Selected() const {
        std::vector<int> numbers;
        for (int k = 1; k <= Doc.TrackCount(); ++k)
            if (Doc.Track(k).Selected)
                numbers.push_back(k);
        return numbers;
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    HistoryHost Window;
    TrackCommands Commands;
    UndoHistory History;
};

TEST_F(UndoHistoryTest, UndoRestoresADrawingInPlaceAndRedoDrawsItAgain) {
    OpenWithTracks(3);
    Commands.HeaderPress(1, Qt::LeftButton, TModifierKey::None);
    Draw(2, 5, 10, 200);
    ASSERT_EQ(History.Count(), 2);
    EXPECT_TRUE(History.CanUndo());
    EXPECT_FALSE(History.CanRedo());

    Doc.SetModified(false);
    History.Undo();
    EXPECT_EQ(Value(2, 5), 0);
    EXPECT_EQ(Value(2, 10), 0);
    EXPECT_EQ(History.CurrentIndex(), 0);
    EXPECT_FALSE(History.CanUndo());
    EXPECT_TRUE(History.CanRedo());
    EXPECT_EQ(Selected(), std::vector<int>{1}) << "same track count: restored in place";
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Ui.ProgressTexts.back(), "Processing Undo...");
    EXPECT_EQ(Ui.Gauges.back(), 100);
    EXPECT_FALSE(Ui.ProgressVisible);

    History.Redo();
    EXPECT_EQ(Value(2, 5), 200);
    EXPECT_EQ(Value(2, 10), 200);
    EXPECT_EQ(Value(2, 11), 0);
    EXPECT_EQ(Ui.ProgressTexts.back(), "Processing Redo...");
    EXPECT_FALSE(History.CanRedo());
    History.Redo();
    EXPECT_EQ(History.CurrentIndex(), 1) << "redo at the last snapshot does nothing";
}

TEST_F(UndoHistoryTest, TwentyOneEditsKeepTwentyUndoStepsAndLoseTheOldest) {
    OpenWithTracks(1);
    for (int k = 1; k <= 21; ++k)
        Draw(1, 1, 1, static_cast<std::uint8_t>(k));
    EXPECT_EQ(History.Count(), UndoHistory::DefaultDepth + 1) << "the steps and the base";
    EXPECT_EQ(History.Steps(), UndoHistory::DefaultDepth);
    int undos = 0;
    while (History.CanUndo()) {
        History.Undo();
        ++undos;
    }
    EXPECT_EQ(undos, 20);
    EXPECT_EQ(Value(1, 1), 1) << "the state before the first edit is gone";
}

TEST_F(UndoHistoryTest, ANewEditAfterUndoDropsTheRedoBranch) {
    OpenWithTracks(1);
    Draw(1, 1, 1, 10);
    Draw(1, 2, 2, 20);
    History.Undo();
    History.Undo();
    Draw(1, 3, 3, 30);
    EXPECT_EQ(History.Count(), 2);
    EXPECT_FALSE(History.CanRedo());
    History.Undo();
    EXPECT_EQ(Value(1, 1), 0);
    EXPECT_EQ(Value(1, 3), 0);
}

TEST_F(UndoHistoryTest, UndoOfNewTrackRebuildsTheTracksWithTheirRecordedOutputs) {
    OpenWithTracks(2);
    Commands.OpenTypeOutputMenu(2);
    ASSERT_TRUE(Commands.ChooseOutput(7));
    Draw(1, 1, 3, 99);
    Doc.SetModified(false);
    Commands.NewTrackCommand();
    ASSERT_EQ(History.Count(), 4);
    Doc.SetModified(false);

    History.Undo();
    ASSERT_EQ(Doc.TrackCount(), 2);
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Doc.Track(2).Output, 7);
    EXPECT_EQ(Value(1, 3), 99);
    EXPECT_EQ(Selected(), std::vector<int>{2}) << "the selection of the state undone to";
    EXPECT_EQ(Ui.Gauges[Ui.Gauges.size() - 3], 50) << "deleting ends at 50, rebuilding at 100";
    History.Redo();
    EXPECT_EQ(Doc.TrackCount(), 3);
}

TEST_F(UndoHistoryTest, UndoIsImpossibleRightAfterSaving) {
    OpenWithTracks(1);
    Draw(1, 1, 1, 5);
    ASSERT_TRUE(History.CanUndo());
    History.ClearHistory(); // what Save does before recording the saved state
    History.TakeSnapshot();
    EXPECT_FALSE(History.CanUndo());
    EXPECT_EQ(History.Count(), 1);
    Draw(1, 2, 2, 5);
    EXPECT_TRUE(History.CanUndo());
}

TEST_F(UndoHistoryTest, LockMuteAndSoloRecordNothingButComeBackWithTheirSnapshot) {
    OpenWithTracks(2);
    Commands.ToggleLock(1);
    Commands.ToggleSolo(1);
    EXPECT_FALSE(History.StateDiffers());
    History.TakeSnapshot();
    EXPECT_EQ(History.Count(), 1);

    Draw(2, 4, 4, 77);
    History.Undo();
    EXPECT_EQ(Value(2, 4), 0);
    EXPECT_FALSE(Doc.Track(1).Locked);
    EXPECT_FALSE(Doc.Track(1).Solo);
    EXPECT_FALSE(Doc.SoloActive());
    History.Redo();
    EXPECT_TRUE(Doc.Track(1).Locked);
    EXPECT_TRUE(Doc.Track(1).Solo);
    EXPECT_TRUE(Doc.SoloActive());
}

TEST_F(UndoHistoryTest, StateDiffersComparesEveryRecordedFieldButNotTheLiveOnes) {
    OpenWithTracks(2);
    EXPECT_FALSE(History.StateDiffers());
    // A press that writes the value already there changes nothing.
    Draw(1, 1, 5, 0);
    EXPECT_EQ(History.Count(), 1);

    const std::vector<std::function<void(TFullTrack&)>> compared = {
        [](TFullTrack& t) { t.Output = 200; },
        [](TFullTrack& t) { t.TrackType = TrackTypeOnOff; },
        [](TFullTrack& t) { t.Caption += QLatin1Char(' '); },
        [](TFullTrack& t) { t.HeaderColor ^= 1; },
        [](TFullTrack& t) { t.CaptionColor ^= 1; },
        [](TFullTrack& t) { t.LaneColor ^= 1; },
        [](TFullTrack& t) { t.LaneBackColor ^= 1; },
        [](TFullTrack& t) { t.MidiMap.Channel ^= 1; },
        [](TFullTrack& t) { t.MidiMap.Controller ^= 1; },
        [](TFullTrack& t) { t.MidiMap.Key ^= 1; },
        [](TFullTrack& t) { t.MidiMap.UseVelocity = !t.MidiMap.UseVelocity; },
        [](TFullTrack& t) { t.MidiMap.UseKey = !t.MidiMap.UseKey; },
        [](TFullTrack& t) { t.SetValue(t.SlotCount() - 1, 1); },
    };
    for (std::size_t k = 0; k < compared.size(); ++k) {
        OpenWithTracks(0);
        compared[k](TBulkUpdate(Doc).Track(2));
        EXPECT_TRUE(History.StateDiffers()) << "compared field " << k;
    }
    const std::vector<std::function<void(TFullTrack&)>> ignored = {
        [](TFullTrack& t) { t.Selected = !t.Selected; },
        [](TFullTrack& t) { t.Locked = true; },
        [](TFullTrack& t) { t.SetMute(true); },
        [](TFullTrack& t) { t.MidiMap.ControllerValue ^= 1; },
        [](TFullTrack& t) { t.InputValue ^= 1; },
        [](TFullTrack& t) { t.InputActive = !t.InputActive; },
    };
    for (std::size_t k = 0; k < ignored.size(); ++k) {
        OpenWithTracks(0);
        ignored[k](TBulkUpdate(Doc).Track(2));
        EXPECT_FALSE(History.StateDiffers()) << "ignored field " << k;
    }
    OpenWithTracks(0);
    Doc.RemoveTrack(2);
    EXPECT_TRUE(History.StateDiffers()) << "track count";
    History.ClearHistory();
    EXPECT_FALSE(History.StateDiffers()) << "no current snapshot";
}

TEST_F(UndoHistoryTest, SnapshotsShareUnchangedValuesAndNeverSeeLaterEdits) {
    OpenWithTracks(3);
    Draw(2, 1, 1, 10);
    const UndoHistory::TSnapshot& first = History.Snapshot(0);
    const UndoHistory::TSnapshot& second = History.Snapshot(1);
    EXPECT_TRUE(first[0].Values.SharesBytesWith(second[0].Values));
    EXPECT_TRUE(first[2].Values.SharesBytesWith(second[2].Values));
    EXPECT_FALSE(first[1].Values.SharesBytesWith(second[1].Values));
    EXPECT_TRUE(Doc.Track(1).Values.SharesBytesWith(second[0].Values));

    // Writing through both write paths after the snapshot leaves it as recorded.
    Doc.SetSlot(1, 1, 50);
    TBulkUpdate(Doc).Track(3).Values.Fill(0, 1, 60);
    std::uint8_t recorded = 0;
    ASSERT_TRUE(second[0].GetValue(1, recorded));
    EXPECT_EQ(recorded, 0);
    EXPECT_EQ(second[2].Values.StoredByte(0), 0);
    EXPECT_FALSE(Doc.Track(3).Values.SharesBytesWith(second[2].Values));

    // Each further snapshot after a one-track edit holds one more track's values.
    const std::size_t oneTrack = static_cast<std::size_t>(Doc.SlotCount);
    EXPECT_EQ(History.HeldValueBytes(), 4 * oneTrack);
    History.TakeSnapshot();
    EXPECT_EQ(History.HeldValueBytes(), 6 * oneTrack);
}

TEST_F(UndoHistoryTest, AChosenDepthBoundsTheHistoryAndLoweringItKeepsTheCurrentState) {
    OpenWithTracks(1);
    History.SetDepth(5);
    EXPECT_EQ(History.Depth(), 5);
    for (int k = 1; k <= 8; ++k)
        Draw(1, 1, 1, static_cast<std::uint8_t>(k));
    EXPECT_EQ(History.Count(), 6);
    int undos = 0;
    while (History.CanUndo()) {
        History.Undo();
        ++undos;
    }
    EXPECT_EQ(undos, 5) << "five levels, five undo steps";
    EXPECT_EQ(Value(1, 1), 3) << "the oldest snapshots went first";

    // Raised, the history grows again; lowered, the oldest go and the current one stays.
    History.SetDepth(12);
    while (History.CanRedo())
        History.Redo();
    for (int k = 9; k <= 15; ++k)
        Draw(1, 1, 1, static_cast<std::uint8_t>(k));
    ASSERT_EQ(History.Count(), 13);
    History.Undo();
    History.Undo(); // current: the state after edit 13
    QSignalSpy changed(&History, &UndoHistory::Changed);
    History.SetDepth(4);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(History.Count(), 5);
    EXPECT_EQ(History.CurrentIndex(), 2);
    EXPECT_EQ(Value(1, 1), 13);
    History.Redo();
    History.Redo();
    EXPECT_EQ(Value(1, 1), 15) << "the redo branch is kept while the oldest can go";
    for (int k = 0; k < 4; ++k)
        History.Undo();
    EXPECT_EQ(Value(1, 1), 11);
    EXPECT_FALSE(History.CanUndo());

    // At the oldest snapshot, a lower depth drops redo states rather than the current one.
    History.SetDepth(2);
    EXPECT_EQ(History.Count(), 3);
    EXPECT_EQ(History.CurrentIndex(), 0);
    EXPECT_EQ(Value(1, 1), 11);
    History.Redo();
    EXPECT_EQ(Value(1, 1), 12);

    // One level is one undo step.
    History.SetDepth(1);
    Draw(1, 1, 1, 40);
    Draw(1, 1, 1, 41);
    EXPECT_TRUE(History.CanUndo());
    History.Undo();
    EXPECT_EQ(Value(1, 1), 40);
    EXPECT_FALSE(History.CanUndo());

    History.SetDepth(0);
    EXPECT_EQ(History.Depth(), UndoHistory::MinDepth);
    History.SetDepth(5000);
    EXPECT_EQ(History.Depth(), UndoHistory::MaxDepth);
}

TEST_F(UndoHistoryTest, SnapshotsShareTheGroupsOfUnchangedTracksAndRecordTheLiveFlagsApart) {
    OpenWithTracks(20); // groups 0..7, 8..15, 16..19
    Draw(10, 3, 3, 9);
    const UndoHistory::TSnapshot& first = History.Snapshot(0);
    const UndoHistory::TSnapshot& second = History.Snapshot(1);
    ASSERT_EQ(second.size(), 20u);
    EXPECT_TRUE(second.SharesGroupWith(first, 0));
    EXPECT_FALSE(second.SharesGroupWith(first, 1));
    EXPECT_TRUE(second.SharesGroupWith(first, 2));
    EXPECT_TRUE(second[8].Values.SharesBytesWith(first[8].Values));
    EXPECT_EQ(second[9].Values.StoredByte(2), 9);
    EXPECT_EQ(first[9].Values.StoredByte(2), 0);

    // A lock is no change of its own, but the next snapshot records it with its group.
    Commands.ToggleLock(19);
    Draw(1, 1, 1, 5);
    const UndoHistory::TSnapshot& third = History.Snapshot(2);
    EXPECT_FALSE(third.SharesGroupWith(second, 0));
    EXPECT_TRUE(third.SharesGroupWith(second, 1));
    EXPECT_FALSE(third.SharesGroupWith(second, 2));
    EXPECT_TRUE(third[18].Locked);
    History.Undo();
    EXPECT_FALSE(Doc.Track(19).Locked);
    History.Redo();
    EXPECT_TRUE(Doc.Track(19).Locked);

    // A deleted track shifts the rest: the groups from it on are recorded anew.
    Commands.SelectOnly(2);
    Ui.ConfirmAnswers = {true};
    Commands.DeleteSelectedTracks();
    ASSERT_EQ(History.Count(), 4);
    const UndoHistory::TSnapshot& fourth = History.Snapshot(3);
    EXPECT_EQ(fourth.size(), 19u);
    EXPECT_EQ(fourth[1].Caption, third[2].Caption);
    History.Undo();
    ASSERT_EQ(Doc.TrackCount(), 20);
    EXPECT_EQ(Doc.Track(2).Caption, third[1].Caption);
}

TEST(SlotValuesTest, CopiesShareUntilWrittenAndVersionsFollowWrites) {
    TSlotValues original(10);
    ASSERT_TRUE(original.SetValue(3, 7));
    TSlotValues copy = original;
    EXPECT_TRUE(copy.SharesBytesWith(original));
    EXPECT_EQ(copy.Version(), original.Version());

    const auto before = copy.Version();
    ASSERT_TRUE(copy.SetValue(3, 8));
    EXPECT_FALSE(copy.SharesBytesWith(original));
    EXPECT_NE(copy.Version(), before);
    std::uint8_t value = 0;
    ASSERT_TRUE(original.GetValue(3, value));
    EXPECT_EQ(value, 7);
    EXPECT_FALSE(copy == original);
    ASSERT_TRUE(copy.SetValue(3, 7));
    EXPECT_TRUE(copy == original) << "separate bytes compare by content";

    const auto unshared = copy.Version();
    const std::uint8_t same = 0;
    copy.CopyIn(0, 1, &same);
    EXPECT_NE(copy.Version(), unshared) << "write access counts as a change";
    EXPECT_FALSE(copy.SetValue(10, 1)) << "the storage-only slot stays out of reach";
    TSlotValues resized = original;
    resized.Resize(12);
    EXPECT_EQ(original.SlotCount(), 10);
    EXPECT_EQ(resized.SlotCount(), 12);
}

} // namespace
} // namespace lumivox
