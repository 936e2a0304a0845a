// The transport: Play, Stop, Pause, Go to beginning and end, Locate and Record over the media
// player, and the position update that drives the time display and the per-slot work while
// playing and that it publishes to its listeners (the play cursor and the paging view).
#pragma once

#include "audio/playback/MediaPlayer.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace lumivox {

// What the transport needs of the window around it.
class ITransportHost {
public:
    virtual ~ITransportHost() = default;
    // Milliseconds per slot of the project.
    virtual int SlotMs() const = 0;
    // Shows the position (ms) in the time display.
    virtual void ShowTime(std::int64_t positionMs) = 0;
    virtual void ShowRecordMode(bool on) = 0;
    // Ending record mode takes an undo snapshot when something was recorded.
    virtual bool ProjectModified() const = 0;
    virtual void TakeSnapshot() = 0;
};

// A transport without a window (a rehearsal without a screen, the benchmarks): nothing is
// shown.
class HeadlessTransportHost : public ITransportHost {
public:
    explicit HeadlessTransportHost(int slotMs = 100) : Resolution(slotMs) {}
    int SlotMs() const override { return Resolution; }
    void ShowTime(std::int64_t) override {}
    void ShowRecordMode(bool) override {}
    bool ProjectModified() const override { return false; }
    void TakeSnapshot() override {}

private:
    int Resolution;
};

// What the transport tells those who follow it, such as the view that pages along with the
// play cursor. Each command's calls come in its order, on the thread that runs the
// transport.
class ITransportListener {
public:
    virtual ~ITransportListener() = default;
    // The position was published: at every tick while playing and after every command.
    virtual void PositionChanged(std::int64_t positionMs, std::int64_t cueMs, bool playing) = 0;
    // The play cursor and the cue stand at these times; nothing else changed (a new scale).
    virtual void MarkersMoved(std::int64_t /*positionMs*/, std::int64_t /*cueMs*/) {}
    // Play, or a play range, starts from the cue.
    virtual void PlayStarted() {}
    // A play range from `startMs` is about to start.
    virtual void RangeStarting(std::int64_t /*startMs*/) {}
    // The song went back to the cue: Stop, the end of a play range or its next round.
    virtual void BackToCue() {}
    // Pause: the cue moved from `oldCueMs` to where the song paused.
    virtual void Paused(std::int64_t /*oldCueMs*/) {}
    // Go to the beginning (false) or to the end (true).
    virtual void WentToEnd(bool /*end*/) {}
    // A move to `ms` wants the play cursor shown; comes before the new position.
    virtual void Revealing(std::int64_t /*ms*/) {}
    // A move of the cue is over.
    virtual void Located() {}
    // Back to the start state (a new song).
    virtual void Reset() {}
};

// What the transport asks of the show clock.
class IShowClock {
public:
    virtual ~IShowClock() = default;
    // Play enables the clock's tick, Pause disables it.
    virtual void Enable(bool on) = 0;
    // The per-slot work while the song plays (recording and real-time output).
    virtual void TickWork(int currentSlot) = 0;
    // The position jumped (Play, Locate): the outputs are told the whole state again.
    virtual void Resync() = 0;
};

class Transport {
public:
    Transport(IMediaPlayer& player, ITransportHost& host, IShowClock& clock);

    // `listener` (not owned) hears every position and move from now on; it must outlive the
    // transport or be removed.
    void AddListener(ITransportListener* listener);
    void RemoveListener(ITransportListener* listener);

    // Every command does nothing without a song; Stop and Pause need it playing. Play, Stop,
    // Pause, Locate and the moves to either end leave a play range.
    void Play();
    // Plays from `fromMs` (the new cue) and, at `toMs`, stops (back at the cue) or, while
    // looping, goes on from `fromMs` again until stopped. Nothing for an empty range. The
    // player itself stops or goes round at `toMs`, to the frame; each time it goes round the
    // outputs are told the whole state, and the view goes back to where the range began.
    void PlayRange(std::int64_t fromMs, std::int64_t toMs);
    // Whether a play range starts again at its end; may change while it plays.
    void SetLooping(bool on);
    bool Looping() const { return Loop; }
    bool RangePlaying() const { return RangeEnd >= 0; }
    void Stop();
    void Pause();
    void GoToBeginning();
    void GoToEnd();
    // A press on the ruler strip that lands on `ms`: leaves a play range and moves the cue
    // there (clamped into the song), playing on if it was playing.
    void Locate(std::int64_t ms);
    // Moves the play cursor to `ms` (clamped into the song) as a press on the ruler does,
    // playing on if it was playing, and asks for the cursor to be shown.
    void LocateMs(std::int64_t ms);
    // A press on the ruler that lands on `ms` rather than on a pixel (a snapped press, a jump
    // to a mark): leaves a play range as Locate does, then moves there as LocateMs does.
    void JumpToMs(std::int64_t ms);
    // One editing cell of `cellMs` back (direction < 0) or forward: to the previous or the
    // next multiple of cellMs, within the song.
    void StepCell(int direction, std::int64_t cellMs);
    // The record button: starts record mode (and playing), or ends it (and pauses).
    void Record();
    void EndRecordMode();
    // One tick of the show clock.
    void Tick() { PositionUpdate(); }
    void PositionUpdate();
    // Tells the listeners where the play cursor and the cue marker stand (after a zoom),
    // without the per-slot work of a tick.
    void PlaceMarkers();
    // Back to the start state (a new song was loaded).
    void Reset();

    std::int64_t CuePosition() const { return Cue; }
    int CurrentSlot() const { return Slot; }
    bool RecordMode() const { return Recording; }
    bool Playing() const { return Player.Mode() == TMediaMode::Playing; }

    // "hh:mm:ss,mmm" with the hours not wrapped.
    static QString FormatTime(std::int64_t ms);

private:
    void StartPlaying();
    // Forgets the play range, here and in the player.
    void LeaveRange();
    // What a range that is playing needs at a tick: going round, or its end.
    void FollowRange();
    void TakeCueFromPlayer();
    // The 0-based slot a time falls in.
    int SlotAt(std::int64_t ms) const;
    // Calls `call` on every listener.
    template <typename Call> void Tell(Call call) {
        for (ITransportListener* listener : Listeners)
            call(*listener);
    }

    IMediaPlayer& Player;
    ITransportHost& Host;
    IShowClock& Clock;
    std::vector<ITransportListener*> Listeners;
    std::int64_t Cue = 0;
    int Slot = 0;
    bool Recording = false;
    // The play range: its start and end in song time; no range while the end is negative.
    std::int64_t RangeStart = 0;
    std::int64_t RangeEnd = -1;
    bool Loop = false;
    // The player's count of wraps when the transport last looked.
    std::int64_t SeenWraps = 0;
};

} // namespace lumivox
