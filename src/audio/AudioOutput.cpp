// The null output's pacing thread, and the PortAudio output with its choice of device and its
// latency-compensated count of heard frames.
#include "audio/AudioOutput.h"

#include <pa_jack.h>
#include <portaudio.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lumivox {

namespace {

constexpr std::int64_t NanosecondsPerSecond = 1'000'000'000;

std::chrono::nanoseconds SteadyNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// Whole frames in `elapsed` at `rate`, without overflow for any practical duration.
std::int64_t FramesIn(std::chrono::nanoseconds elapsed, long rate) {
    const std::int64_t ns = std::max<std::int64_t>(elapsed.count(), 0);
    return ns / NanosecondsPerSecond * rate +
           ns % NanosecondsPerSecond * rate / NanosecondsPerSecond;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Null output

namespace {
constexpr std::size_t NullChunkFrames = 1024;
constexpr std::chrono::milliseconds NullPumpInterval{1};
} // namespace

NullOutput::NullOutput(long rate, IFrameSource& source, OutputClock clock)
    : Rate(rate), Source(source), Clock(clock ? std::move(clock) : OutputClock(SteadyNow)),
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
    return Thread.joinable() ? FramesIn(Clock() - StartTime, Rate) : 0;
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
// PortAudio output

namespace {

// The JACK graph shows the editor under this name instead of PortAudio's.
constexpr char JackClientName[] = "Lumivox Editor";

class PortAudioOutput final : public AudioOutput {
public:
    PortAudioOutput(long rate, IFrameSource& source) : Rate(rate), Source(source) {}

    ~PortAudioOutput() override {
        Stop();
        if (Stream)
            Pa_CloseStream(Stream);
        if (Initialised)
            Pa_Terminate();
    }

    PortAudioOutput(const PortAudioOutput&) = delete;
    PortAudioOutput& operator=(const PortAudioOutput&) = delete;

    // Initialises PortAudio and opens the stream on the first device that accepts it.
    bool Open() {
        PaJack_SetClientName(JackClientName);
        Initialised = Pa_Initialize() == paNoError;
        if (!Initialised)
            return false;
        for (const PaDeviceIndex device : CandidateDevices()) {
            if (OpenOn(device))
                return true;
        }
        return false;
    }

    bool Start() override {
        if (Running)
            return true;
        Running = Stream && Pa_StartStream(Stream) == paNoError;
        return Running;
    }

    void Stop() override {
        if (!Running)
            return;
        // Abort rather than drain: the frames still queued are not wanted, and the call
        // returns within one device period.
        Pa_AbortStream(Stream);
        Running = false;
    }

    std::int64_t HeardFrames() const override {
        const Snapshot last = Published();
        const std::chrono::nanoseconds stillQueued{last.HeardEnd - SteadyNow().count()};
        const std::int64_t pending = std::min(FramesIn(stillQueued, Rate), last.Handed);
        return last.Handed - pending;
    }

    std::int64_t DueFrames() const override { return Published().Handed; }

    TOutputKind Kind() const override { return TOutputKind::Device; }
    QString Name() const override { return DeviceName; }

private:
    // JACK's default output when its host interface is present (PortAudio only brings it up
    // when it reaches a running server), then the system's default output device.
    struct Snapshot {
        std::int64_t Handed = 0;
        std::int64_t HeardEnd = 0;
    };

    // What the callback published last, read under the sequence lock.
    Snapshot Published() const {
        Snapshot last;
        std::uint32_t before = 0;
        std::uint32_t after = 0;
        do {
            before = Sequence.load(std::memory_order_acquire);
            last.Handed = PublishedHanded.load(std::memory_order_relaxed);
            last.HeardEnd = PublishedHeardEnd.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            after = Sequence.load(std::memory_order_relaxed);
        } while (before != after || (before & 1U) != 0);
        return last;
    }

    static std::vector<PaDeviceIndex> CandidateDevices() {
        std::vector<PaDeviceIndex> devices;
        const PaHostApiIndex jack = Pa_HostApiTypeIdToHostApiIndex(paJACK);
        if (jack >= 0) {
            const PaHostApiInfo* info = Pa_GetHostApiInfo(jack);
            if (info && info->deviceCount > 0 && info->defaultOutputDevice != paNoDevice)
                devices.push_back(info->defaultOutputDevice);
        }
        const PaDeviceIndex fallback = Pa_GetDefaultOutputDevice();
        if (fallback != paNoDevice &&
            std::find(devices.begin(), devices.end(), fallback) == devices.end())
            devices.push_back(fallback);
        return devices;
    }

    bool OpenOn(PaDeviceIndex device) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        if (!info || info->maxOutputChannels < 2)
            return false;
        PaStreamParameters parameters{};
        parameters.device = device;
        parameters.channelCount = 2;
        parameters.sampleFormat = paInt16;
        parameters.suggestedLatency = info->defaultHighOutputLatency;
        if (Pa_OpenStream(&Stream, nullptr, &parameters, static_cast<double>(Rate),
                          paFramesPerBufferUnspecified, paNoFlag, &PortAudioOutput::Callback,
                          this) != paNoError) {
            Stream = nullptr;
            return false;
        }
        const PaStreamInfo* stream = Pa_GetStreamInfo(Stream);
        StreamLatency = stream ? stream->outputLatency : 0.0;
        const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
        DeviceName = QString::fromUtf8(host ? host->name : "?") + QStringLiteral(": ") +
                     QString::fromUtf8(info->name);
        return true;
    }

    static int Callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags,
                        void* self) {
        static_cast<PortAudioOutput*>(self)->Process(static_cast<std::int16_t*>(output),
                                                     static_cast<std::size_t>(frames), timeInfo);
        return paContinue;
    }

    void Process(std::int16_t* out, std::size_t frames,
                 const PaStreamCallbackTimeInfo* timeInfo) noexcept {
        const std::size_t filled = std::min(Source.Render(out, frames, Handed), frames);
        std::memset(out + filled * 2, 0, (frames - filled) * 2 * sizeof(std::int16_t));
        Handed += static_cast<std::int64_t>(frames);

        // Time until the first frame of this buffer reaches the listener, as the host reports
        // it; the stream's nominal latency when the host gives no usable times.
        double latency = StreamLatency;
        if (timeInfo && timeInfo->outputBufferDacTime > 0.0 && timeInfo->currentTime > 0.0) {
            const double reported = timeInfo->outputBufferDacTime - timeInfo->currentTime;
            if (reported >= 0.0 && reported < 2.0)
                latency = reported;
        }
        const std::int64_t heardEnd =
            SteadyNow().count() + std::llround(latency * 1e9) +
            static_cast<std::int64_t>(frames) * NanosecondsPerSecond / Rate;

        // Publish the pair under a sequence lock, so a reader never mixes two callbacks.
        const std::uint32_t sequence = Sequence.load(std::memory_order_relaxed);
        Sequence.store(sequence + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        PublishedHanded.store(Handed, std::memory_order_relaxed);
        PublishedHeardEnd.store(heardEnd, std::memory_order_relaxed);
        Sequence.store(sequence + 2, std::memory_order_release);
    }

    const long Rate;
    IFrameSource& Source;
    bool Initialised = false;
    bool Running = false;
    PaStream* Stream = nullptr;
    double StreamLatency = 0.0;
    QString DeviceName;
    std::int64_t Handed = 0; // audio thread only
    // Frames handed to the device, and the steady-clock time (ns) at which the last of them
    // will have been heard.
    std::atomic<std::uint32_t> Sequence{0};
    std::atomic<std::int64_t> PublishedHanded{0};
    std::atomic<std::int64_t> PublishedHeardEnd{0};
};

} // namespace

std::unique_ptr<AudioOutput> OpenDeviceOutput(long rate, IFrameSource& source) {
    auto output = std::make_unique<PortAudioOutput>(rate, source);
    if (!output->Open())
        return nullptr;
    return output;
}

} // namespace lumivox
