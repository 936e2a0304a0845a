// What the device outputs (JACK and PortAudio) share: the steady clock, the gate through which
// their real-time callback reaches the frame source, the latency-compensated count of heard
// frames, and opening a device on the device worker with a bound.
#pragma once

#include "audio/playback/AudioOutput.h"
#include "audio/playback/DeviceWorker.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include <QString>

namespace lumivox {

inline constexpr std::int64_t NanosecondsPerSecond = 1'000'000'000;
// How long the user interface waits for a device to open, and for one to stop and close.
inline constexpr std::chrono::milliseconds DeviceOpenLimit{2000};
inline constexpr std::chrono::milliseconds DeviceCloseLimit{500};

inline std::chrono::nanoseconds SteadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// Whole frames in `elapsed` at `rate`, without overflow for any practical duration.
inline std::int64_t FramesIn(std::chrono::nanoseconds elapsed, long rate) {
    const std::int64_t ns = std::max<std::int64_t>(elapsed.count(), 0);
    return ns / NanosecondsPerSecond * rate +
           ns % NanosecondsPerSecond * rate / NanosecondsPerSecond;
}

// The callback's way to the frame source. Once Detach has returned the source is never called
// again, whatever the device's thread does afterwards, so the player can free the source or
// hand it to another output while a stuck device still holds its callback.
class TSourceGate {
public:
    explicit TSourceGate(IFrameSource& source) : Source(source) {}

    // Callback thread: renders from the source when started and not detached; otherwise (and
    // for whatever the source leaves unfilled) the caller plays silence. Returns the frames
    // the source filled.
    std::size_t Render(std::int16_t* out, std::size_t frames, std::int64_t deviceFrame) noexcept {
        // Announce the call before checking the flag; Detach sets the flag before checking
        // the announcement, so one of the two always sees the other.
        Rendering.store(true, std::memory_order_seq_cst);
        std::size_t filled = 0;
        if (Open.load(std::memory_order_seq_cst))
            filled = std::min(Source.Render(out, frames, deviceFrame), frames);
        Rendering.store(false, std::memory_order_release);
        return filled;
    }

    // Any thread: frames from the source from now on.
    void Start() { Open.store(true, std::memory_order_seq_cst); }
    bool Started() const { return Open.load(std::memory_order_acquire); }

