// The show clock: a 10 ms tick of its own that follows the position the listener hears and,
// while the song plays, runs the per-slot work: recording live input into armed tracks and
// handing the heard tracks to every live output (the unit's serial link, DMX).
#pragma once

#include "audio/playback/MediaPlayer.h"
#include "model/ShowDocument.h"
#include "show/Transport.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

class QTimer;

namespace lumivox {

class ILiveOutput;

// Records the live input of one heard track at the current slot (0-based, as the MIDI
// mapping writes the value at index currentSlot + 1).
using TrackRecorder = std::function<void(const TFullTrack& track, int currentSlot)>;

// For each heard track in order (TFullTrack::Heard): record, then hand it to every active
// output. Every output reads the same slot: `currentSlot` (0-based) is the show's slot
// currentSlot + 1.
void RunTickWork(const ShowDocument& document, int currentSlot, const TrackRecorder& record,
                 const std::vector<ILiveOutput*>& outputs);

// The clock keeps ticking whatever window is in front: outputs must never freeze while the
// music goes on. While the song plays each tick falls just after a 10 ms step of song time,
// so a slot's start is seen within about a millisecond; while it does not, the clock idles.
class ShowClock : public QObject, public IShowClock {
    Q_OBJECT
public:
    static constexpr int TickMs = 10;
    static constexpr int IdleTickMs = 100;

    ShowClock(IMediaPlayer& player, ShowDocument& document, QObject* parent = nullptr);

    // The outputs the per-slot work feeds, in the order added; an output is added once.
    void AddOutput(ILiveOutput& output);
    void RemoveOutput(ILiveOutput& output);
    const std::vector<ILiveOutput*>& Outputs() const { return LiveOutputs; }
    // An output was switched on while the song plays: it learns the state now, from the
    // event loop, not a tick later.
    void TickSoon();

    // The transport's position update, run first on every tick; it calls TickWork while the
    // song plays.
    void SetPositionUpdate(std::function<void()> update) { PositionUpdate = std::move(update); }
    void SetRecorder(TrackRecorder record) { Record = std::move(record); }
    // The outputs' lead over the heard audio in milliseconds, within ±MaxOutputOffsetMs:
    // positive sends each slot that much before it is heard, negative that much after. Live
    // recording uses the same shifted slot, so what is recorded comes out again in step with
    // the audio it was played to.
    static constexpr int MaxOutputOffsetMs = 500;
    void SetOutputOffsetMs(int ms);
    int OutputOffsetMs() const { return OffsetMs; }
    // The slot (0-based) the outputs and the recording get at song position `positionMs`.
    int ShiftedSlot(std::int64_t positionMs) const;

    // Asked on every tick while the song plays; true once when the sound device was lost (the
    // player then goes on on the system clock).
    void SetOutputWatch(std::function<bool()> watch) { OutputWatch = std::move(watch); }

    // Enabled at start, by Play; disabled by Pause.
    void Enable(bool on) override;
    // `currentSlot` is the slot heard now; the work runs on the shifted slot.
    void TickWork(int currentSlot) override;
    // The position jumped (Play, Locate, a lost device): the outputs get the whole state.
    void Resync() override;

    bool Enabled() const { return IsEnabled; }
    // The tick is armed.
    bool Running() const;
    // One tick now: the timer's work, also for tests.
    void Tick();
    // Milliseconds until the next tick: just past the next 10 ms of song time while playing.
    int MsToNextTick() const;

Q_SIGNALS:
    // The sound device was lost while playing; reported from the event loop, after the tick.
    void OutputLost();

private:
    void Arm();

    IMediaPlayer& Player;
    ShowDocument& Document;
    std::vector<ILiveOutput*> LiveOutputs;
    QTimer* Timer;
    std::function<void()> PositionUpdate;
    TrackRecorder Record;
    std::function<bool()> OutputWatch;
    bool IsEnabled = false;
    int OffsetMs = 0;
};

} // namespace lumivox
