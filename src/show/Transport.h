// The transport and the show clock: Play, Stop, Pause, Go to beginning and end, Locate and
// Record over the media player, and the position update that drives the time display, the
// play cursor, the cue marker, the follow paging and the per-slot work while playing.
#pragma once

#include "audio/playback/MediaPlayer.h"
#include "core/TimeAxis.h"

#include <QString>

#include <cstdint>

namespace lumivox {

// What the transport needs of the window around it.
class ITransportHost {
public:
    virtual ~ITransportHost() = default;
    // Milliseconds per slot of the project.
    virtual int SlotMs() const = 0;
    // The timeline's time axis (its song, width and level), the views' width and their
    // horizontal scroll offset.
    virtual TimeAxis Axis() const = 0;
    virtual int ViewWidth() const = 0;
    virtual std::int64_t ScrollOffset() const = 0;
    virtual void ScrollTo(std::int64_t offset) = 0;
    // The song's waveform is loaded (locating needs it).
    virtual bool HasWaveform() const = 0;
    // Shows the position (ms) in the time display.
    virtual void ShowTime(std::int64_t positionMs) = 0;
    // Places the play cursor and the cue marker, in content x.
    virtual void PlaceMarkers(std::int64_t cursorX, std::int64_t cueX) = 0;
    virtual void ShowRecordMode(bool on) = 0;
    // Ending record mode takes an undo snapshot when something was recorded.
    virtual bool ProjectModified() const = 0;
    virtual void TakeSnapshot() = 0;
};

// A transport without a window (a rehearsal without a screen, the benchmarks): nothing is
// shown and nothing scrolls; presses on a ruler land on the axis given, if any.
class HeadlessTransportHost : public ITransportHost {
public:
    explicit HeadlessTransportHost(int slotMs = 100) : Resolution(slotMs) {}
    void SetAxis(const TimeAxis& axis) { Timeline = axis; }
    int SlotMs() const override { return Resolution; }
    TimeAxis Axis() const override { return Timeline; }
    int ViewWidth() const override { return 1000; }
    std::int64_t ScrollOffset() const override { return 0; }
    void ScrollTo(std::int64_t) override {}
    bool HasWaveform() const override { return true; }
    void ShowTime(std::int64_t) override {}
    void PlaceMarkers(std::int64_t, std::int64_t) override {}
    void ShowRecordMode(bool) override {}
    bool ProjectModified() const override { return false; }
    void TakeSnapshot() override {}

private:
    int Resolution;
    TimeAxis Timeline;
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
    // A press at `viewX` on the ruler strip.
    void Locate(int viewX);
    // Moves the play cursor to `ms` (clamped into the song) as a press on the ruler does,
    // playing on if it was playing; the view scrolls as little as it takes to show the
    // cursor when the cursor would leave it.
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
    // Places the play cursor and the cue marker again, at the timeline's current scale
    // (after a zoom), without the per-slot work of a tick.
    void PlaceMarkers();
    // Back to the start state (a new song was loaded).
    void Reset();
    // The views were resized: stop paging along until the cursor is in view again.
    void ClearFollow() { Follow = false; }

    std::int64_t CuePosition() const { return Cue; }
    int CurrentSlot() const { return Slot; }
    bool RecordMode() const { return Recording; }
    bool Following() const { return Follow; }
    bool CursorVisible() const { return CursorInView; }
    std::int64_t SavedScroll() const { return SavedScrollX; }
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
    // Content x of the play cursor or the cue marker at a time.
    std::int64_t XOf(std::int64_t ms) const { return Host.Axis().CursorX(ms); }

    IMediaPlayer& Player;
    ITransportHost& Host;
    IShowClock& Clock;
    std::int64_t Cue = 0;
    std::int64_t SavedScrollX = 0;
    bool Follow = false;
    bool CursorInView = false;
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