    // UI thread: stops the calls and waits for one under way to leave the source (a render
    // never blocks, so that takes microseconds).
    void Detach() {
        Open.store(false, std::memory_order_seq_cst);
        while (Rendering.load(std::memory_order_seq_cst))
            std::this_thread::yield();
    }

private:
    IFrameSource& Source;
    std::atomic<bool> Open{false};
    std::atomic<bool> Rendering{false};
};

// Frames handed to the device and when the last of them will have been heard, published by
// the callback under a sequence lock and read by the UI thread.
class THeardCounter {
public:
    // Callback thread: `handed` frames in all, the last of them heard at `heardEnd` (steady
    // clock, ns).
    void Publish(std::int64_t handed, std::int64_t heardEnd) noexcept {
        const std::uint32_t sequence = Sequence.load(std::memory_order_relaxed);
        Sequence.store(sequence + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        Handed.store(handed, std::memory_order_relaxed);
        HeardEnd.store(heardEnd, std::memory_order_relaxed);
        Sequence.store(sequence + 2, std::memory_order_release);
    }

    // Frames handed out minus those still queued in the device, at `rate`.
    std::int64_t Heard(long rate) const {
        std::int64_t handed = 0;
        std::int64_t heardEnd = 0;
        Read(handed, heardEnd);
        const std::chrono::nanoseconds stillQueued{heardEnd - SteadyNow().count()};
        return handed - std::min(FramesIn(stillQueued, rate), handed);
    }

    std::int64_t HandedFrames() const {
        std::int64_t handed = 0;
        std::int64_t heardEnd = 0;
        Read(handed, heardEnd);
        return handed;
    }

private:
    void Read(std::int64_t& handed, std::int64_t& heardEnd) const {
        std::uint32_t before = 0;
        std::uint32_t after = 0;
        do {
            before = Sequence.load(std::memory_order_acquire);
            handed = Handed.load(std::memory_order_relaxed);
            heardEnd = HeardEnd.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            after = Sequence.load(std::memory_order_relaxed);
        } while (before != after || (before & 1U) != 0);
    }

    std::atomic<std::uint32_t> Sequence{0};
    std::atomic<std::int64_t> Handed{0};
    std::atomic<std::int64_t> HeardEnd{0};
};

// The steady-clock time (ns) at which the last of `frames` frames handed now at `rate` will
// have been heard, `latency` seconds after the first.
inline std::int64_t HeardEndFor(std::size_t frames, long rate, double latency) {
    return SteadyNow().count() + std::llround(latency * 1e9) +
           static_cast<std::int64_t>(frames) * NanosecondsPerSecond / rate;
}

// Runs `open` on the device worker and waits for it at most DeviceOpenLimit. When the worker
// is late, whatever it opens afterwards is closed there with `close`, so no device is left
// open for nobody. Empty when the device did not open in time.
template <typename Core, typename Open, typename Close>
std::shared_ptr<Core> OpenOnWorker(Open open, Close close) {
    struct Handover {
        std::mutex Mutex;
        bool CallerGone = false;
        std::shared_ptr<Core> Result;
    };
    auto handover = std::make_shared<Handover>();
    DeviceWorker::Instance().Run(
        [handover, open, close] {
            std::shared_ptr<Core> core = open();
            std::lock_guard lock(handover->Mutex);
            if (handover->CallerGone && core)
                close(*core);
            else
                handover->Result = std::move(core);
        },
        DeviceOpenLimit);
    std::lock_guard lock(handover->Mutex);
    handover->CallerGone = true;
    return std::move(handover->Result);
}

// Closes `core` on the device worker; waits at most DeviceCloseLimit when `wait` is set. The
// task owns the core, so a callback the library still holds finds it alive until the close
// has returned.
template <typename Core, typename Close>
void CloseOnWorker(std::shared_ptr<Core> core, Close close, bool wait) {
    if (!core)
        return;
    auto task = [core = std::move(core), close]() mutable {
        close(*core);
        core.reset();
    };
    if (wait)
        DeviceWorker::Instance().Run(std::move(task), DeviceCloseLimit, DeviceWorker::TLate::Keep);
    else
        DeviceWorker::Instance().Post(std::move(task));
}

// A device output over `Core`, the state its device's callback shares with it (the gate to
// the frame source and the count of heard frames), closed on the device worker by `Close`.
// Stopping detaches the callback from the source first, so a device that never answers again
// cannot reach the player; the count heard so far stays readable.
template <typename Core, void (*Close)(Core&)> class TDeviceOutput : public AudioOutput {
public:
    TDeviceOutput(std::shared_ptr<Core> core, long rate, QString host, QString device)
        : Shared(std::move(core)), FrameRate(rate), Host(std::move(host)), Dev(std::move(device)) {}
    ~TDeviceOutput() override { Release(true); }

    TDeviceOutput(const TDeviceOutput&) = delete;
    TDeviceOutput& operator=(const TDeviceOutput&) = delete;

    bool Start() override {
        if (!Shared)
            return false;
        Shared->Gate.Start();
        return true;
    }
    void Stop() override { Release(true); }
    void Abandon() override { Release(false); }

    std::int64_t HeardFrames() const override { return Counter().Heard(FrameRate); }
    std::int64_t DueFrames() const override { return Counter().HandedFrames(); }
    TOutputKind Kind() const override { return TOutputKind::Device; }
    QString Name() const override { return Host + QStringLiteral(": ") + Dev; }
    long Rate() const override { return FrameRate; }
    QString HostApi() const override { return Host; }
    QString Device() const override { return Dev; }

protected:
    const std::shared_ptr<Core>& Shares() const { return Shared; }

private:
    const THeardCounter& Counter() const { return Shared ? Shared->Counter : Finished; }

    void Release(bool wait) {
        if (!Shared)
            return;
        Shared->Gate.Detach();
        Finished.Publish(Shared->Counter.HandedFrames(), 0);
        CloseOnWorker(std::move(Shared), Close, wait);
    }

    std::shared_ptr<Core> Shared;
    const long FrameRate;
    const QString Host;
    const QString Dev;
    THeardCounter Finished; // the count once the device is let go
};

// Opens a client on the JACK server JACK_DEFAULT_SERVER names (or the default server), at the
// server's rate, connected to the server's physical playback ports. Empty when no server
// answers or it has no playback port.
std::unique_ptr<AudioOutput> OpenJackOutput(IFrameSource& source);

// Opens the system's default output device through PortAudio (never its JACK interface, which
// cannot be closed again once its server is gone): at `rate` when the device takes it,
// otherwise at the device's default rate. Empty when no device opens.
std::unique_ptr<AudioOutput> OpenPortAudioOutput(long rate, IFrameSource& source);

} // namespace lumivox
