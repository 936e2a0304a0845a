// The show clock: a 10 ms tick of its own that follows the position the listener hears and,
// while the song plays, runs the per-slot work: recording live input into armed tracks, finding
// the outputs' changes and sending them to the playback unit.
#pragma once

#include "audio/MediaPlayer.h"
#include "audio/Transport.h"
#include "model/ShowDocument.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QTimer;

namespace lumivox {

class RealTimeOutput;
class TDmxOutput;

// Records the live input of one heard track at the current slot (0-based).
using TrackRecorder = std::function<void(const TFullTrack& track, int currentSlot)>;

// For each heard track in order (TFullTrack::Heard): record, then detect its change and add it
// to the DMX frame. Then sends what waits, and the frame when it is due. DMX reads the same slot
// as the serial output.
void RunTickWork(const ShowDocument& document, int currentSlot, const TrackRecorder& record,
                 RealTimeOutput& output, TDmxOutput* dmx = nullptr);

// The clock keeps ticking whatever window is in front: outputs must never freeze while the
// music goes on. While the song plays each tick falls just after a 10 ms step of song time,
// so a slot's start is seen within about a millisecond; while it does not, the clock idles.
class ShowClock : public QObject, public IShowClock {
    Q_OBJECT
public:
    static constexpr int TickMs = 10;
    static constexpr int IdleTickMs = 100;

    ShowClock(IMediaPlayer& player, ShowDocument& document, RealTimeOutput& output,
              QObject* parent = nullptr);

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
    // The DMX output fed beside the serial one (none by default).
    void SetDmxOutput(TDmxOutput* dmx) { Dmx = dmx; }

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
    RealTimeOutput& Output;
    TDmxOutput* Dmx = nullptr;
    QTimer* Timer;
    std::function<void()> PositionUpdate;
    TrackRecorder Record;
    std::function<bool()> OutputWatch;
    bool IsEnabled = false;
    int OffsetMs = 0;
};

} // namespace lumivox
