// Tests of the track commands: new tracks and their limits, outputs and colours, deleting
// with renumbering, the selection rules of header presses and the commands that follow the
// selection, caption editing, Mute and Solo, and what the show announces for each.
#include "editing/TrackCommands.h"
#include "editing/CommandState.h"
#include "model/ShowDocument.h"
#include "model/TrackRules.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

// A header row that keeps the number it was last told and has a caption editor; the rest it
// is told is kept on the track itself.
struct FakeHeader : ICaptionEditor {
    const TFullTrack* Track = nullptr;
    int Number = 0;
    bool EditorOpen = false;
    QString EditorText;

    void OpenCaptionEditor(const QString& text) override {
        EditorText = text;
        EditorOpen = true;
    }
    bool CaptionEditorOpen() const override { return EditorOpen; }
    QString CaptionEditorText() const override { return EditorText; }
    void CloseCaptionEditor() override { EditorOpen = false; }
};

// The window: the undo steps and menus it is asked for, and what the show announces to it,
// as the lanes, the headers and the output menu hear it. Its headers follow their tracks
// through the list, so each shows a number only when told it.
struct RecordingHost : ITrackCommandHost {
    bool Song = true;
    QStringList Calls;
    int HeaderMenu = -1;
    std::vector<std::unique_ptr<FakeHeader>> Headers;

    bool SongOpen() const override { return Song; }
    ICaptionEditor* CaptionEditor(int track) override {
        return track >= 1 && track <= static_cast<int>(Headers.size())
                   ? Headers[static_cast<std::size_t>(track - 1)].get()
                   : nullptr;
    }
    void TakeSnapshot() override { Calls << "snapshot"; }
    void PopupHeaderMenu(int track) override { HeaderMenu = track; }
    void PopupTypeOutputMenu(int, std::uint8_t) override {}

    void Listen(ShowDocument& doc) {
        QObject::connect(&doc, &ShowDocument::TracksAdded, &doc, [this, &doc](int first, int last) {
            Calls << QStringLiteral("added %1").arg(first);
            for (int k = first; k <= last; ++k) {
                auto header = std::make_unique<FakeHeader>();
                header->Track = &doc.Track(k);
                header->Number = k;
                Headers.insert(Headers.begin() + (k - 1), std::move(header));
            }
        });
        QObject::connect(&doc, &ShowDocument::TracksRemoved, &doc, [this](int first, int last) {
            Headers.erase(Headers.begin() + (first - 1), Headers.begin() + last);
        });
        QObject::connect(&doc, &ShowDocument::TracksMoved, &doc, [this, &doc](int, int) {
            std::stable_sort(Headers.begin(), Headers.end(), [&doc](const auto& a, const auto& b) {
                return doc.NumberOf(a->Track) < doc.NumberOf(b->Track);
            });
        });
        QObject::connect(&doc, &ShowDocument::TrackChanged, &doc,
                         [this](int track, TTrackFields fields) {
                             if (fields & TTrackField::Number)
                                 Headers[static_cast<std::size_t>(track - 1)]->Number = track;
                             if (fields & TTrackField::Output)
                                 Calls << QStringLiteral("output %1").arg(track);
                             if (fields & TTrackField::Colors)
                                 Calls << QStringLiteral("colours %1").arg(track);
                             if (fields & (TTrackField::Mute | TTrackField::Solo))
                                 Calls << QStringLiteral("mute solo %1").arg(track);
                             if (fields & TTrackField::Locked)
                                 Calls << QStringLiteral("locked %1").arg(track);
                         });
        QObject::connect(&doc, &ShowDocument::SoloActiveChanged, &doc,
                         [this](bool on) { Calls << QStringLiteral("solo active %1").arg(on); });
        QObject::connect(&doc, &ShowDocument::BulkUpdateStarted, &doc,
                         [this] { Calls << "begin bulk"; });
        QObject::connect(&doc, &ShowDocument::Reset, &doc, [this] { Calls << "end bulk"; });
    }
};

class TrackCommandsTest : public ::testing::Test {
protected:
    TrackCommandsTest() : Commands(Doc, Ui, Host, Lang) {
        Doc.SlotCount = 50;
        Host.Listen(Doc);
        QObject::connect(&States, &CommandStateTracker::StatesChanged, &States,
                         [this] { ++StateChanges; });
    }
    // Cut, Copy and Delete Track of the Edit menu follow the selection.
    bool SelectionCommands() const { return States.States().Selection; }

