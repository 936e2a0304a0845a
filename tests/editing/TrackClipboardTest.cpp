// Tests of the track clipboard: what Copy keeps, where Paste puts tracks and what it
// changes, the 255-track stop, and one undo step per Cut and Paste.
#include "editing/TrackClipboard.h"
#include "editing/TrackCommands.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;

struct ClipboardHost : ITrackCommandHost {
    UndoHistory* History = nullptr;
    bool SongOpen() const override { return true; }
    ICaptionEditor* CaptionEditor(int) override { return nullptr; }
    void TakeSnapshot() override { History->TakeSnapshot(); }
    void PopupHeaderMenu(int) override {}
    void PopupTypeOutputMenu(int, std::uint8_t) override {}
};

class TrackClipboardTest : public ::testing::Test {
protected:
    TrackClipboardTest()
        : Commands(Doc, Ui, Window, Lang), History(Doc, Ui, Commands, Lang),
          Clipboard(Doc, Ui, Commands, History, Lang) {
        Window.History = &History;
        Doc.SlotCount = 40;
    }

    // `count` tracks, each with its own caption, colours, MIDI map and values; then the
    // state recorded as after opening.
    void OpenWithTracks(int count) {
        for (int k = 1; k <= count; ++k) {
            const TFullTrack* track = Commands.NewTrack();
            ASSERT_NE(track, nullptr);
            Doc.SetCaption(k, QStringLiteral("Lamp %1").arg(k));
            Doc.SetColors(k, 0x100 + static_cast<TColor>(k), 0x200 + static_cast<TColor>(k),
                          0x300 + static_cast<TColor>(k), 0x400 + static_cast<TColor>(k));
            TMidiMap map = track->MidiMap;
            map.Channel = static_cast<std::uint8_t>(k % 16);
            map.Controller = static_cast<std::uint8_t>(k + 10);
            map.Key = static_cast<std::uint8_t>(k + 20);
            map.UseVelocity = (k % 2) == 0;
            map.UseKey = (k % 2) == 1;
            Doc.SetMidiMap(k, map);
            Doc.SetSlot(k, k, static_cast<std::uint8_t>(k * 10));
        }
        History.ClearHistory();
        History.TakeSnapshot();
        Doc.SetModified(false);
    }
    void SelectOnly(const std::vector<int>& tracks) {
        Commands.HeaderPress(tracks.front(), Qt::LeftButton, TModifierKey::None);
        for (std::size_t k = 1; k < tracks.size(); ++k)
            Commands.HeaderPress(tracks[k], Qt::LeftButton, TModifierKey::Ctrl);
    }
    std::vector<int> Selected() const {
        std::vector<int> numbers;
        for (int k = 1; k <= Doc.TrackCount(); ++k)
            if (Doc.Track(k).Selected)
                numbers.push_back(k);
        return numbers;
    }
    // Everything Copy keeps, compared between a pasted track and its source.
    static void ExpectSameButOutput(const TFullTrack& pasted, const TFullTrack& source) {
        EXPECT_EQ(pasted.Caption, source.Caption);
        EXPECT_EQ(pasted.TrackType, source.TrackType);
        EXPECT_EQ(pasted.Locked, source.Locked);
        EXPECT_EQ(pasted.Mute, source.Mute);
        EXPECT_EQ(pasted.Solo, source.Solo);
        EXPECT_EQ(pasted.HeaderColor, source.HeaderColor);
        EXPECT_EQ(pasted.CaptionColor, source.CaptionColor);
        EXPECT_EQ(pasted.LaneColor, source.LaneColor);
        EXPECT_EQ(pasted.LaneBackColor, source.LaneBackColor);
        EXPECT_EQ(pasted.MidiMap, source.MidiMap);
        EXPECT_TRUE(pasted.Values == source.Values);
        EXPECT_NE(pasted.Output, source.Output);
    }

    Language Lang = Language::English;
    ShowDocument Doc;
    ScriptedUserInterface Ui;
    ClipboardHost Window;
    TrackCommands Commands;
    UndoHistory History;
    TrackClipboard Clipboard;
};

