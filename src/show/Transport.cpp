// The transport commands and the position update, in the order the show clock relies on.
#include "show/Transport.h"

#include "core/SlotTime.h"
#include "core/TimeText.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

Transport::Transport(IMediaPlayer& player, ITransportHost& host, IShowClock& clock)
    : Player(player), Host(host), Clock(clock) {}

QString Transport::FormatTime(std::int64_t ms) {
    return FormatShowTime(ms);
}

int Transport::SlotAt(std::int64_t ms) const {
    return SlotAtMs(ms, Host.SlotMs()) - 1;
}

void Transport::TakeCueFromPlayer() {
    Cue = Player.PositionMs();
    Slot = SlotAt(Cue);
}

void Transport::SetLooping(bool on) {
    Loop = on;
    Player.SetLooping(on);
}

void Transport::LeaveRange() {
    RangeEnd = -1;
    Player.ClearPlayRange();
}

void Transport::FollowRange() {
    if (Playing()) {
        const std::int64_t wraps = Player.RangeWraps();
        if (wraps != SeenWraps) {
            // Round again: the outputs are told the whole state at the start, the view goes
            // back too.
            SeenWraps = wraps;
            Clock.Resync();
            Host.ScrollTo(SavedScrollX);
        }
        return;
    }
    if (Loop) {
        // Loop came back on after the player had already made ready to stop: round again
        // from the start, a moment late.
        Player.Seek(RangeStart);
        Player.Play();
        SeenWraps = Player.RangeWraps();
        Clock.Resync();
        Host.ScrollTo(SavedScrollX);
        return;
    }
    // The player stopped at the range's end: back to the range's start, which is the cue, as
    // Stop leaves it.
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Seek(Cue);
    Slot = SlotAt(Cue);
    Host.ScrollTo(SavedScrollX);
}

void Transport::PositionUpdate() {
    if (!Player.IsOpen())
        return;
    if (RangeEnd >= 0)
        FollowRange();
    const std::int64_t position = Player.PositionMs();
    Slot = SlotAt(position);
    Host.ShowTime(position);

    const std::int64_t offset = Host.ScrollOffset();
    const std::int64_t cursorX = XOf(position);
    const std::int64_t x = cursorX - offset;
    const int viewWidth = Host.ViewWidth();
    if (x >= 0 && x <= viewWidth) {
        Follow = true;
        CursorInView = true;
    } else {
        CursorInView = false;
    }
    if (Playing()) {
        Clock.TickWork(Slot);
        if (x > viewWidth && Follow)
            Host.ScrollTo(Host.ScrollOffset() + viewWidth);
    }
    Host.PlaceMarkers(cursorX, XOf(Cue));
}

void Transport::PlaceMarkers() {
    if (Player.IsOpen())
        Host.PlaceMarkers(XOf(Player.PositionMs()), XOf(Cue));
}

void Transport::StartPlaying() {
    Player.Seek(Cue);
    Slot = SlotAt(Cue);
    Follow = true;
    Player.Play();
    SeenWraps = Player.RangeWraps();
    Clock.Enable(true);
    Clock.Resync();
    Host.ScrollTo(SavedScrollX);
    PositionUpdate();
}

void Transport::Play() {
    if (!Player.IsOpen())
        return;
    LeaveRange();
    StartPlaying();
}

void Transport::PlayRange(std::int64_t fromMs, std::int64_t toMs) {
    if (!Player.IsOpen() || toMs <= fromMs)
        return;
    if (Recording)
        EndRecordMode();
    RangeStart = std::max<std::int64_t>(fromMs, 0);
    RangeEnd = std::min(toMs, Player.LengthMs());
    if (RangeEnd <= RangeStart) {
        LeaveRange();
        return;
    }
    Cue = RangeStart;
    Player.SetPlayRange(RangeStart, RangeEnd);
    // The view starts where the range starts unless that is in view already.
    const std::int64_t startX = XOf(RangeStart);
    const std::int64_t offset = Host.ScrollOffset();
    SavedScrollX = startX >= offset && startX <= offset + Host.ViewWidth() ? offset : startX;
    StartPlaying();
}

