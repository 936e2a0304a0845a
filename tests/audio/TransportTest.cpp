// The transport commands and the show clock over the real player with its null output on a
// manual clock, so every position is exact.
#include "show/Transport.h"
#include "audio/playback/AudioPlayer.h"
#include "show/FollowPaging.h"
#include "support/ManualClock.h"
#include "support/TestSongs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace lumivox;
using namespace lumivox::test;
using namespace std::chrono_literals;

namespace {

// A window of 1,000 pixels showing a timeline of 10,000 pixels, and the show clock behind it.
class RecordingHost : public ITransportHost, public IShowClock, public IPagedView {
public:
    int Slot = 100;
    std::int64_t Width = 10000;
    int View = 1000;
    std::int64_t Offset = 0;
    bool Waveform = true;
    bool Modified = false;
    int Snapshots = 0;
    bool Tick = true;
    bool RecordShown = false;
    std::int64_t ShownTime = -1;
    std::int64_t CursorX = -1;
    std::int64_t CueX = -1;
    std::vector<int> TickSlots;
    int Resyncs = 0;

    int SlotMs() const override { return Slot; }
    // A timeline of one pixel per millisecond of the song at the finest level.
    TimeAxis Axis() const override { return {TimeAxis::MaxLevel, Width, Waveform ? 3 * Width : 0}; }
    int ViewWidth() const override { return View; }
    std::int64_t ScrollOffset() const override { return Offset; }
    void ScrollTo(std::int64_t offset) override {
        Offset = std::clamp<std::int64_t>(offset, 0, std::max<std::int64_t>(0, Width - View));
    }
    void ShowTime(std::int64_t ms) override { ShownTime = ms; }
    void PlaceMarkers(std::int64_t cursor, std::int64_t cue) override {
        CursorX = cursor;
        CueX = cue;
    }
    void ShowRecordMode(bool on) override { RecordShown = on; }
    bool ProjectModified() const override { return Modified; }
    void TakeSnapshot() override { ++Snapshots; }
    void Enable(bool on) override { Tick = on; }
    void TickWork(int slot) override { TickSlots.push_back(slot); }
    void Resync() override { ++Resyncs; }
};

class TransportTest : public ::testing::Test {
protected:
    ManualClock Clock;
    AudioPlayer Player{AudioPlayer::Options{nullptr, Clock.Function()}};
    RecordingHost Host;
    Transport Motion{Player, Host, Host};
    FollowPaging Paging{Host};

    void SetUp() override {
        ASSERT_TRUE(Player.Open(FixturePath("song_10s.mp3")));
        // The timeline is as many pixels as the song has milliseconds.
        Host.Width = Player.LengthMs();
        Motion.AddListener(&Paging);
    }

    // A press at view x on the ruler, as the window passes it on.
    void Press(int viewX) {
        if (const std::optional<std::int64_t> ms = Paging.PressedMs(viewX))
            Motion.Locate(*ms);
    }

    // Lets `step` of song time pass and waits until the player has heard it.
    template <typename Duration> void Elapse(Duration step, std::int64_t expectedMs) {
        Clock.Advance(step);
        ASSERT_TRUE(WaitUntil([&] { return Player.PositionMs() >= expectedMs; }))
            << "position stuck at " << Player.PositionMs();
        ASSERT_EQ(Player.PositionMs(), expectedMs);
    }
};

} // namespace

