// The mark commands and the marks in the undo history: taps at the heard position, default
// names, moves and renames within the song, and undo and redo of each as one step.
#include "editing/MarkCommands.h"
#include "editing/TrackCommands.h"
#include "editing/UndoHistory.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

class StillPlayer : public IMediaPlayer {
public:
    bool Open(const QString&) override { return Opened = true; }
    void Close() override { Opened = false; }
    bool IsOpen() const override { return Opened; }
    void Play() override { Playing = true; }
    void Stop() override { Playing = false; }
    void Seek(std::int64_t ms) override { Position = ms; }
    std::int64_t PositionMs() const override { return Position; }
    std::int64_t LengthMs() const override { return Length; }
    TMediaMode Mode() const override {
        return !Opened ? TMediaMode::NotOpen : Playing ? TMediaMode::Playing : TMediaMode::Stopped;
    }
    // The tests here play no ranges.
    void SetPlayRange(std::int64_t, std::int64_t) override {}
    void ClearPlayRange() override {}
    void SetLooping(bool) override {}
    std::int64_t RangeWraps() const override { return 0; }
    bool Opened = true;
    bool Playing = false;
    std::int64_t Position = 0;
    std::int64_t Length = 60'000;
};

struct Host : ITrackCommandHost, IMarkHost {
    UndoHistory* History = nullptr;
    int Snapshots = 0;
    bool SongOpen() const override { return true; }
    ICaptionEditor* CaptionEditor(int) override { return nullptr; }
    void TakeSnapshot() override {
        ++Snapshots;
        History->TakeSnapshot();
    }
    void PopupHeaderMenu(int) override {}
    void PopupTypeOutputMenu(int, std::uint8_t) override {}
};

