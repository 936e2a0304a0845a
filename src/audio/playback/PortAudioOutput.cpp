// The PortAudio output for sound devices other than a JACK server (ALSA, and through it
// PulseAudio or PipeWire): every PortAudio call on the device worker, the stream at the song's
// rate when the device takes it and at the device's own rate otherwise.
#include "audio/playback/DeviceOutputSupport.h"
#include "audio/playback/SoundDevices.h"

#include <pa_jack.h>
#include <portaudio.h>

#include <cstring>
#include <vector>

namespace lumivox {

namespace {

// What the PortAudio callback sees. It lives until the stream has been closed on the device
// worker.
struct PortAudioCore {
    explicit PortAudioCore(IFrameSource& source) : Gate(source) {}

    TSourceGate Gate;
    THeardCounter Counter;
    bool Initialised = false;
    PaStream* Stream = nullptr;
    long Rate = 0;
    double StreamLatency = 0.0;
    QString HostApi;
    QString Device;
    std::int64_t Handed = 0; // callback thread only

    static int Callback(const void*, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* timeInfo, PaStreamCallbackFlags,
                        void* self) {
        static_cast<PortAudioCore*>(self)->Process(static_cast<std::int16_t*>(output),
                                                   static_cast<std::size_t>(frames), timeInfo);
        return paContinue;
    }

    void Process(std::int16_t* out, std::size_t frames,
                 const PaStreamCallbackTimeInfo* timeInfo) noexcept {
        if (!Gate.Started()) {
            std::memset(out, 0, frames * 2 * sizeof(std::int16_t));
            return;
        }
        const std::size_t filled = Gate.Render(out, frames, Handed);
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
        Counter.Publish(Handed, HeardEndFor(frames, Rate, latency));
    }
};

// Device worker only.
void CloseStream(PortAudioCore& core) {
    if (core.Stream) {
        // Abort rather than drain: the frames still queued are not wanted.
        Pa_AbortStream(core.Stream);
        Pa_CloseStream(core.Stream);
        core.Stream = nullptr;
    }
    if (core.Initialised)
        Pa_Terminate();
    core.Initialised = false;
}

bool OpenStreamOn(PortAudioCore& core, PaDeviceIndex device, double rate) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (!info || info->maxOutputChannels < 2)
        return false;
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.channelCount = 2;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = info->defaultHighOutputLatency;
    if (Pa_OpenStream(&core.Stream, nullptr, &parameters, rate, paFramesPerBufferUnspecified,
                      paNoFlag, &PortAudioCore::Callback, &core) != paNoError) {
        core.Stream = nullptr;
        return false;
    }
    const PaStreamInfo* stream = Pa_GetStreamInfo(core.Stream);
    core.StreamLatency = stream ? stream->outputLatency : 0.0;
    core.Rate = static_cast<long>(stream && stream->sampleRate > 0 ? stream->sampleRate : rate);
    const PaHostApiInfo* host = Pa_GetHostApiInfo(info->hostApi);
    core.HostApi = QString::fromUtf8(host ? host->name : "?");
    core.Device = QString::fromUtf8(info->name);
    return true;
}

// Device worker: initialises PortAudio (its JACK interface under the editor's name).
bool InitialisePortAudio() {
    SilenceSoundLibraryMessages();
    // PortAudio brings up its JACK interface too when a server runs; it is never used for a
    // stream (see OpenPortAudioOutput), but shows under the editor's name in the graph.
    PaJack_SetClientName("Lumivox Editor");
    const bool initialised = Pa_Initialize() == paNoError;
    SilenceSoundLibraryMessages(); // PortAudio has put its own JACK message handler in place
    return initialised;
}

// A device that can play a stereo stream, outside PortAudio's JACK interface.
bool UsableOutput(PaDeviceIndex device) {
    const PaDeviceInfo* info = device != paNoDevice ? Pa_GetDeviceInfo(device) : nullptr;
    const PaHostApiInfo* host = info ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
    return host && host->type != paJACK && info->maxOutputChannels >= 2;
}

QString HostNameOf(const PaDeviceInfo& info) {
    const PaHostApiInfo* host = Pa_GetHostApiInfo(info.hostApi);
    return QString::fromUtf8(host ? host->name : "?");
}

// The device named `hostApi` and `device`; the default output device when both are empty.
PaDeviceIndex FindDevice(const QString& hostApi, const QString& device) {
    if (hostApi.isEmpty() && device.isEmpty())
        return Pa_GetDefaultOutputDevice();
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex index = 0; index < count; ++index) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        if (info && UsableOutput(index) && HostNameOf(*info) == hostApi &&
            QString::fromUtf8(info->name) == device)
            return index;
    }
    return paNoDevice;
}

// Device worker: initialises PortAudio and opens and starts the stream on the device (the
// default output device when none is named); the callback plays silence until the output is
// started.
std::shared_ptr<PortAudioCore> OpenStream(IFrameSource& source, long rate, const QString& hostApi,
                                          const QString& deviceName) {
    auto core = std::make_shared<PortAudioCore>(source);
    core->Initialised = InitialisePortAudio();
    if (!core->Initialised)
        return nullptr;
    const PaDeviceIndex device = FindDevice(hostApi, deviceName);
    bool opened = false;
    if (UsableOutput(device)) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        opened =
            OpenStreamOn(*core, device, static_cast<double>(rate)) ||
            (info->defaultSampleRate > 0 && static_cast<long>(info->defaultSampleRate) != rate &&
             OpenStreamOn(*core, device, info->defaultSampleRate));
    }
    if (!opened || Pa_StartStream(core->Stream) != paNoError) {
        CloseStream(*core);
        return nullptr;
    }
    return core;
}

using PortAudioOutput = TDeviceOutput<PortAudioCore, CloseStream>;

} // namespace

std::unique_ptr<AudioOutput> OpenPortAudioOutput(long rate, IFrameSource& source) {
    return OpenPortAudioOutputOn({}, {}, rate, source);
}

std::unique_ptr<AudioOutput> OpenPortAudioOutputOn(const QString& hostApi, const QString& device,
                                                   long rate, IFrameSource& source) {
    std::shared_ptr<PortAudioCore> core = OpenOnWorker<PortAudioCore>(
        [&source, rate, hostApi, device] { return OpenStream(source, rate, hostApi, device); },
        CloseStream);
    if (!core)
        return nullptr;
    const long opened = core->Rate;
    const QString host = core->HostApi;
    const QString name = core->Device;
    return std::make_unique<PortAudioOutput>(std::move(core), opened, host, name);
}

std::vector<TPortAudioDevice> ListPortAudioDevices() {
    auto found = std::make_shared<std::vector<TPortAudioDevice>>();
    // The list is filled on the worker and read here only when the worker finished in time.
    const bool done = DeviceWorker::Instance().Run(
        [found] {
            if (!InitialisePortAudio())
                return;
            const PaDeviceIndex count = Pa_GetDeviceCount();
            for (PaDeviceIndex index = 0; index < count; ++index) {
                const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
                if (info && UsableOutput(index))
                    found->push_back({HostNameOf(*info), QString::fromUtf8(info->name)});
            }
            Pa_Terminate();
        },
        DeviceOpenLimit);
    return done ? *found : std::vector<TPortAudioDevice>{};
}

} // namespace lumivox
