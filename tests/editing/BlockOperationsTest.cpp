// Tests of the block operations on a small show of ten editable slots: what each one writes
// at the ends of the song, clipping, locked and On/Off tracks, the operations that change
// nothing, what the show announces, and undo and redo of each through the real history.
#include "editing/BlockOperations.h"
#include "editing/TrackCommands.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;
using Row = std::vector<std::uint8_t>;
using Operation = std::function<bool(BlockOperations&)>;

struct BlockOpsHost : ITrackCommandHost {
    UndoHistory* History = nullptr;
    bool SongOpen() const override { return true; }
    ICaptionEditor* CaptionEditor(int) override { return nullptr; }
    void TakeSnapshot() override { History->TakeSnapshot(); }
    void PopupHeaderMenu(int) override {}
    void PopupTypeOutputMenu(int, std::uint8_t) override {}
};

// The window's side of the block operations: each step goes to the real history, counted.
struct BlockHost : IBlockHost {
    UndoHistory* History = nullptr;
    int Steps = 0;
    void TakeSnapshot() override {
        ++Steps;
        History->TakeSnapshot();
    }
};

// Tracks 1 and 2 start as Base, track 3 as zeros, unless a test opens its own show.
const Row Base{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
const Row Zeros(10, 0);

// Test names from the cases' own names.
struct ByName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& tested) const {
        return tested.param.Name;
    }
};

TRangeSelection Sel(int firstTrack, int lastTrack, int firstSlot, int lastSlot) {
    return {firstTrack, lastTrack, firstSlot, lastSlot};
}

class BlockOperationsTest : public ::testing::Test {
protected:
    BlockOperationsTest()
        : Commands(Doc, Ui, Window, Lang), History(Doc, Ui, Commands, Lang), Blocks(Doc, Host) {
        Window.History = &History;
        Host.History = &History;
        QObject::connect(
            &Doc, &ShowDocument::SlotsChanged, &Context, [this](int track, int first, int last) {
                Announced.push_back(std::to_string(track) + ":" + std::to_string(first) + "-" +
                                    std::to_string(last));
            });
        QObject::connect(&Doc, &ShowDocument::Reset, &Context, [this] { ++Resets; });
    }

    // A show of one track per row, each row holding the editable slots 1 .. slotCount - 1,
    // recorded as the first snapshot, unmodified, as after opening.
    void Open(const std::vector<Row>& rows, int slotCount = 11) {
        Doc.SlotCount = slotCount;
        for (const Row& row : rows) {
            ASSERT_NE(Commands.NewTrack(), nullptr);
            ASSERT_EQ(Doc.WriteSlots(Doc.TrackCount(), 1, row.data(), static_cast<int>(row.size())),
                      static_cast<int>(row.size()));
        }
        History.ClearHistory();
        History.TakeSnapshot();
        Doc.SetModified(false);
        Announced.clear();
        Resets = 0;
        Host.Steps = 0;
    }
    void OpenBase() { Open({Base, Base, Zeros}); }