class MarkCommandsTest : public ::testing::Test {
protected:
    MarkCommandsTest()
        : Tracks(Doc, Ui, Window, Lang), History(Doc, Ui, Tracks, Lang),
          Marks(Doc, Ui, Player, Window, Lang) {
        Window.History = &History;
        Doc.SlotCount = 50;
        Tracks.NewTrack();
        History.TakeSnapshot();
        Doc.SetModified(false);
        Window.Snapshots = 0;
    }
    std::vector<int> Times() const {
        std::vector<int> times;
        for (const TShowMark& mark : Doc.Marks())
            times.push_back(mark.Ms);
        return times;
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    StillPlayer Player;
    Host Window;
    TrackCommands Tracks;
    UndoHistory History;
    MarkCommands Marks;
};

TEST_F(MarkCommandsTest, TapsLandOnThePlayersPositionWithNamesCountingUp) {
    Player.Playing = true;
    Player.Position = 1234;
    EXPECT_EQ(Marks.Tap(), 0);
    Player.Position = 400;
    EXPECT_EQ(Marks.Tap(), 0); // before the first: placed in time order
    Player.Playing = false;
    Player.Position = 99'999; // past the song's end: kept at its end
    EXPECT_EQ(Marks.Tap(), 2);
    EXPECT_EQ(Times(), (std::vector<int>{400, 1234, 60'000}));
    EXPECT_EQ(Doc.Marks()[0].Name, QStringLiteral("2"));
    EXPECT_EQ(Doc.Marks()[1].Name, QStringLiteral("1"));
    EXPECT_EQ(Doc.Marks()[2].Name, QStringLiteral("3"));
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(Window.Snapshots, 3);
    EXPECT_EQ(History.Count(), 4);

    // The numbers go on from the largest, whatever was renamed or deleted.
    Doc.RenameMark(1, QStringLiteral("Drop"));
    Doc.RemoveMark(0);
    EXPECT_EQ(Marks.NextName(), QStringLiteral("4"));
    Doc.SetMarks({});
    EXPECT_EQ(Marks.NextName(), QStringLiteral("1"));

    Player.Opened = false;
    EXPECT_EQ(Marks.Tap(), -1);
    EXPECT_EQ(Marks.AddAt(10), -1);
    EXPECT_TRUE(Doc.Marks().empty());
}

TEST_F(MarkCommandsTest, MoveRenameAndDeleteChangeOnlyWhatTheySayAndRefuseStrangers) {
    Marks.AddAt(1000);
    Marks.AddAt(2000);
    Window.Snapshots = 0;
    EXPECT_EQ(Marks.Move(0, 3000), 1);
    EXPECT_EQ(Times(), (std::vector<int>{2000, 3000}));
    EXPECT_EQ(Marks.Move(1, -50), 0);
    EXPECT_EQ(Times(), (std::vector<int>{0, 2000}));
    EXPECT_EQ(Marks.Move(1, 2000), 1); // where it is: no step
    EXPECT_EQ(Window.Snapshots, 2);
    EXPECT_EQ(Marks.Move(2, 10), -1);

    Ui.TextAnswers = {QStringLiteral("  Big\thit "), std::nullopt, QStringLiteral("Big hit")};
    EXPECT_TRUE(Marks.Rename(0));
    EXPECT_EQ(Doc.Marks()[0].Name, QStringLiteral("Big hit"));
    ASSERT_FALSE(Ui.Events.empty());
    EXPECT_EQ(Ui.Events.back().kind, ScriptedUserInterface::Event::AskText);
    EXPECT_EQ(Ui.Events.back().text, QStringLiteral("Name of the mark at 00:00:00,000:"));
    EXPECT_FALSE(Marks.Rename(0)); // cancelled
    EXPECT_FALSE(Marks.Rename(0)); // the same name
    EXPECT_FALSE(Marks.Rename(5));
    EXPECT_EQ(Window.Snapshots, 3);

    EXPECT_TRUE(Marks.Remove(1));
    EXPECT_FALSE(Marks.Remove(1));
    EXPECT_EQ(Times(), (std::vector<int>{0}));
    EXPECT_EQ(Window.Snapshots, 4);
}

TEST_F(MarkCommandsTest, EachMarkEditIsOneUndoStepAndRedoBringsItBack) {
    Marks.AddAt(500);                        // 1
    Marks.Move(0, 800);                      // 2
    Ui.TextAnswers = {QStringLiteral("Go")}; //
    Marks.Rename(0);                         // 3
    Marks.AddAt(100);                        // 4
    Marks.Remove(1);                         // 5
    const TShowMarks last = Doc.Marks();
    EXPECT_EQ(History.Count(), 6);

    // Each undo takes back one edit, newest first.
    const std::vector<std::vector<int>> undone{{100, 800}, {800}, {800}, {500}, {}};
    for (const std::vector<int>& times : undone) {
        Doc.SetModified(false);
        History.Undo();
        EXPECT_EQ(Times(), times);
        EXPECT_TRUE(Doc.Modified());
    }
    EXPECT_FALSE(History.CanUndo());
    EXPECT_EQ(Doc.TrackCount(), 1); // the tracks are untouched
    History.Redo();
    History.Redo();
    EXPECT_EQ(Times(), (std::vector<int>{800}));
    EXPECT_EQ(Doc.Marks()[0].Name, QStringLiteral("1"));
    History.Redo();
    EXPECT_EQ(Doc.Marks()[0].Name, QStringLiteral("Go"));
    History.Redo();
    History.Redo();
    EXPECT_EQ(Doc.Marks(), last);
}

TEST_F(MarkCommandsTest, SnapshotsShareMarksThatDidNotChangeAndCompareThem) {
    Marks.AddAt(500);
    Doc.FillSlots(1, 1, 5, 9);
    Doc.SetModified(true);
    History.TakeSnapshot();
    ASSERT_EQ(History.Count(), 3);
    EXPECT_TRUE(History.Snapshot(2).SharesMarksWith(History.Snapshot(1)));
    EXPECT_FALSE(History.Snapshot(1).SharesMarksWith(History.Snapshot(0)));
    EXPECT_FALSE(History.StateDiffers());
    Doc.AddMark(10, QString()); // changed behind the history's back
    EXPECT_TRUE(History.StateDiffers());
    // Undo over a change of the tracks alone keeps the marks of that snapshot.
    History.Undo();
    EXPECT_EQ(Times(), (std::vector<int>{500}));
    std::uint8_t value = 1;
    ASSERT_TRUE(Doc.Track(1).GetValue(3, value));
    EXPECT_EQ(value, 0);
}

} // namespace
} // namespace lumivox
