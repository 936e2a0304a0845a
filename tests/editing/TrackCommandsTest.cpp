// Tests of the track commands: new tracks and their limits, outputs and colours, deleting
// with renumbering, the selection rules of header presses, caption editing, Mute and Solo.
#include "editing/TrackCommands.h"
#include "editing/TimelineGeometry.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"
#include "model/TrackRules.h"
#include "support/ScriptedUserInterface.h"
#include "support/SilentTrackHeader.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

// A header that keeps its number and has a caption editor; the rest it is told is kept on
// the track itself.
struct FakeHeader : test::SilentTrackHeader, ICaptionEditor {
    int Number = 0;
    QString OutputText;
    bool EditorOpen = false;
    QString EditorText;

    void ShowNumber(int number) override { Number = number; }
    void ShowOutputText(const QString& text) override { OutputText = text; }
    void OpenCaptionEditor(const QString& text) override {
        EditorText = text;
        EditorOpen = true;
    }
    bool CaptionEditorOpen() const override { return EditorOpen; }
    QString CaptionEditorText() const override { return EditorText; }
    void CloseCaptionEditor() override { EditorOpen = false; }
};

// Each lane's colours (background, bars) as the lanes view draws them.
std::vector<std::pair<TColor, TColor>> LaneColoursOf(const ShowDocument& doc) {
    std::vector<std::pair<TColor, TColor>> colours;
    for (const auto& track : doc.Tracks) {
        const TLaneColors lane = TimelineGeometry::LaneColors(*track, doc.SoloActive);
        colours.emplace_back(lane.Back, lane.Bar);
    }
    return colours;
}

// The window: what it shows as of its last refresh, its undo history, and the requests made.
struct RecordingHost : ITrackCommandHost {
    bool Song = true;
    QStringList Calls;
    int HeaderMenu = -1;
    const ShowDocument* Doc = nullptr;
    const TrackCommands* Commands = nullptr;
    UndoHistory* History = nullptr;
    std::array<bool, 256> OutputsShownTaken{}; // the output menu's disabled entries
    std::vector<std::pair<TColor, TColor>> LanesShown;

    bool SongOpen() const override { return Song; }
    void UpdateLanesHeight() override { Calls << "lanes height"; }
    void RefreshOutputMenu() override {
        Calls << "output menu";
        OutputsShownTaken = Commands->OutputsInUse();
    }
    void RepaintLanes() override {
        Calls << "repaint";
        LanesShown = LaneColoursOf(*Doc);
    }
    void TakeSnapshot() override {
        Calls << "snapshot";
        History->TakeSnapshot();
    }
    void BeginBulkUpdate() override { Calls << "begin bulk"; }
    void EndBulkUpdate() override { Calls << "end bulk"; }
    void EnableSelectionCommands() override { Calls << "enable selection"; }
    void DisableSelectionCommands() override { Calls << "disable selection"; }
    void PopupHeaderMenu(int track) override { HeaderMenu = track; }

    // The last call that enabled or disabled the selection commands, or empty.
    QString SelectionCommands() const {
        for (auto it = Calls.crbegin(); it != Calls.crend(); ++it)
            if (it->endsWith(QLatin1String(" selection")))
                return *it;
        return {};
    }
};

class TrackCommandsTest : public ::testing::Test {
protected:
    TrackCommandsTest() : Commands(Doc, Ui, Host, Lang) {
        Host.Doc = &Doc;
        Host.Commands = &Commands;
        Host.History = &History;
        Doc.SlotCount = 50;
        Doc.HeaderFactory = [] { return std::make_unique<FakeHeader>(); };
    }

    void AddTracks(int count) {
        for (int k = 0; k < count; ++k)
            ASSERT_NE(Commands.NewTrack(), nullptr);
        Doc.Modified = false;
        Host.Calls.clear();
    }
    FakeHeader& HeaderOf(int track) { return static_cast<FakeHeader&>(*Doc.Track(track).Header); }
    std::vector<int> Selected() const {
        std::vector<int> numbers;
        for (int k = 1; k <= Doc.TrackCount(); ++k)
            if (Doc.Track(k).Selected)
                numbers.push_back(k);
        return numbers;
    }
    void Click(int track, TModifierKey modifier = TModifierKey::None) {
        Commands.HeaderPress(track, Qt::LeftButton, modifier);
    }
    void SetOutput(int track, int output) {
        Commands.OpenTypeOutputMenu(track);
        ASSERT_TRUE(Commands.ChooseOutput(output));
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    RecordingHost Host;
    TrackCommands Commands;
    TrackCommandsHistoryHost HistoryHost{Commands, Host};
    UndoHistory History{Doc, Ui, HistoryHost, Lang};
};

TEST_F(TrackCommandsTest, ANewTrackIsSelectedAloneAndTheMenuCommandTakesAnUndoStep) {
    AddTracks(2);
    Commands.NewTrackCommand();
    ASSERT_EQ(Doc.TrackCount(), 3);
    EXPECT_EQ(Doc.Track(3).Caption, "Track 3");
    EXPECT_EQ(HeaderOf(3).Number, 3);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Commands.AnchorTrack(), 3);
    EXPECT_EQ(Host.SelectionCommands(), "enable selection");
    EXPECT_TRUE(Host.Calls.contains("output menu"));
    EXPECT_EQ(Host.Calls.back(), "snapshot");
    Host.Calls.clear();
    Commands.NewTrack();
    EXPECT_FALSE(Host.Calls.contains("snapshot")) << "paste, undo and reading take their own";
}

