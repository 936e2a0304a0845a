// Where the player's frames go: a JACK client or a PortAudio stream on the sound device, or a
// null output that consumes frames in real time when no device can be opened. Each pulls
// 16-bit stereo frames from a source on its own thread, at its own rate, and reports how many
// frames the listener has heard.
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
    // Returns once the source is no longer called. Safe to call when not started. A device
    // output waits a bounded time for its device to close and otherwise leaves that to go on
    // in the background.
    virtual void Stop() = 0;
    // Like Stop, without waiting for the device at all: for a device that has gone.
    virtual void Abandon() { Stop(); }
    // Frames the listener has heard since the start: frames handed to the device minus those
    // still in its buffers. Never negative, and never more than the frames handed out.
    virtual std::int64_t HeardFrames() const = 0;
    // Frames the output has asked for by now or, for the null output, the frames its clock
    // has made due, asked for yet or not. A source uses it to tell frames of time that passed
    // before a command from frames after it.
    virtual std::int64_t DueFrames() const = 0;
    virtual TOutputKind Kind() const = 0;
    // Host interface and device in one text, for messages and tests.
    virtual QString Name() const = 0;
    // Frames per second it plays; the player resamples the song to it when they differ.
    virtual long Rate() const = 0;
    // The host interface ("JACK", "ALSA", ...) and the device (for JACK the server's name);
    // empty for the null output.
    virtual QString HostApi() const { return {}; }
    virtual QString Device() const { return {}; }
    virtual bool IsJack() const { return false; }
    // True once the device has said that it is gone (a JACK server shutting down). A device
    // that vanishes silently only stops advancing HeardFrames.
    virtual bool Lost() const { return false; }
};

// A monotonic clock for the null output, as time since an arbitrary origin.
using OutputClock = std::function<std::chrono::nanoseconds()>;

// Builds the output for a song at `rate` frames per second that pulls from `source`; the output
// may run at a rate of its own (its Rate()). Empty when no device can take the stream.
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
    long Rate() const override { return OutputRate; }

private:
    void Run();

    const long OutputRate;
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

// Opens the preferred device for a song at `rate`: the JACK server JACK_DEFAULT_SERVER names (or
// the default one) when it runs, at the server's rate; otherwise the system's default output
// device through PortAudio, at `rate` when it takes it and else at the device's own rate.
// Empty when no device can be opened. Never waits for a device more than about two seconds.
std::unique_ptr<AudioOutput> OpenDeviceOutput(long rate, IFrameSource& source);

} // namespace lumivox