    // The editable slots of `track`.
    Row Values(int track) const {
        const TFullTrack& t = Doc.Track(track);
        Row row(static_cast<std::size_t>(t.SlotCount() - 1));
        t.Values.CopyOut(0, t.SlotCount() - 1, row.data());
        return row;
    }
    // The byte past the editable slots, which nothing may write.
    std::uint8_t StorageByte(int track) const {
        const TFullTrack& t = Doc.Track(track);
        return t.Values.StoredByte(t.SlotCount() - 1);
    }
    std::vector<Row> AllValues() const {
        std::vector<Row> rows;
        for (int k = 1; k <= Doc.TrackCount(); ++k)
            rows.push_back(Values(k));
        return rows;
    }
    // Nothing written, announced, marked or recorded since Open.
    void ExpectUntouched(const std::vector<Row>& before) const {
        EXPECT_EQ(AllValues(), before);
        EXPECT_TRUE(Announced.empty());
        EXPECT_FALSE(Doc.Modified());
        EXPECT_EQ(Host.Steps, 0);
        EXPECT_EQ(History.Count(), 1);
    }
    // One undo step holding `after`, which undo turns back into `before` and redo again
    // into `after`.
    void ExpectOneUndoableStep(const std::vector<Row>& before, const std::vector<Row>& after) {
        EXPECT_TRUE(Doc.Modified());
        EXPECT_EQ(Host.Steps, 1);
        ASSERT_EQ(History.Count(), 2);
        History.Undo();
        EXPECT_EQ(AllValues(), before) << "undo";
        History.Redo();
        EXPECT_EQ(AllValues(), after) << "redo";
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    BlockOpsHost Window;
    BlockHost Host;
    TrackCommands Commands;
    UndoHistory History;
    BlockOperations Blocks;
    QObject Context;
    std::vector<std::string> Announced;
    int Resets = 0;
};

// ---- One operation on track 1, which starts as Base ----------------------------------------

struct TrackOneCase {
    const char* Name;
    Operation Run;
    Row Expected;
};

class TrackOneTest : public BlockOperationsTest,
                     public ::testing::WithParamInterface<TrackOneCase> {};

TEST_P(TrackOneTest, WritesTrackOneOnlyInsideTheEditableSlotsAsOneUndoableStep) {
    OpenBase();
    const std::vector<Row> before = AllValues();
    ASSERT_TRUE(GetParam().Run(Blocks));
    EXPECT_EQ(Values(1), GetParam().Expected);
    EXPECT_EQ(Values(2), Base) << "outside the selection";
    EXPECT_EQ(StorageByte(1), 0) << "the storage-only slot";
    EXPECT_EQ(Resets, 0) << "values are announced per track, not by a Reset";
    ASSERT_EQ(Announced.size(), 1u);
    ExpectOneUndoableStep(before, {GetParam().Expected, Base, Zeros});
}

const TrackOneCase TrackOneCases[] = {
    {"FillFirstSlot",
     [](auto& b) { return b.Fill(Sel(1, 1, 1, 1), 5); },
     {5, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
    {"FillLastEditableSlot",
     [](auto& b) { return b.Fill(Sel(1, 1, 10, 10), 7); },
     {10, 20, 30, 40, 50, 60, 70, 80, 90, 7}},
    {"FillPastTheEnd",
     [](auto& b) { return b.Fill(Sel(1, 1, 9, 500), 1); },
     {10, 20, 30, 40, 50, 60, 70, 80, 1, 1}},
    {"Clear",
     [](auto& b) { return b.Clear(Sel(1, 1, 3, 4)); },
     {10, 20, 0, 0, 50, 60, 70, 80, 90, 100}},
    {"Cut",
     [](auto& b) { return b.Cut(Sel(1, 1, 2, 3)); },
     {10, 0, 0, 40, 50, 60, 70, 80, 90, 100}},
    {"RampUpExactEnds",
     [](auto& b) { return b.Ramp(Sel(1, 1, 1, 6), 0, 255); },
     {0, 51, 102, 153, 204, 255, 70, 80, 90, 100}},
    {"RampDownToTheLastSlot",
     [](auto& b) { return b.Ramp(Sel(1, 1, 7, 10), 255, 0); },
     {10, 20, 30, 40, 50, 60, 255, 170, 85, 0}},
    {"RampRoundsToNearest",
     [](auto& b) { return b.Ramp(Sel(1, 1, 1, 4), 0, 100); },
     {0, 33, 67, 100, 50, 60, 70, 80, 90, 100}},
    {"RampOneSlotTakesFrom",
     [](auto& b) { return b.Ramp(Sel(1, 1, 5, 5), 9, 200); },
     {10, 20, 30, 40, 9, 60, 70, 80, 90, 100}},
    {"Invert",
     [](auto& b) { return b.Invert(Sel(1, 1, 1, 3)); },
     {245, 235, 225, 40, 50, 60, 70, 80, 90, 100}},
    {"ScaleRoundsHalvesUp",
     [](auto& b) { return b.Scale(Sel(1, 1, 1, 10), 33); },
     {3, 7, 10, 13, 17, 20, 23, 26, 30, 33}},
    {"ScaleClampsAt255",
     [](auto& b) { return b.Scale(Sel(1, 1, 1, 10), 300); },
     {30, 60, 90, 120, 150, 180, 210, 240, 255, 255}},
    {"ScaleByZero",
     [](auto& b) { return b.Scale(Sel(1, 1, 4, 5), 0); },
     {10, 20, 30, 0, 0, 60, 70, 80, 90, 100}},
    {"ShiftLater",
     [](auto& b) { return b.Shift(Sel(1, 1, 1, 4), 3); },
     {0, 0, 0, 10, 20, 30, 40, 80, 90, 100}},
    {"ShiftEarlier",
     [](auto& b) { return b.Shift(Sel(1, 1, 3, 5), -2); },
     {30, 40, 50, 0, 0, 60, 70, 80, 90, 100}},
    {"ShiftLaterPastTheEnd",
     [](auto& b) { return b.Shift(Sel(1, 1, 7, 10), 2); },
     {10, 20, 30, 40, 50, 60, 0, 0, 70, 80}},
    {"ShiftEarlierPastTheStart",
     [](auto& b) { return b.Shift(Sel(1, 1, 2, 4), -3); },
     {40, 0, 0, 0, 50, 60, 70, 80, 90, 100}},
    {"ShiftFarLaterDropsAll",
     [](auto& b) { return b.Shift(Sel(1, 1, 8, 10), 1000000); },
     {10, 20, 30, 40, 50, 60, 70, 0, 0, 0}},
    {"ShiftFarEarlierDropsAll",
     [](auto& b) { return b.Shift(Sel(1, 1, 1, 2), INT_MIN); },
     {0, 0, 30, 40, 50, 60, 70, 80, 90, 100}},
    {"RepeatTwice",
     [](auto& b) { return b.Repeat(Sel(1, 1, 1, 3), 2); },
     {10, 20, 30, 10, 20, 30, 10, 20, 30, 100}},
    {"RepeatClippedAtTheEnd",
     [](auto& b) { return b.Repeat(Sel(1, 1, 1, 3), 5); },
     {10, 20, 30, 10, 20, 30, 10, 20, 30, 10}},
    {"RepeatManyTimes",
     [](auto& b) { return b.Repeat(Sel(1, 1, 4, 5), INT_MAX); },
     {10, 20, 30, 40, 50, 40, 50, 40, 50, 40}},
    {"PasteClippedAtTheEnd",
     [](auto& b) { return b.Copy(Sel(1, 1, 1, 3)) && b.Paste(1, 9); },
     {10, 20, 30, 40, 50, 60, 70, 80, 10, 20}},
    {"PasteBeforeTheStart",
     [](auto& b) { return b.Copy(Sel(1, 1, 1, 3)) && b.Paste(1, -1); },
     {30, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
};

INSTANTIATE_TEST_SUITE_P(Operations, TrackOneTest, ::testing::ValuesIn(TrackOneCases), ByName{});

// ---- Operations that change nothing ------------------------------------------------------------

struct NothingCase {
    const char* Name;
    Operation Run;
};

class NothingChangesTest : public BlockOperationsTest,
                           public ::testing::WithParamInterface<NothingCase> {};

TEST_P(NothingChangesTest, ReturnsFalseWritesNothingAndTakesNoStep) {
    // Track 3 holds zeros, track 4 sevens.
    Open({Base, Base, Zeros, Row(10, 7)});
    const std::vector<Row> before = AllValues();
    EXPECT_FALSE(GetParam().Run(Blocks));
    ExpectUntouched(before);
}

const NothingCase NothingCases[] = {
    {"EmptySelection", [](auto& b) { return b.Fill(TRangeSelection{}, 1); }},
    {"SlotsPastTheEnd", [](auto& b) { return b.Fill(Sel(1, 2, 11, 20), 1); }},
    {"TracksPastTheEnd", [](auto& b) { return b.Fill(Sel(5, 9, 1, 10), 1); }},
    {"ClearOfZeros", [](auto& b) { return b.Clear(Sel(3, 3, 1, 10)); }},
    {"CutOfZeros", [](auto& b) { return b.Cut(Sel(3, 3, 1, 10)); }},
    {"FillWithTheSameValue", [](auto& b) { return b.Fill(Sel(4, 4, 1, 10), 7); }},
    {"RampBetweenEqualValues", [](auto& b) { return b.Ramp(Sel(4, 4, 2, 9), 7, 7); }},
    {"ScaleByHundred", [](auto& b) { return b.Scale(Sel(1, 4, 1, 10), 100); }},
    {"ScaleBelowZero", [](auto& b) { return b.Scale(Sel(1, 2, 1, 10), -1); }},
    {"ScaleAboveTheRange",
     [](auto& b) { return b.Scale(Sel(1, 2, 1, 10), BlockOperations::MaxScalePercent + 1); }},
    {"InvertOfNoSlot", [](auto& b) { return b.Invert(Sel(1, 2, 5, 4)); }},
    {"ShiftByZero", [](auto& b) { return b.Shift(Sel(1, 2, 1, 5), 0); }},
    {"ShiftZerosOverZeros", [](auto& b) { return b.Shift(Sel(3, 3, 2, 5), 3); }},
    {"RepeatNoTimes", [](auto& b) { return b.Repeat(Sel(1, 2, 1, 3), 0); }},
    {"RepeatAtTheEnd", [](auto& b) { return b.Repeat(Sel(1, 2, 8, 10), 3); }},
    {"PasteWithoutABlock", [](auto& b) { return b.Paste(1, 1); }},
    {"PasteBelowTheTracks", [](auto& b) { return b.Copy(Sel(1, 1, 1, 3)) && b.Paste(5, 1); }},
    {"PastePastTheEnd", [](auto& b) { return b.Copy(Sel(1, 1, 1, 3)) && b.Paste(1, 11); }},
    {"PasteOntoItself", [](auto& b) { return b.Copy(Sel(1, 2, 2, 6)) && b.Paste(1, 2); }},
    {"ChaseOfNoStep", [](auto& b) { return b.Chase(Sel(1, 2, 1, 10), 0, 255); }},
    {"ChaseOfZerosOnZeros", [](auto& b) { return b.Chase(Sel(3, 3, 1, 10), 2, 0); }},
    {"FlashWithoutBeats", [](auto& b) { return b.FlashOnBeats(Sel(1, 2, 1, 10), {}, 1); }},
    {"FlashWithNoBeatInTheRange",
     [](auto& b) {
         return b.FlashOnBeats(Sel(1, 2, 3, 6), {1, 2, 7, 40}, 2);
     }},
    {"FlashOfNoSlots", [](auto& b) { return b.FlashOnBeats(Sel(1, 2, 1, 10), {3}, 0); }},
    {"ChaseOnBeatsOfNoBeatInTheRange",
     [](auto& b) {
         return b.ChaseOnBeats(Sel(1, 2, 3, 6), {2, 7}, 1);
     }},
    {"ChaseOnBeatsOfNoSlots", [](auto& b) { return b.ChaseOnBeats(Sel(1, 2, 1, 10), {3}, 0); }},
};

INSTANTIATE_TEST_SUITE_P(Operations, NothingChangesTest, ::testing::ValuesIn(NothingCases),
                         ByName{});

// ---- Locked tracks ----------------------------------------------------------------------------

struct AnyOperation {
    const char* Name;
    Operation Run; // over tracks 1..3, slots 1..10
};

const AnyOperation EveryWritingOperation[] = {
    {"Cut", [](auto& b) { return b.Cut(Sel(1, 3, 1, 10)); }},
    {"Paste", [](auto& b) { return b.Copy(Sel(1, 3, 2, 10)) && b.Paste(1, 1); }},
    {"Clear", [](auto& b) { return b.Clear(Sel(1, 3, 1, 10)); }},
    {"Fill", [](auto& b) { return b.Fill(Sel(1, 3, 1, 10), 99); }},
    {"Ramp", [](auto& b) { return b.Ramp(Sel(1, 3, 1, 10), 255, 1); }},
    {"Invert", [](auto& b) { return b.Invert(Sel(1, 3, 1, 10)); }},
    {"Scale", [](auto& b) { return b.Scale(Sel(1, 3, 1, 10), 50); }},
    {"Shift", [](auto& b) { return b.Shift(Sel(1, 3, 1, 5), 5); }},
    {"Repeat", [](auto& b) { return b.Repeat(Sel(1, 3, 1, 2), 4); }},
    {"Chase", [](auto& b) { return b.Chase(Sel(1, 3, 1, 10), 1, 200); }},
    {"FlashOnBeats",
     [](auto& b) {
         return b.FlashOnBeats(Sel(1, 3, 1, 10), {1, 4, 7}, 1);
     }},
    {"ChaseOnBeats",
     [](auto& b) {
         return b.ChaseOnBeats(Sel(1, 3, 1, 10), {1, 4, 7}, 2);
     }},
};

class LockedTrackTest : public BlockOperationsTest,
                        public ::testing::WithParamInterface<AnyOperation> {};

TEST_P(LockedTrackTest, ALockedTrackKeepsItsValuesAndAllLockedChangesNothing) {
    Open({Base, Base, Row{5, 250, 5, 250, 5, 250, 5, 250, 5, 250}});
    Doc.SetLocked(2, true);
    ASSERT_TRUE(GetParam().Run(Blocks));
    EXPECT_EQ(Values(2), Base);
    EXPECT_NE(Values(1), Base) << "the unlocked tracks are written";
    EXPECT_EQ(Host.Steps, 1);
}

TEST_P(LockedTrackTest, EveryTrackLockedChangesNothing) {
    Open({Base, Base, Row{5, 250, 5, 250, 5, 250, 5, 250, 5, 250}});
    for (int k = 1; k <= 3; ++k)
        Doc.SetLocked(k, true);
    Announced.clear();
    const std::vector<Row> before = AllValues();
    EXPECT_FALSE(GetParam().Run(Blocks));
    ExpectUntouched(before);
}

INSTANTIATE_TEST_SUITE_P(Operations, LockedTrackTest, ::testing::ValuesIn(EveryWritingOperation),
                         ByName{});

TEST_F(BlockOperationsTest, CopyTakesLockedTracksAndAnEmptySelectionKeepsTheBlock) {
    OpenBase();
    Doc.SetLocked(1, true);
    EXPECT_FALSE(Blocks.HasBlock());
    ASSERT_TRUE(Blocks.Copy(Sel(1, 3, 9, 40)));
    const std::vector<Row> expected{{90, 100}, {90, 100}, {0, 0}};
    EXPECT_EQ(Blocks.Block().Rows, expected);
    EXPECT_FALSE(Blocks.Copy(Sel(1, 3, 11, 12)));
    EXPECT_EQ(Blocks.Block().Rows, expected) << "kept";
    EXPECT_FALSE(Doc.Modified());
    EXPECT_EQ(Host.Steps, 0);

    // A Cut of a locked track takes its values but leaves them in place.
    EXPECT_FALSE(Blocks.Cut(Sel(1, 1, 1, 2)));
    EXPECT_EQ(Blocks.Block().Rows, (std::vector<Row>{{10, 20}}));
    EXPECT_EQ(Values(1), Base);
}

// ---- On/Off tracks ------------------------------------------------------------------------------

struct OnOffCase {
    const char* Name;
    Operation Run; // on track 1, an On/Off track starting as OnOffStart
    Row Expected;
};

const Row OnOffStart{0, 255, 0, 255, 0, 255, 255, 0, 0, 255};

class OnOffTest : public BlockOperationsTest, public ::testing::WithParamInterface<OnOffCase> {};

TEST_P(OnOffTest, OnOffTracksTakeOnlyZeroOr255) {
    Open({OnOffStart, {100, 200, 127, 128, 0, 255, 1, 254, 50, 150}});
    Doc.SetType(1, TrackTypeOnOff);
    History.ClearHistory();
    History.TakeSnapshot();
    Doc.SetModified(false);
    ASSERT_TRUE(GetParam().Run(Blocks));
    EXPECT_EQ(Values(1), GetParam().Expected);
    History.Undo();
    EXPECT_EQ(Values(1), OnOffStart);
}

const OnOffCase OnOffCases[] = {
    {"FillBelowHalfIsOff", [](auto& b) { return b.Fill(Sel(1, 1, 1, 10), 127); }, Zeros},
    {"FillFromHalfIsOn", [](auto& b) { return b.Fill(Sel(1, 1, 1, 10), 128); }, Row(10, 255)},
    {"RampSwitchesAtHalf",
     [](auto& b) { return b.Ramp(Sel(1, 1, 1, 10), 0, 255); },
     {0, 0, 0, 0, 0, 255, 255, 255, 255, 255}},
    {"InvertSwapsExactly",
     [](auto& b) { return b.Invert(Sel(1, 1, 1, 10)); },
     {255, 0, 255, 0, 255, 0, 0, 255, 255, 0}},
    {"ScaleBelowHalfTurnsOff", [](auto& b) { return b.Scale(Sel(1, 1, 1, 10), 40); }, Zeros},
    {"PasteOfProportionalValues",
     [](auto& b) { return b.Copy(Sel(2, 2, 1, 10)) && b.Paste(1, 1); },
     {0, 255, 0, 255, 0, 255, 0, 255, 0, 255}},
    {"ChaseOfALowValueIsOff", [](auto& b) { return b.Chase(Sel(1, 1, 1, 10), 3, 100); }, Zeros},
};

INSTANTIATE_TEST_SUITE_P(Operations, OnOffTest, ::testing::ValuesIn(OnOffCases), ByName{});

TEST_F(BlockOperationsTest, HalfScaleOfAnOnOffTrackStaysOnAndChangesNothing) {
    Open({OnOffStart});
    Doc.SetType(1, TrackTypeOnOff);
    Doc.SetModified(false);
    EXPECT_FALSE(Blocks.Scale(Sel(1, 1, 1, 10), 50)) << "255 x 50 % is 128: still on";
    EXPECT_EQ(Values(1), OnOffStart);
}

// ---- Several tracks -----------------------------------------------------------------------------

TEST_F(BlockOperationsTest, ChaseStepsAcrossTheTracksAndALockedTrackKeepsItsPlace) {
    OpenBase();
    const std::vector<Row> before = AllValues();
    ASSERT_TRUE(Blocks.Chase(Sel(1, 3, 1, 10), 2, 200));
    const std::vector<Row> chased{{200, 200, 0, 0, 0, 0, 200, 200, 0, 0},
                                  {0, 0, 200, 200, 0, 0, 0, 0, 200, 200},
                                  {0, 0, 0, 0, 200, 200, 0, 0, 0, 0}};
    EXPECT_EQ(AllValues(), chased);
    ExpectOneUndoableStep(before, chased);

    History.Undo();
    Doc.SetLocked(2, true);
    ASSERT_TRUE(Blocks.Chase(Sel(1, 3, 1, 10), 2, 200));
    EXPECT_EQ(AllValues(), (std::vector<Row>{chased[0], Base, chased[2]}));

    // Within a part of the range, the steps count from its first slot.
    ASSERT_TRUE(Blocks.Chase(Sel(1, 2, 3, 9), 3, 9));
    EXPECT_EQ(Values(1), (Row{200, 200, 9, 9, 9, 0, 0, 0, 9, 0}));
}

TEST_F(BlockOperationsTest, FlashOnBeatsLightsEveryTrackAtEachBeatInTheRangeOnly) {
    OpenBase();
    const std::vector<Row> before = AllValues();
    // Beats in any order, one repeated, one before the range, one at its last slot where only
    // one of its two slots fits, one past it.
    ASSERT_TRUE(Blocks.FlashOnBeats(Sel(1, 2, 2, 9), {9, 5, 1, 2, 5, 12}, 2));
    const Row flashed{10, 255, 255, 0, 255, 255, 0, 0, 255, 100};
    const std::vector<Row> after{flashed, flashed, Zeros};
    EXPECT_EQ(AllValues(), after);
    ExpectOneUndoableStep(before, after);

    // Beats closer than the slots lit run into each other; a beat before the range lights
    // nothing, even where its slots would reach into it.
    History.Undo();
    ASSERT_TRUE(Blocks.FlashOnBeats(Sel(3, 3, 3, 10), {2, 6, 7}, 3));
    EXPECT_EQ(Values(3), (Row{0, 0, 0, 0, 0, 255, 255, 255, 255, 0}));
}

TEST_F(BlockOperationsTest, ChaseOnBeatsLightsOneTrackAfterAnotherBeatByBeat) {
    OpenBase();
    const std::vector<Row> before = AllValues();
    // Beat k of the range lights track k mod 3, for two slots each, cut at the range's end.
    ASSERT_TRUE(Blocks.ChaseOnBeats(Sel(1, 3, 1, 10), {2, 4, 7, 10, 8}, 2));
    // In time order the beats are 2, 4, 7, 8 and 10: the fourth comes back to track 1.
    const std::vector<Row> expected{{0, 255, 255, 0, 0, 0, 0, 255, 255, 0},
                                    {0, 0, 0, 255, 255, 0, 0, 0, 0, 255},
                                    {0, 0, 0, 0, 0, 0, 255, 255, 0, 0}};
    EXPECT_EQ(AllValues(), expected);
    ExpectOneUndoableStep(before, expected);

    // A locked track keeps its values and its turn.
    History.Undo();
    Doc.SetLocked(2, true);
    ASSERT_TRUE(Blocks.ChaseOnBeats(Sel(1, 3, 1, 10), {2, 4, 7, 8, 10}, 2));
    EXPECT_EQ(AllValues(), (std::vector<Row>{expected[0], Base, expected[2]}));
}

TEST_F(BlockOperationsTest, PasteDropsTheRowsAboveTheFirstTrackAndBelowTheLast) {
    OpenBase();
    ASSERT_TRUE(Blocks.Copy(Sel(1, 2, 1, 4)));
    ASSERT_TRUE(Blocks.Fill(Sel(1, 2, 1, 10), 1));
    History.ClearHistory();
    History.TakeSnapshot();
    Host.Steps = 0;
    const std::vector<Row> before = AllValues();

    ASSERT_TRUE(Blocks.Paste(3, 8)); // one row fits, three of its four values
    EXPECT_EQ(Values(3), (Row{0, 0, 0, 0, 0, 0, 0, 10, 20, 30}));
    ASSERT_TRUE(Blocks.Paste(0, 1)); // the first row falls above track 1
    EXPECT_EQ(Values(1), (Row{10, 20, 30, 40, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(Values(2), Row(10, 1));
    EXPECT_EQ(Host.Steps, 2) << "one step per paste";
    History.Undo();
    History.Undo();
    EXPECT_EQ(AllValues(), before);
}

TEST_F(BlockOperationsTest, EachWrittenTrackIsAnnouncedOnceForTheSlotsThatChanged) {
    OpenBase();
    ASSERT_TRUE(Blocks.Fill(Sel(1, 3, 1, 20), 10));
    // Track 1 held 10 at slot 1 already; track 3 is written whole.
    EXPECT_EQ(Announced, (std::vector<std::string>{"1:2-10", "2:2-10", "3:1-10"}));
    EXPECT_EQ(Resets, 0);
    EXPECT_EQ(Host.Steps, 1);
}

TEST_F(BlockOperationsTest, ALongSpanIsComparedWholeAndOnlyItsChangedSlotsWritten) {
    // 3,000 editable slots: the comparison runs over whole blocks and the bytes between.
    Row ramp(3000);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::uint8_t>(i * 7 % 251);
    Row edited = ramp;
    edited[1299] = 0;
    edited[2700] = 0;
    Open({edited, ramp}, 3001);
    ASSERT_TRUE(Blocks.Copy(Sel(2, 2, 1, 3000)));
    ASSERT_TRUE(Blocks.Paste(1, 1));
    EXPECT_EQ(Announced, (std::vector<std::string>{"1:1300-2701"}));
    EXPECT_EQ(Values(1), ramp);
    EXPECT_FALSE(Blocks.Paste(1, 1)) << "now equal";
    EXPECT_FALSE(Blocks.Paste(2, 1)) << "the track it came from";

    ASSERT_TRUE(Blocks.Fill(Sel(1, 2, 2999, 5000), 255));
    EXPECT_EQ(StorageByte(1), 0);
    EXPECT_EQ(Values(1)[2999], 255) << "the last editable slot";
}

// ---- Selections ---------------------------------------------------------------------------------

TEST_F(BlockOperationsTest, SelectionBetweenOrdersAndClampsTheCorners) {
    EXPECT_TRUE(SelectionBetween(Doc, 1, 1, 2, 2).Empty()) << "no song, no tracks";
    OpenBase();
    struct Case {
        int TrackA, SlotA, TrackB, SlotB;
        TRangeSelection Expected;
    };
    const Case cases[] = {
        {1, 2, 3, 9, Sel(1, 3, 2, 9)},     {3, 9, 1, 2, Sel(1, 3, 2, 9)},
        {2, 9, 2, 2, Sel(2, 2, 2, 9)},     {-4, -7, 40, 400, Sel(1, 3, 1, 10)},
        {2, 10, 2, 10, Sel(2, 2, 10, 10)}, {9, 11, 8, 50, Sel(3, 3, 10, 10)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectionBetween(Doc, c.TrackA, c.SlotA, c.TrackB, c.SlotB), c.Expected)
            << c.TrackA << "," << c.SlotA << " " << c.TrackB << "," << c.SlotB;

    EXPECT_EQ(ClampSelection(Doc, Sel(2, 9, 4, 99)), Sel(2, 3, 4, 10));
    EXPECT_TRUE(ClampSelection(Doc, Sel(4, 9, 1, 10)).Empty());
    EXPECT_TRUE(ClampSelection(Doc, Sel(1, 3, 11, 20)).Empty());
}

} // namespace
} // namespace lumivox