TEST_F(TrackCommandsTest, NewTrackNeedsASongAndRefusesA256thTrack) {
    Host.Song = false;
    Commands.NewTrackCommand();
    EXPECT_EQ(Doc.TrackCount(), 0);
    Host.Song = true;
    AddTracks(MaxTracks);
    Commands.NewTrackCommand();
    EXPECT_EQ(Doc.TrackCount(), MaxTracks);
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning),
              (QStringList{"No MP3 file loaded!", "You cannot add more track(s)!"}));
    EXPECT_FALSE(Doc.Modified);
    EXPECT_TRUE(Host.Calls.isEmpty()) << "a refused track changes nothing";
}

TEST_F(TrackCommandsTest, TheTwelfthTrackTakesPaletteEntryOneAgain) {
    AddTracks(12);
    EXPECT_EQ(Doc.Track(11).HeaderColor, TrackPalette[10].Strong);
    EXPECT_EQ(Doc.Track(12).HeaderColor, TrackPalette[0].Strong);
    EXPECT_EQ(Doc.Track(12).CaptionColor, TrackPalette[0].Pale);
    EXPECT_EQ(Doc.Track(12).LaneBackColor, TrackPalette[0].Pale);
}

TEST_F(TrackCommandsTest, OutputsStayUniqueAndZeroIsDisabledOnceUsed) {
    AddTracks(3);
    SetOutput(3, 4);
    Commands.NewTrack();
    EXPECT_EQ(Doc.Track(4).Output, 3) << "outputs 1, 2 and 4 are in use";

    const int steps = History.Count();
    SetOutput(2, 0);
    EXPECT_EQ(HeaderOf(2).OutputText, "All");
    EXPECT_TRUE(Host.OutputsShownTaken[0]) << "the output menu offers 0 no more";
    EXPECT_FALSE(Host.OutputsShownTaken[2]) << "and offers 2 again";
    EXPECT_EQ(History.Count(), steps + 1) << "choosing an output is one undo step";
    EXPECT_FALSE(History.StateDiffers()) << "the step holds the new output";
    const std::array<bool, 256> used = Commands.OutputsInUse();
    EXPECT_TRUE(used[0]);
    EXPECT_FALSE(used[2]);
    EXPECT_EQ(std::count(used.begin(), used.end(), true), 4);

    Commands.OpenTypeOutputMenu(1);
    EXPECT_FALSE(Commands.ChooseOutput(0)) << "in use by track 2";
    EXPECT_EQ(Doc.Track(1).Output, 1);
}

TEST_F(TrackCommandsTest, DeletingTracksTwoAndFourOfFiveRenumbersAndKeepsCaptions) {
    AddTracks(5);
    Click(2);
    Click(4, TModifierKey::Ctrl);
    Ui.ConfirmAnswers = {true};
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Confirm),
              QStringList{"Do you want to delete the selected track(s)?"});
    ASSERT_EQ(Doc.TrackCount(), 3);
    const QStringList captions{"Track 1", "Track 3", "Track 5"};
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(HeaderOf(k).Number, k);
        EXPECT_EQ(Doc.Track(k).Caption, captions[k - 1]);
    }
    EXPECT_EQ(Ui.ProgressTexts, QStringList{"Deleting track(s)..."});
    EXPECT_EQ(Ui.Gauges, (std::vector<int>{0, 50, 100}));
    EXPECT_FALSE(Ui.ProgressVisible);
    EXPECT_EQ(Commands.AnchorTrack(), 3) << "anchor 4 moves to the last track";
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_LT(Host.Calls.indexOf("begin bulk"), Host.Calls.indexOf("snapshot"));
    EXPECT_LT(Host.Calls.indexOf("snapshot"), Host.Calls.indexOf("end bulk"));
}

TEST_F(TrackCommandsTest, DeletingNeedsTracksASelectionAndYes) {
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning), QStringList{"No track(s) exists!"});
    AddTracks(3);
    Click(2);
    Ui.ConfirmAnswers = {false};
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Doc.TrackCount(), 3);
    EXPECT_FALSE(Doc.Modified);

    Commands.HeaderPress(2, Qt::RightButton, TModifierKey::None);
    Commands.SelectAll();
    Ui.ConfirmAnswers = {true};
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Doc.TrackCount(), 0);
    EXPECT_EQ(Commands.AnchorTrack(), -1);
    EXPECT_EQ(Host.SelectionCommands(), "disable selection");
    EXPECT_EQ(Commands.PopupTrack(), nullptr) << "the menu's deleted track is forgotten";
}