    void AddTracks(int count) {
        for (int k = 0; k < count; ++k)
            ASSERT_NE(Commands.NewTrack(), nullptr);
        Doc.SetModified(false);
        Host.Calls.clear();
    }
    FakeHeader& HeaderOf(int track) {
        return *Host.Headers.at(static_cast<std::size_t>(track - 1));
    }
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
    CommandStateTracker States{Doc, [this] { return Host.Song; }};
    int StateChanges = 0;
};

TEST_F(TrackCommandsTest, ANewTrackIsSelectedAloneAndTheMenuCommandTakesAnUndoStep) {
    AddTracks(2);
    Commands.NewTrackCommand();
    ASSERT_EQ(Doc.TrackCount(), 3);
    EXPECT_EQ(Doc.Track(3).Caption, "Track 3");
    EXPECT_EQ(HeaderOf(3).Number, 3);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Commands.AnchorTrack(), 3);
    EXPECT_TRUE(SelectionCommands());
    EXPECT_TRUE(Host.Calls.contains("added 3")) << "the output menu follows the new track";
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
    EXPECT_FALSE(Doc.Modified());
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

    Host.Calls.clear();
    SetOutput(2, 0);
    EXPECT_TRUE(Host.Calls.contains("output 2")) << "the header and the menu hear of it";
    EXPECT_EQ(Host.Calls.count("snapshot"), 1) << "one undo step";
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
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::ConfirmDefaultNo),
              QStringList{"Do you want to delete the selected track(s)?"})
        << "asked with No as the default answer";
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

// The captions top to bottom, as "1 2 3" for Track 1, Track 2, Track 3.
QString Order(const ShowDocument& doc) {
    QStringList numbers;
    for (const TFullTrack* track : doc.Tracks())
        numbers << track->Caption.mid(6);
    return numbers.join(QLatin1Char(' '));
}

TEST_F(TrackCommandsTest, MovingABlockKeepsItsShapeStopsAtTheEdgesAndTakesOneUndoStep) {
    AddTracks(5);
    Doc.SetSlot(3, 7, 33);
    Doc.SetLocked(3, true); // locking guards the values only: the track still moves
    Click(3);
    Click(4, TModifierKey::Shift);
    Doc.SetModified(false);
    Host.Calls.clear();
    QStringList moves;
    QObject::connect(&Doc, &ShowDocument::TracksMoved, &Doc, [&moves](int first, int last) {
        moves << QStringLiteral("%1-%2").arg(first).arg(last);
    });

    ASSERT_TRUE(Commands.MoveSelectedTracks(-1));
    EXPECT_EQ(Order(Doc), "1 3 4 2 5");
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3}));
    EXPECT_EQ(Commands.AnchorTrack(), 2) << "the anchor follows its track";
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Host.Calls.count("snapshot"), 1);
    EXPECT_EQ(moves, QStringList{"2-4"});
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(HeaderOf(k).Number, k) << "each header is told its new number";
    std::uint8_t value = 0;
    ASSERT_TRUE(Doc.Track(2).GetValue(7, value));
    EXPECT_EQ(value, 33) << "the values go with their track";
    EXPECT_TRUE(Doc.Track(2).Locked);

    ASSERT_TRUE(Commands.MoveSelectedTracks(-1));
    EXPECT_EQ(Order(Doc), "3 4 1 2 5");
    Host.Calls.clear();
    Doc.SetModified(false);
    EXPECT_FALSE(Commands.MoveSelectedTracks(-1)) << "blocked at the top";
    EXPECT_EQ(Order(Doc), "3 4 1 2 5");
    EXPECT_FALSE(Doc.Modified());
    EXPECT_TRUE(Host.Calls.isEmpty()) << "no undo step for nothing";

    for (int k = 0; k < 3; ++k)
        ASSERT_TRUE(Commands.MoveSelectedTracks(1));
    EXPECT_EQ(Order(Doc), "1 2 5 3 4");
    EXPECT_FALSE(Commands.MoveSelectedTracks(1)) << "blocked at the bottom";
    EXPECT_EQ(Selected(), (std::vector<int>{4, 5}));
    EXPECT_FALSE(Commands.MoveSelectedTracks(0));
}