void Transport::Stop() {
    if (!Playing())
        return;
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Stop();
    Player.Seek(Cue);
    Slot = SlotAt(Cue);
    Host.ScrollTo(SavedScrollX);
    PositionUpdate();
}

void Transport::Pause() {
    if (!Playing())
        return;
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Stop();
    const std::int64_t offset = Host.ScrollOffset();
    // Where the cue marker stands before it moves to the paused position.
    const std::int64_t oldCueX = XOf(Cue) - offset;
    TakeCueFromPlayer();
    SavedScrollX = CursorInView ? offset : offset + oldCueX;
    Clock.Enable(false);
    Host.ScrollTo(SavedScrollX);
    PositionUpdate();
}

void Transport::GoToBeginning() {
    if (!Player.IsOpen())
        return;
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Seek(0);
    TakeCueFromPlayer();
    Host.ScrollTo(0);
    SavedScrollX = Host.ScrollOffset();
    PositionUpdate();
}

void Transport::GoToEnd() {
    if (!Player.IsOpen())
        return;
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Seek(Player.LengthMs());
    TakeCueFromPlayer();
    Host.ScrollTo(Host.Axis().ContentWidth());
    SavedScrollX = Host.ScrollOffset();
    PositionUpdate();
}

void Transport::Locate(int viewX) {
    const TimeAxis axis = Host.Axis();
    const std::int64_t width = axis.ContentWidth();
    const std::int64_t contentX = viewX + Host.ScrollOffset();
    if (!Player.IsOpen() || !Host.HasWaveform() || width <= 0 || contentX > width)
        return;
    LeaveRange();
    const bool wasPlaying = Playing();
    Player.Seek(axis.CursorMs(contentX));
    TakeCueFromPlayer();
    if (wasPlaying && !Playing())
        Player.Play();
    if (wasPlaying)
        Clock.Resync();
    PositionUpdate();
    SavedScrollX = Host.ScrollOffset();
}

void Transport::LocateMs(std::int64_t ms) {
    if (!Player.IsOpen())
        return;
    const bool wasPlaying = Playing();
    Player.Seek(std::clamp<std::int64_t>(ms, 0, Player.LengthMs()));
    TakeCueFromPlayer();
    if (wasPlaying && !Playing())
        Player.Play();
    if (wasPlaying)
        Clock.Resync();
    const std::int64_t x = XOf(Player.PositionMs());
    const std::int64_t offset = Host.ScrollOffset();
    const int viewWidth = Host.ViewWidth();
    if (x < offset)
        Host.ScrollTo(x);
    else if (viewWidth > 0 && x >= offset + viewWidth)
        Host.ScrollTo(x - viewWidth + 1);
    PositionUpdate();
    SavedScrollX = Host.ScrollOffset();
}

void Transport::JumpToMs(std::int64_t ms) {
    if (!Player.IsOpen())
        return;
    LeaveRange();
    LocateMs(ms);
}

void Transport::StepCell(int direction, std::int64_t cellMs) {
    if (!Player.IsOpen() || cellMs <= 0 || direction == 0)
        return;
    const std::int64_t position = Player.PositionMs();
    const std::int64_t start = position / cellMs * cellMs;
    // Back from inside a cell goes to its start; from a cell's start to the one before.
    const std::int64_t target =
        direction > 0 ? start + cellMs : (start < position ? start : start - cellMs);
    LocateMs(target);
}

void Transport::EndRecordMode() {
    Recording = false;
    Host.ShowRecordMode(false);
    if (Host.ProjectModified())
        Host.TakeSnapshot();
}

void Transport::Record() {
    if (!Recording) {
        Recording = true;
        Host.ShowRecordMode(true);
        if (Player.IsOpen() && !Playing())
            Play();
        return;
    }
    EndRecordMode();
    if (Player.IsOpen() && Playing())
        Pause();
}

void Transport::Reset() {
    Cue = 0;
    SavedScrollX = 0;
    Follow = false;
    CursorInView = false;
    Slot = 0;
    Recording = false;
    Host.ShowRecordMode(false);
}

} // namespace lumivox
