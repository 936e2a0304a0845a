// What the live show asks of each output it feeds: the per-tick work, the state chase, the
// blackout and how the output is doing. The serial link to the unit and DMX through olad are
// two such outputs; a new one implements this and is added to the live show.
#pragma once

#include "model/ProjectClasses.h"

#include <QString>

namespace lumivox {

// How an output is doing, as the operator would want to know it.
enum class TOutputHealth {
    Off,     // not switched on, or nothing to send to
    Live,    // sending and keeping up
    Behind,  // sending, but what it has been given has not all gone out yet
    Failing, // switched on but its far end does not answer
};

// Where a blackout started by StartBlackout stands.
enum class TBlackoutState {
    Pending,   // under way
    Delivered, // the far end holds 0 everywhere (or the output had nothing to black out)
    Failed,    // the far end cannot be reached any more; the output gave up
};

class ILiveOutput {
public:
    virtual ~ILiveOutput() = default;

    // A short name for messages and listings ("serial", "DMX").
    virtual QString OutputName() const = 0;
    // The output wants the per-tick work now.
    virtual bool Active() const = 0;

    // One tick: TickBegin once, TickTrack for each heard track in the show's order, TickEnd.
    // `slot` is the show's slot (1-based, as the tracks number their values) whose values
    // the outputs hold from now on.
    virtual void TickBegin(int slot) = 0;
    virtual void TickTrack(const TFullTrack& track, int slot) = 0;
    virtual void TickEnd() = 0;

    // The whole state goes out at the next tick (after Play, a Locate, a jump of the clock).
    virtual void RequestChase() = 0;

    // Starts sending every output 0 and returns at once; the live show waits in the event
    // loop until each output's blackout has ended or its time limit, every output's blackout
    // under way at once. An output that was not active has nothing to black out.
    virtual void StartBlackout() = 0;
    virtual TBlackoutState BlackoutState() const = 0;
    // How long the live show waits for this output's blackout before giving up on it.
    virtual int BlackoutPatienceMs() const { return 10000; }

    virtual TOutputHealth Health() const = 0;
};

} // namespace lumivox
