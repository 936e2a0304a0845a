// Where the player's frames go: a PortAudio stream on the sound device, or a null output that
// consumes frames in real time when no device can be opened. Both pull 16-bit stereo frames
// from a source on their own thread and report how many frames the listener has heard.
#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lumivox {

// Supplies frames to an output. Called on the output's thread only, so it must neither block
// nor allocate.
class IFrameSource {
public:
    virtual ~IFrameSource() = default;
    // Fills the start of `out` (room for `frames` interleaved stereo frames) and returns how
    // many frames it filled. The first of them is the output's frame number `deviceFrame`
    // (counted from the output's start). Fewer than `frames` means the source is waiting for
    // data it must not skip: a device output plays the rest as silence and its next call
    // starts that many frames later; the null output offers those frames again later.
    virtual std::size_t Render(std::int16_t* out, std::size_t frames,
                               std::int64_t deviceFrame) noexcept = 0;
};

enum class TOutputKind { Device, Null };

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts pulling frames from the source; false when the device refuses.
    virtual bool Start() = 0;
    // Returns once the source is no longer called. Safe to call when not started.
    virtual void Stop() = 0;
    // Frames the listener has heard since the start: frames handed to the device minus those
    // still in its buffers. Never negative, and never more than the frames handed out.
    virtual std::int64_t HeardFrames() const = 0;
    // Frames the output has asked for by now or, for the null output, the frames its clock
    // has made due, asked for yet or not. A source uses it to tell frames of time that passed
    // before a command from frames after it.
    virtual std::int64_t DueFrames() const = 0;
    virtual TOutputKind Kind() const = 0;
    // Host interface and device, for messages and tests.
    virtual QString Name() const = 0;
};

// A monotonic clock for the null output, as time since an arbitrary origin.
using OutputClock = std::function<std::chrono::nanoseconds()>;

// Builds the output that plays at `rate` frames per second from `source`; empty when no
// device can take the stream.
using OutputFactory = std::function<std::unique_ptr<AudioOutput>(long rate, IFrameSource& source)>;

// Consumes frames at the pace of its clock on its own thread, with no sound. When the source
// holds frames back, the null output asks for them again instead of counting silence, so the
// frames it has consumed always equal the clock's time since the start once the source
// catches up. With a manual clock a test decides exactly how much time has passed.
class NullOutput final : public AudioOutput {
public:
    // `clock` defaults to std::chrono::steady_clock.
    NullOutput(long rate, IFrameSource& source, OutputClock clock = {});
    ~NullOutput() override;

    bool Start() override;
    void Stop() override;
    std::int64_t HeardFrames() const override { return Consumed.load(std::memory_order_acquire); }
    std::int64_t DueFrames() const override;
    TOutputKind Kind() const override { return TOutputKind::Null; }
    QString Name() const override { return QStringLiteral("null output"); }

private:
    void Run();

    const long Rate;
    IFrameSource& Source;
    const OutputClock Clock;
    std::vector<std::int16_t> Buffer;
    std::chrono::nanoseconds StartTime{0};
    std::atomic<std::int64_t> Consumed{0};
    std::mutex WakeMutex;
    std::condition_variable Wake;
    std::atomic<bool> StopRequested{false};
    std::thread Thread;
};

// Opens a PortAudio stream of 16-bit stereo at `rate` on the preferred device: JACK's default
// output when a JACK server runs, otherwise the system's default output device. Empty when
// PortAudio finds no device that accepts the stream.
std::unique_ptr<AudioOutput> OpenDeviceOutput(long rate, IFrameSource& source);

} // namespace lumivox