TEST(TransportTime, ShowsHoursMinutesSecondsAndMillisecondsWithoutWrappingHours) {
    EXPECT_EQ(Transport::FormatTime(3'723'456), QStringLiteral("01:02:03,456"));
    EXPECT_EQ(Transport::FormatTime(0), QStringLiteral("00:00:00,000"));
    EXPECT_EQ(Transport::FormatTime(360'000'000 + 59'999), QStringLiteral("100:00:59,999"));
}

TEST(TransportMarkers, PlacedByTimeOverTheSongLength) {
    // A 60 s song over 5167 pixels (level 13): 11.612 ms per pixel.
    const TimeAxis axis(13, 60000, 20671 * 3);
    ASSERT_EQ(axis.ContentWidth(), 5167);
    EXPECT_EQ(axis.CursorX(30000), 2583);
    EXPECT_EQ(axis.CursorX(0), 0);
    EXPECT_EQ(axis.CursorX(60000), 5167);
    EXPECT_EQ(axis.CursorMs(2583), 29994);
    EXPECT_EQ(TimeAxis(13, 60000, 0).CursorX(1000), 0);
    EXPECT_EQ(TimeAxis(1, 60000, 3 * 100).CursorX(1000), 0) << "narrower than a pixel";
}

TEST(TransportWithoutSong, EveryCommandDoesNothing) {
    ManualClock clock;
    AudioPlayer player{AudioPlayer::Options{nullptr, clock.Function()}};
    RecordingHost host;
    Transport motion(player, host, host);
    motion.Play();
    motion.GoToEnd();
    motion.Locate(10);
    motion.Tick();
    EXPECT_EQ(player.Mode(), TMediaMode::NotOpen);
    EXPECT_EQ(host.ShownTime, -1);
    EXPECT_TRUE(host.TickSlots.empty());
    // Record mode itself can be armed without a song; it starts nothing.
    motion.Record();
    EXPECT_TRUE(motion.RecordMode());
    EXPECT_EQ(player.Mode(), TMediaMode::NotOpen);
}

TEST_F(TransportTest, TheTickFindsTheCurrentSlotAndRunsTheWorkOnlyWhilePlaying) {
    Host.Slot = 500;
    Motion.Tick();
    EXPECT_TRUE(Host.TickSlots.empty()); // stopped: the display updates, no slot work
    EXPECT_EQ(Host.ShownTime, 0);
    Motion.Play();
    Elapse(1499100us, 1499);
    Host.TickSlots.clear();
    Motion.Tick();
    EXPECT_EQ(Motion.CurrentSlot(), 2);
    EXPECT_EQ(Host.TickSlots, std::vector<int>{2});
    EXPECT_EQ(Host.ShownTime, 1499);
    EXPECT_EQ(Host.CursorX, 1499);
    Elapse(1ms, 1500);
    Motion.Tick();
    EXPECT_EQ(Host.TickSlots, (std::vector<int>{2, 3}));
}

TEST_F(TransportTest, PauseThenPlayResumesWherePausedAndStopThenPlayStartsAtTheOldCue) {
    Motion.Play();
    Elapse(2s, 2000);
    Motion.Pause();
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_EQ(Motion.CuePosition(), 2000);
    EXPECT_FALSE(Host.Tick);
    Clock.Advance(5s); // time while paused does not count
    Motion.Play();
    EXPECT_TRUE(Host.Tick);
    Elapse(1s, 3000);
    Motion.Stop();
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_EQ(Player.PositionMs(), 2000); // back at the cue
    EXPECT_EQ(Motion.CuePosition(), 2000);
    EXPECT_TRUE(Host.Tick); // Stop keeps the clock running
    Motion.Play();
    Elapse(500ms, 2500);
}

TEST_F(TransportTest, ARulerPressWhilePlayingPlaysOnFromThereAndWhileStoppedOnlyMovesTheCue) {
    Press(4000);
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    EXPECT_EQ(Motion.CuePosition(), 4000);
    EXPECT_EQ(Host.CueX, 4000);
    EXPECT_EQ(Host.Resyncs, 0); // stopped, the outputs have nothing to catch up with
    Motion.Play();
    EXPECT_EQ(Host.Resyncs, 1); // playing starts with the whole state
    Elapse(1s, 5000);
    Host.Offset = 1000;
    Press(6000);                // content x 7,000
    EXPECT_EQ(Host.Resyncs, 2); // and a jump while playing sends it again
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Motion.CuePosition(), 7000);
    EXPECT_EQ(Host.Offset, 2000); // the cursor was right of the view: one page on
    EXPECT_EQ(Paging.SavedScroll(), 2000);
    Elapse(250ms, 7250);
    // Past the end of the timeline, or without a waveform, a press does nothing.
    Press(static_cast<int>(Host.Width));
    EXPECT_EQ(Motion.CuePosition(), 7000);
    Host.Waveform = false;
    Press(10);
    EXPECT_EQ(Motion.CuePosition(), 7000);
}

TEST_F(TransportTest, RecordModeEndsWithStopPauseAndBothGoToCommands) {
    Host.Modified = true;
    Motion.Record(); // starts playing too
    EXPECT_TRUE(Motion.RecordMode());
    EXPECT_TRUE(Host.RecordShown);
    EXPECT_TRUE(Motion.Playing());
    Motion.Stop();
    EXPECT_FALSE(Motion.RecordMode());
    EXPECT_FALSE(Host.RecordShown);
    EXPECT_EQ(Host.Snapshots, 1); // something was recorded: one undo step
    Motion.Record();
    Motion.Pause();
    EXPECT_FALSE(Motion.RecordMode());
    Motion.Record();
    Motion.GoToBeginning();
    EXPECT_FALSE(Motion.RecordMode());
    Motion.Record();
    Motion.GoToEnd();
    EXPECT_FALSE(Motion.RecordMode());
    EXPECT_EQ(Host.Snapshots, 4);
    // The record button while recording ends it and pauses.
    Host.Modified = false;
    Motion.GoToBeginning();
    Motion.Record();
    Elapse(300ms, 300);
    Motion.Record();
    EXPECT_FALSE(Motion.RecordMode());
    EXPECT_FALSE(Motion.Playing());
    EXPECT_EQ(Motion.CuePosition(), 300);
    EXPECT_EQ(Host.Snapshots, 4); // nothing modified: no snapshot
}

TEST_F(TransportTest, GoToCommandsMoveTheCueAndTheView) {
    Motion.GoToEnd();
    EXPECT_EQ(Motion.CuePosition(), Player.LengthMs());
    EXPECT_EQ(Host.Offset, Host.Width - Host.View);
    EXPECT_EQ(Paging.SavedScroll(), Host.Width - Host.View);
    // Playing from the end starts the song again from 0.
    Motion.Play();
    Elapse(100ms, 100);
    Motion.GoToBeginning();
    EXPECT_EQ(Motion.CuePosition(), 0);
    EXPECT_EQ(Host.Offset, 0);
}

TEST_F(TransportTest, CellStepsMoveTheCueToCellStartsAndTheViewJustEnoughToShowIt) {
    // Cells of 1,000 ms: forward from 0 to 1,000, back from inside a cell to its start,
    // back from a cell's start to the one before.
    Motion.StepCell(1, 1000);
    EXPECT_EQ(Motion.CuePosition(), 1000);
    EXPECT_EQ(Host.CursorX, 1000);
    EXPECT_EQ(Host.Offset, 1) << "x 1,000 was just right of the view";
    Motion.LocateMs(2500);
    EXPECT_EQ(Host.Offset, 1501);
    Motion.StepCell(-1, 1000);
    EXPECT_EQ(Motion.CuePosition(), 2000);
    EXPECT_EQ(Host.Offset, 1501) << "in view: no scroll";
    Motion.StepCell(-1, 1000);
    EXPECT_EQ(Motion.CuePosition(), 1000);
    EXPECT_EQ(Host.Offset, 1000) << "left of the view: at its left edge";
    EXPECT_EQ(Paging.SavedScroll(), 1000);
    Motion.StepCell(-1, 1000);
    EXPECT_EQ(Host.Offset, 0);
    Motion.StepCell(-1, 1000);
    EXPECT_EQ(Motion.CuePosition(), 0) << "not before the start";
    // Not past the end, and stepping forward there changes nothing.
    Motion.LocateMs(Player.LengthMs() - 10);
    Motion.StepCell(1, 1000);
    EXPECT_EQ(Motion.CuePosition(), Player.LengthMs());
    Motion.StepCell(1, 1000);
    EXPECT_EQ(Motion.CuePosition(), Player.LengthMs());
    EXPECT_EQ(Player.Mode(), TMediaMode::Stopped);
    // While playing it plays on from the new place, the outputs told the whole state.
    Motion.GoToBeginning();
    Motion.Play();
    const int resyncs = Host.Resyncs;
    Elapse(300ms, 300);
    Motion.StepCell(1, 1000);
    EXPECT_EQ(Player.Mode(), TMediaMode::Playing);
    EXPECT_EQ(Motion.CuePosition(), 1000);
    EXPECT_EQ(Host.Resyncs, resyncs + 1);
    Elapse(200ms, 1200);
}

TEST_F(TransportTest, TheViewPagesAlongWithTheCursorUntilTheViewsAreResized) {
    Motion.Play();
    Elapse(1001100us, 1001);
    Motion.Tick();
    EXPECT_EQ(Host.Offset, 1000); // the cursor passed the right edge: one view further
    Elapse(500ms, 1501);
    Motion.Tick();
    EXPECT_EQ(Host.Offset, 1000);
    // The user scrolls back and resizes: the cursor is out of view and not followed.
    Host.Offset = 0;
    Paging.ClearFollow();
    Elapse(600ms, 2101);
    Motion.Tick();
    EXPECT_EQ(Host.Offset, 0);
    EXPECT_FALSE(Paging.CursorVisible());
}

TEST_F(TransportTest, TheSongStopsByItselfAtItsEndAndTheNextPlayStartsAtTheCue) {
    Motion.Locate(9000);
    Motion.Play();
    Elapse(std::chrono::milliseconds(Player.LengthMs() - 9000 + 200), Player.LengthMs());
    ASSERT_TRUE(WaitUntil([&] { return Player.Mode() == TMediaMode::Stopped; }));
    Host.TickSlots.clear();
    Motion.Tick();
    EXPECT_TRUE(Host.TickSlots.empty());
    EXPECT_EQ(Motion.CuePosition(), 9000);
    Motion.Play();
    Elapse(10ms, 9010);
}

namespace {

TEST_F(TransportTest, APlayRangeStopsAtItsEndOrLoopsBackToItsStartUntilStopped) {
    Host.Offset = 5000;
    Motion.PlayRange(1200, 1500);
    EXPECT_TRUE(Motion.Playing());
    EXPECT_TRUE(Motion.RangePlaying());
    EXPECT_EQ(Motion.CuePosition(), 1200);
    EXPECT_EQ(Host.Offset, 1200) << "the range's start comes into view";
    Elapse(290ms, 1490);
    Motion.Tick();
    EXPECT_TRUE(Motion.Playing());
    // The player itself stops at the range's end, not a tick later past it.
    Clock.Advance(20ms);
    ASSERT_TRUE(WaitUntil([&] { return !Motion.Playing(); }));
    EXPECT_EQ(Player.PositionMs(), 1500);
    Motion.Tick();
    EXPECT_FALSE(Motion.RangePlaying());
    EXPECT_EQ(Player.PositionMs(), 1200) << "stopped back at the range's start";
    EXPECT_EQ(Host.ShownTime, 1200);

    Motion.SetLooping(true);
    Motion.PlayRange(1200, 1500);
    const int resyncs = Host.Resyncs;
    // 310 ms after the start the player has gone round once, by itself, and is 10 ms on.
    Clock.Advance(310ms);
    ASSERT_TRUE(WaitUntil([&] { return Player.RangeWraps() == 1 && Player.PositionMs() >= 1210; }))
        << "position " << Player.PositionMs() << ", wraps " << Player.RangeWraps();
    EXPECT_EQ(Player.PositionMs(), 1210);
    Motion.Tick();
    EXPECT_TRUE(Motion.Playing());
    EXPECT_EQ(Host.Resyncs, resyncs + 1) << "the outputs hear the jump back";
    EXPECT_EQ(Host.ShownTime, 1210);
    Elapse(90ms, 1300);
    Motion.Tick();
    EXPECT_EQ(Host.Resyncs, resyncs + 1) << "one resync per round";
    EXPECT_TRUE(Motion.RangePlaying());
    // Loop switched off in the middle of a round: that round is the last.
    Motion.SetLooping(false);
    Elapse(150ms, 1450);
    Motion.Tick();
    EXPECT_TRUE(Motion.Playing());
    Clock.Advance(100ms);
    ASSERT_TRUE(WaitUntil([&] { return !Motion.Playing(); }));
    EXPECT_EQ(Player.PositionMs(), 1500);
    EXPECT_EQ(Player.RangeWraps(), 1);
    Motion.Tick();
    EXPECT_FALSE(Motion.RangePlaying());
    EXPECT_EQ(Player.PositionMs(), 1200);

    Motion.SetLooping(true);
    Motion.PlayRange(1200, 1500);
    Elapse(100ms, 1300);
    Motion.Stop();
    EXPECT_FALSE(Motion.RangePlaying());
    EXPECT_EQ(Player.PositionMs(), 1200);

    // A plain Play leaves the range behind; an empty range plays nothing.
    Motion.PlayRange(1200, 1500);
    Motion.Pause();
    Motion.Play();
    EXPECT_FALSE(Motion.RangePlaying());
    Elapse(400ms, 1600);
    EXPECT_TRUE(Motion.Playing()) << "the player kept the range";
    Motion.Stop();
    Motion.PlayRange(1500, 1500);
    EXPECT_FALSE(Motion.Playing());

    // A jump to a time leaves the range too, and plays on from there.
    Motion.SetLooping(false);
    Motion.PlayRange(1200, 1500);
    Motion.JumpToMs(4000);
    EXPECT_FALSE(Motion.RangePlaying());
    EXPECT_TRUE(Motion.Playing());
    EXPECT_EQ(Motion.CuePosition(), 4000);
}

} // namespace
