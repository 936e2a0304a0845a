// The null output's pacing thread, and the choice of the sound device.
#include "audio/playback/AudioOutput.h"

#include "audio/playback/DeviceOutputSupport.h"

#include <algorithm>

namespace lumivox {

// ---------------------------------------------------------------------------------------------
// Null output

namespace {
constexpr std::size_t NullChunkFrames = 1024;
constexpr std::chrono::milliseconds NullPumpInterval{1};
} // namespace

NullOutput::NullOutput(long rate, IFrameSource& source, OutputClock clock)
    : OutputRate(rate), Source(source), Clock(clock ? std::move(clock) : OutputClock(SteadyNow)),
      Buffer(NullChunkFrames * 2) {}

NullOutput::~NullOutput() {
    Stop();
}

bool NullOutput::Start() {
    if (Thread.joinable())
        return true;
    StartTime = Clock();
    Consumed.store(0, std::memory_order_release);
    StopRequested.store(false);
    Thread = std::thread([this] { Run(); });
    return true;
}

void NullOutput::Stop() {
    if (!Thread.joinable())
        return;
    {
        // Set under the lock so the pacing thread cannot miss the wake-up between its check
        // and its wait.
        std::lock_guard lock(WakeMutex);
        StopRequested.store(true);
    }
    Wake.notify_all();
    Thread.join();
}

std::int64_t NullOutput::DueFrames() const {
    return Thread.joinable() ? FramesIn(Clock() - StartTime, OutputRate) : 0;
}

void NullOutput::Run() {
    std::unique_lock lock(WakeMutex);
    while (!StopRequested.load()) {
        lock.unlock();
        // Hand the source every frame the clock says is due; when it holds some back, they
        // stay due and are offered again on the next pass.
        std::int64_t due = DueFrames() - Consumed.load(std::memory_order_relaxed);
        while (due > 0 && !StopRequested.load()) {
            const std::size_t offered =
                static_cast<std::size_t>(std::min<std::int64_t>(due, NullChunkFrames));
            const std::int64_t at = Consumed.load(std::memory_order_relaxed);
            const std::size_t taken = Source.Render(Buffer.data(), offered, at);
            Consumed.store(at + static_cast<std::int64_t>(taken), std::memory_order_release);
            if (taken < offered)
                break;
            due -= static_cast<std::int64_t>(taken);
        }
        lock.lock();
        Wake.wait_for(lock, NullPumpInterval, [this] { return StopRequested.load(); });
    }
}

// ---------------------------------------------------------------------------------------------
// The device

std::unique_ptr<AudioOutput> OpenDeviceOutput(long rate, IFrameSource& source) {
    SilenceSoundLibraryMessages();
    if (std::unique_ptr<AudioOutput> jack = OpenJackOutput(source))
        return jack;
    return OpenPortAudioOutput(rate, source);
}

} // namespace lumivox