TEST_F(TrackCommandsTest, ScatteredSelectionsMoveEachTrackAPlaceWherePossible) {
    AddTracks(6);
    Click(1);
    Click(2, TModifierKey::Ctrl);
    Click(4, TModifierKey::Ctrl);
    Click(6, TModifierKey::Ctrl);
    ASSERT_TRUE(Commands.MoveSelectedTracks(-1));
    EXPECT_EQ(Order(Doc), "1 2 4 3 6 5") << "the block at the top stays, the rest move";
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 5}));
    ASSERT_TRUE(Commands.MoveSelectedTracks(-1));
    EXPECT_EQ(Order(Doc), "1 2 4 6 3 5") << "the runs that met move on as one block";
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(Commands.MoveSelectedTracks(-1));

    ASSERT_TRUE(Commands.MoveSelectedTracks(1));
    ASSERT_TRUE(Commands.MoveSelectedTracks(1));
    EXPECT_EQ(Order(Doc), "3 5 1 2 4 6");
    EXPECT_EQ(Host.Calls.count("snapshot"), 4);

    // Nothing selected: nothing moves.
    for (int k = 3; k <= 6; ++k)
        Click(k, TModifierKey::Ctrl);
    ASSERT_TRUE(Selected().empty());
    EXPECT_FALSE(Commands.MoveSelectedTracks(1));
}

TEST(ShowDocumentMoves, MoveTrackRotatesTheTracksBetweenAndRefusesBadNumbers) {
    ShowDocument doc;
    doc.SlotCount = 10;
    for (int k = 0; k < 4; ++k)
        ASSERT_NE(doc.AddTrack(Language::English), nullptr);
    int announced = 0;
    QObject::connect(&doc, &ShowDocument::TracksMoved, &doc, [&announced] { ++announced; });
    doc.MoveTrack(1, 4);
    EXPECT_EQ(Order(doc), "2 3 4 1");
    doc.MoveTrack(4, 2);
    EXPECT_EQ(Order(doc), "2 1 3 4");
    for (const auto& [from, to] : {std::pair{0, 2}, {2, 5}, {3, 3}, {-1, 1}})
        doc.MoveTrack(from, to);
    EXPECT_EQ(Order(doc), "2 1 3 4");
    EXPECT_EQ(announced, 2);
    {
        const TBulkUpdate bulk(doc);
        doc.MoveTrack(1, 2);
    }
    EXPECT_EQ(Order(doc), "1 2 3 4");
    EXPECT_EQ(announced, 2) << "a bulk update announces its Reset only";
}

TEST_F(TrackCommandsTest, DeletingNeedsTracksASelectionAndYes) {
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::Warning), QStringList{"No track(s) exists!"});
    AddTracks(3);
    Click(2);
    Ui.ConfirmAnswers = {false};
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Doc.TrackCount(), 3);
    EXPECT_FALSE(Doc.Modified());

    Commands.HeaderPress(2, Qt::RightButton, TModifierKey::None);
    Commands.SelectAll();
    Ui.ConfirmAnswers = {true};
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Doc.TrackCount(), 0);
    EXPECT_EQ(Commands.AnchorTrack(), -1);
    EXPECT_FALSE(SelectionCommands());
    EXPECT_EQ(Commands.PopupTrack(), nullptr) << "the menu's deleted track is forgotten";
}

TEST_F(TrackCommandsTest, LockedTracksAreKeptNamedAndAListOfManyIsCutShort) {
    AddTracks(12);
    for (int k = 2; k <= 11; ++k)
        Commands.ToggleLock(k);
    Doc.SetCaption(3, QStringLiteral("Strobe"));
    Commands.SelectAll();
    const auto steps = Host.Calls.count("snapshot");
    Ui.ConfirmAnswers = {true};
    Commands.DeleteSelectedTracks();
    EXPECT_EQ(Ui.Texts(ScriptedUserInterface::Event::ConfirmDefaultNo).back(),
              "Delete the selected track(s)? The locked track(s) 2 (Track 2), 3 (Strobe), "
              "4 (Track 4), 5 (Track 5), 6 (Track 6), 7 (Track 7), 8 (Track 8), 9 (Track 9) "
              "and 2 more stay: unlock a track to delete it.");
    ASSERT_EQ(Doc.TrackCount(), 10) << "tracks 1 and 12 went";
    for (int k = 1; k <= 10; ++k)
        EXPECT_TRUE(Doc.Track(k).Locked) << k;
    EXPECT_EQ(Doc.Track(1).Caption, "Track 2");
    EXPECT_EQ(Selected(), std::vector<int>{10}) << "the anchor's place, alone";
    EXPECT_EQ(Host.Calls.count("snapshot"), steps + 1);
}