TEST_F(TrackClipboardTest, CopiedTracksArePastedAtTheEndWithNewOutputsAndAllElseKept) {
    OpenWithTracks(5);
    Doc.SetType(2, TrackTypeOnOff);
    Doc.SetLocked(2, true);
    Doc.SetMute(4, true);
    SelectOnly({2, 4});
    Clipboard.CopySelection();
    ASSERT_EQ(Clipboard.Count(), 2);
    EXPECT_EQ(Doc.TrackCount(), 5) << "copy changes no track";

    Clipboard.PasteClipboard();
    ASSERT_EQ(Doc.TrackCount(), 7);
    ExpectSameButOutput(Doc.Track(6), Doc.Track(2));
    ExpectSameButOutput(Doc.Track(7), Doc.Track(4));
    EXPECT_EQ(Doc.Track(6).Output, 6) << "the first free output";
    EXPECT_EQ(Doc.Track(7).Output, 7);
    EXPECT_EQ(Selected(), std::vector<int>{7});
    EXPECT_EQ(Commands.AnchorTrack(), 7);
    EXPECT_EQ(Ui.ProgressTexts.back(), "Processing Paste...");
    EXPECT_EQ(Ui.Gauges.back(), 100);
    EXPECT_FALSE(Ui.ProgressVisible);

    // The clipboard survives Paste; a write to a pasted track leaves the entry as copied.
    Doc.SetSlot(6, 2, 1);
    Clipboard.PasteClipboard();
    ASSERT_EQ(Doc.TrackCount(), 9);
    EXPECT_TRUE(Doc.Track(8).Values == Doc.Track(2).Values);
}

TEST_F(TrackClipboardTest, PastingASoloedTrackMakesSoloActive) {
    OpenWithTracks(2);
    Doc.SetSolo(1, true);
    SelectOnly({1});
    Clipboard.CopySelection();
    Doc.SetSolo(1, false);
    ASSERT_FALSE(Doc.SoloActive());
    Clipboard.PasteClipboard();
    EXPECT_TRUE(Doc.Track(3).Solo);
    EXPECT_TRUE(Doc.SoloActive());
}

TEST_F(TrackClipboardTest, PasteStopsSilentlyAt255Tracks) {
    OpenWithTracks(3);
    SelectOnly({1, 2, 3});
    Clipboard.CopySelection();
    for (int k = 3; k < MaxTracks - 1; ++k)
        ASSERT_NE(Commands.NewTrack(), nullptr);
    Ui.Events.clear();
    Clipboard.PasteClipboard();
    EXPECT_EQ(Doc.TrackCount(), MaxTracks);
    EXPECT_EQ(Doc.Track(MaxTracks).Caption, "Lamp 1");
    EXPECT_TRUE(Ui.Events.empty()) << "no warning";
    EXPECT_FALSE(Ui.ProgressVisible);
}

TEST_F(TrackClipboardTest, CutAndPasteAreOneUndoStepEach) {
    OpenWithTracks(4);
    SelectOnly({2, 3});
    Clipboard.CutSelection();
    ASSERT_EQ(Doc.TrackCount(), 2);
    EXPECT_EQ(Doc.Track(2).Caption, "Lamp 4");
    EXPECT_EQ(Selected(), std::vector<int>{2}) << "the anchor, clamped to the count";
    EXPECT_TRUE(Doc.Modified());
    EXPECT_EQ(History.Count(), 2);
    EXPECT_EQ(Ui.ProgressTexts.back(), "Processing Cut...");

    Clipboard.PasteClipboard();
    ASSERT_EQ(Doc.TrackCount(), 4);
    EXPECT_EQ(Doc.Track(3).Caption, "Lamp 2") << "pasted at the end, not at the old place";
    EXPECT_EQ(History.Count(), 3);

    History.Undo();
    EXPECT_EQ(Doc.TrackCount(), 2);
    History.Undo();
    ASSERT_EQ(Doc.TrackCount(), 4);
    EXPECT_EQ(Doc.Track(2).Caption, "Lamp 2");
    EXPECT_EQ(Clipboard.Count(), 2) << "undo leaves the clipboard";
}

TEST_F(TrackClipboardTest, CutWithNothingSelectedEmptiesTheClipboardAndDeletesNothing) {
    OpenWithTracks(2);
    SelectOnly({1});
    Clipboard.CopySelection();
    Commands.HeaderPress(1, Qt::LeftButton, TModifierKey::Ctrl);
    ASSERT_TRUE(Selected().empty());
    Clipboard.CutSelection();
    EXPECT_EQ(Clipboard.Count(), 0);
    EXPECT_EQ(Doc.TrackCount(), 2);
    EXPECT_FALSE(Doc.Modified());
    EXPECT_EQ(History.Count(), 1);
    EXPECT_EQ(Ui.ProgressShows, 1);
    EXPECT_FALSE(Ui.ProgressVisible);
}

} // namespace
} // namespace lumivox
