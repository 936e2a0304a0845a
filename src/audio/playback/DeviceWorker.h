// The one thread that makes every call into the sound libraries (PortAudio and the JACK
// client library) that can block: initialising, opening, starting, stopping, closing. Callers
// wait for a call at most a bounded time, so a sound server that vanishes or freezes never
// hangs the user interface; a call that overruns is left to finish on its own.
#pragma once

#include <chrono>
#include <functional>

namespace lumivox {

class DeviceWorker {
public:
    // The process's worker. It is never destroyed, so leaving the program never waits for a
    // call that is stuck in a library.
    static DeviceWorker& Instance();

    // What becomes of a task whose caller stopped waiting before it began.
    enum class TLate {
        Skip, // it never runs (opening a device nobody waits for any more)
        Keep, // it still runs when its turn comes (closing a device)
    };

    // Runs `task` on the worker and waits for it up to `limit`. True when it ran to its end
    // in time. When it is late the caller goes on without it: a task under way runs to its
    // end with nobody waiting (it must then clean up what it made; see the output openers),
    // and one not yet begun is skipped or kept as `late` says. While a task overruns, further
    // calls do not wait at all: a skippable task fails at once, a kept one is queued.
    bool Run(std::function<void()> task, std::chrono::milliseconds limit, TLate late = TLate::Skip);

    // Queues `task` without waiting for it (closing a device that is no longer used).
    void Post(std::function<void()> task);

    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

private:
    DeviceWorker();
    struct State;
    State* Shared; // never freed, see Instance()
};

// Makes ALSA and the JACK client library keep their diagnostics to themselves: probing for
// devices and servers that are not there would otherwise print to the terminal. Called by the
// player before it looks for a device; idempotent.
void SilenceSoundLibraryMessages();

} // namespace lumivox