TEST_F(TrackCommandsTest, ShiftClickWithoutAnAnchorSelectsJustTheClickedTrack) {
    AddTracks(4);
    Commands.ClearSelection();
    Click(3, TModifierKey::Shift);
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(Commands.AnchorTrack(), 3);
    EXPECT_TRUE(SelectionCommands());
}

TEST_F(TrackCommandsTest, ShiftClickFromAnchorFiveOnTrackTwoSelectsTwoToFive) {
    AddTracks(6);
    Click(6);
    Click(5, TModifierKey::Alt); // Alt selects like a plain click
    const int changes = StateChanges;
    Click(2, TModifierKey::Shift);
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
    EXPECT_EQ(Commands.AnchorTrack(), 5);
    EXPECT_EQ(StateChanges, changes) << "a range leaves the commands alone";
    EXPECT_TRUE(SelectionCommands());
    Click(6, TModifierKey::Shift);
    EXPECT_EQ(Selected(), (std::vector<int>{5, 6}));
}

TEST_F(TrackCommandsTest, CtrlClickOnTheOnlySelectedTrackDisablesCutCopyAndDelete) {
    AddTracks(3);
    Click(2);
    Click(2, TModifierKey::Ctrl);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(Commands.AnchorTrack(), 2);
    EXPECT_FALSE(SelectionCommands());
    Click(3, TModifierKey::Ctrl);
    EXPECT_TRUE(SelectionCommands());

    Click(1, TModifierKey::Ctrl);
    Commands.HeaderPress(1, Qt::RightButton, TModifierKey::Ctrl);
    EXPECT_EQ(Selected(), std::vector<int>{1}) << "a right press selects its track alone";
    EXPECT_EQ(Host.HeaderMenu, 1);
    Host.Calls.clear();
    Commands.ChooseColor(5);
    EXPECT_EQ(Doc.Track(1).LaneColor, TrackPalette[4].Strong);
    EXPECT_TRUE(Host.Calls.contains("colours 1"));
    EXPECT_EQ(Host.Calls.count("snapshot"), 1) << "one undo step";
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
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Host.Calls.count("snapshot"), 1);

    Doc.SetModified(false);
    Commands.StartCaptionEdit(1);
    Commands.CommitOpenCaptionEditors();
    EXPECT_FALSE(HeaderOf(1).EditorOpen);
    EXPECT_FALSE(Doc.Modified()) << "an unchanged caption is no edit";
    Commands.StartCaptionEdit(3);
    HeaderOf(3).EditorText = "Fog";
    Commands.CommitOpenCaptionEditors();
    EXPECT_EQ(Doc.Track(3).Caption, "Fog");
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Host.Calls.count("snapshot"), 2);
}

TEST_F(TrackCommandsTest, MuteAndSoloExcludeEachOtherAndLockTakesNoUndoStep) {
    AddTracks(2);
    Commands.ToggleMute(2);
    Commands.ToggleSolo(2);
    EXPECT_FALSE(Doc.Track(2).Mute) << "soloing a muted track unmutes it";
    EXPECT_TRUE(Doc.SoloActive());
    Commands.ToggleMute(2);
    EXPECT_FALSE(Doc.Track(2).Solo) << "muting a soloed track unsolos it";
    EXPECT_FALSE(Doc.SoloActive());
    Commands.ToggleLock(1);
    EXPECT_TRUE(Doc.Track(1).Locked);
    EXPECT_TRUE(Doc.Modified());
    // The lanes hear each change of Mute and Solo, and all of them hear Solo switched on
    // and off for the show; none of it is an undo step.
    EXPECT_EQ(Host.Calls.count("mute solo 2"), 3);
    EXPECT_TRUE(Host.Calls.contains("solo active 1"));
    EXPECT_TRUE(Host.Calls.contains("solo active 0"));
    EXPECT_TRUE(Host.Calls.contains("locked 1"));
    EXPECT_EQ(Host.Calls.count("snapshot"), 0);
}

} // namespace
} // namespace lumivox
