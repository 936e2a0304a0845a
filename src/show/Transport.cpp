// The transport commands and the position update, in the order the show clock relies on.
#include "show/Transport.h"

#include "core/SlotTime.h"
#include "core/TimeText.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

Transport::Transport(IMediaPlayer& player, ITransportHost& host, IShowClock& clock)
    : Player(player), Host(host), Clock(clock) {}

void Transport::AddListener(ITransportListener* listener) {
    if (listener != nullptr &&
        std::find(Listeners.begin(), Listeners.end(), listener) == Listeners.end())
        Listeners.push_back(listener);
}

void Transport::RemoveListener(ITransportListener* listener) {
    Listeners.erase(std::remove(Listeners.begin(), Listeners.end(), listener), Listeners.end());
}

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
            Tell([](ITransportListener& l) { l.BackToCue(); });
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
        Tell([](ITransportListener& l) { l.BackToCue(); });
        return;
    }
    // The player stopped at the range's end: back to the range's start, which is the cue, as
    // Stop leaves it.
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Seek(Cue);
    Slot = SlotAt(Cue);
    Tell([](ITransportListener& l) { l.BackToCue(); });
}

void Transport::PositionUpdate() {
    if (!Player.IsOpen())
        return;
    if (RangeEnd >= 0)
        FollowRange();
    const std::int64_t position = Player.PositionMs();
    Slot = SlotAt(position);
    Host.ShowTime(position);
    const bool playing = Playing();
    if (playing)
        Clock.TickWork(Slot);
    Tell([&](ITransportListener& l) { l.PositionChanged(position, Cue, playing); });
}

void Transport::PlaceMarkers() {
    if (!Player.IsOpen())
        return;
    const std::int64_t position = Player.PositionMs();
    Tell([&](ITransportListener& l) { l.MarkersMoved(position, Cue); });
}

void Transport::StartPlaying() {
    Player.Seek(Cue);
    Slot = SlotAt(Cue);
    Player.Play();
    SeenWraps = Player.RangeWraps();
    Clock.Enable(true);
    Clock.Resync();
    Tell([](ITransportListener& l) { l.PlayStarted(); });
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
    Tell([this](ITransportListener& l) { l.RangeStarting(RangeStart); });
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
    Tell([](ITransportListener& l) { l.BackToCue(); });
    PositionUpdate();
}

void Transport::Pause() {
    if (!Playing())
        return;
    LeaveRange();
    if (Recording)
        EndRecordMode();
    Player.Stop();
    const std::int64_t oldCue = Cue;
    TakeCueFromPlayer();
    Clock.Enable(false);
    Tell([oldCue](ITransportListener& l) { l.Paused(oldCue); });
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
    Tell([](ITransportListener& l) { l.WentToEnd(false); });
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
    Tell([](ITransportListener& l) { l.WentToEnd(true); });
    PositionUpdate();
}

void Transport::Locate(std::int64_t ms) {
    if (!Player.IsOpen())
        return;
    LeaveRange();
    const bool wasPlaying = Playing();
    Player.Seek(std::clamp<std::int64_t>(ms, 0, Player.LengthMs()));
    TakeCueFromPlayer();
    if (wasPlaying && !Playing())
        Player.Play();
    if (wasPlaying)
        Clock.Resync();
    PositionUpdate();
    Tell([](ITransportListener& l) { l.Located(); });
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
    const std::int64_t position = Player.PositionMs();
    Tell([position](ITransportListener& l) { l.Revealing(position); });
    PositionUpdate();
    Tell([](ITransportListener& l) { l.Located(); });
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
    Slot = 0;
    Recording = false;
    Host.ShowRecordMode(false);
    Tell([](ITransportListener& l) { l.Reset(); });
}

} // namespace lumivox