TEST_F(TrackCommandsTest, ShiftClickWithoutAnAnchorSelectsJustTheClickedTrack) {
    AddTracks(4);
    Commands.ClearSelection();
    Click(3, TModifierKey::Shift);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Commands.AnchorTrack(), 3);
    EXPECT_EQ(Host.SelectionCommands(), "enable selection");
}

TEST_F(TrackCommandsTest, ShiftClickFromAnchorFiveOnTrackTwoSelectsTwoToFive) {
    AddTracks(6);
    Click(6);
    Click(5, TModifierKey::Alt); // Alt selects like a plain click
    Host.Calls.clear();
    Click(2, TModifierKey::Shift);
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(Commands.AnchorTrack(), 5);
    EXPECT_TRUE(Host.SelectionCommands().isEmpty()) << "a range leaves the commands alone";
    Click(6, TModifierKey::Shift);
    EXPECT_EQ(Selected(), (std::vector<int>{5, 6}));
}

TEST_F(TrackCommandsTest, CtrlClickOnTheOnlySelectedTrackDisablesCutCopyAndDelete) {
    AddTracks(3);
    Click(2);
    Click(2, TModifierKey::Ctrl);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(Commands.AnchorTrack(), 2);
    EXPECT_EQ(Host.SelectionCommands(), "disable selection");
    Click(3, TModifierKey::Ctrl);
    EXPECT_EQ(Host.SelectionCommands(), "enable selection");

    Click(1, TModifierKey::Ctrl);
    Commands.HeaderPress(1, Qt::RightButton, TModifierKey::Ctrl);
    EXPECT_EQ(Selected(), std::vector<int>{1}) << "a right press selects its track alone";
    EXPECT_EQ(Host.HeaderMenu, 1);
    Commands.ChooseColor(5);
    EXPECT_EQ(Doc.Track(1).LaneColor, TrackPalette[4].Strong);
}

TEST_F(TrackCommandsTest, CaptionsCommitOnceAndAPressElsewhereModifiesOnlyOnAChange) {
    AddTracks(3);
    Commands.StartCaptionEdit(2);
    EXPECT_EQ(HeaderOf(2).EditorText, "Track 2");
    EXPECT_EQ(Selected(), std::vector<int>{2});
    HeaderOf(2).EditorText = "Strobes";
    Commands.CommitCaptionEdit(2);
    Commands.CommitCaptionEdit(2); // the focus leaving the closed editor
    EXPECT_EQ(Doc.Track(2).Caption, "Strobes");
    EXPECT_TRUE(Doc.Modified);
    EXPECT_EQ(Host.Calls.count("snapshot"), 1);

    Doc.Modified = false;
    Commands.StartCaptionEdit(1);
    Commands.CommitOpenCaptionEditors();
    EXPECT_FALSE(HeaderOf(1).EditorOpen);
    EXPECT_FALSE(Doc.Modified) << "an unchanged caption is no edit";
    Commands.StartCaptionEdit(3);
    HeaderOf(3).EditorText = "Fog";
    Commands.CommitOpenCaptionEditors();
    EXPECT_EQ(Doc.Track(3).Caption, "Fog");
    EXPECT_TRUE(Doc.Modified);
    EXPECT_EQ(Host.Calls.count("snapshot"), 2);
}

TEST_F(TrackCommandsTest, MuteAndSoloExcludeEachOtherAndLockTakesNoUndoStep) {
    AddTracks(2);
    const std::pair<TColor, TColor> silent{SilentLaneBackColor, SilentLaneBarColor};
    const std::pair<TColor, TColor> first = LaneColoursOf(Doc)[0];
    Commands.ToggleMute(2);
    // Each toggle shows at once which lanes are heard.
    EXPECT_EQ(Host.LanesShown, (std::vector{first, silent}));
    Commands.ToggleSolo(2);
    EXPECT_FALSE(Doc.Track(2).Mute) << "soloing a muted track unmutes it";
    EXPECT_TRUE(Doc.SoloActive);
    EXPECT_EQ(Host.LanesShown, LaneColoursOf(Doc));
    EXPECT_EQ(Host.LanesShown[0], silent) << "the other track is not heard while 2 is soloed";
    Commands.ToggleMute(2);
    EXPECT_FALSE(Doc.Track(2).Solo) << "muting a soloed track unsolos it";
    EXPECT_FALSE(Doc.SoloActive);
    EXPECT_EQ(Host.LanesShown, (std::vector{first, silent}));
    Commands.ToggleLock(1);
    EXPECT_TRUE(Doc.Track(1).Locked);
    EXPECT_TRUE(Doc.Modified);
    EXPECT_EQ(History.Count(), 0) << "lock, mute and solo take no undo step";
}

} // namespace
} // namespace lumivox
