// The JACK output: a client of the JACK server of its own with two output ports connected to
// the server's playback ports, at the server's rate. It talks to libjack directly rather than
// through PortAudio, because PortAudio's JACK interface waits ten minutes for a server that
// has gone before it gives up (and then aborts the program), and keeps the dead connection
// until the program ends; a client of its own is closed in milliseconds and a server that
// comes back is reached by the next client.
#include "audio/playback/DeviceOutputSupport.h"
#include "audio/playback/SoundDevices.h"

#include <jack/jack.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace lumivox {

namespace {

// The JACK graph shows the editor under this name.
constexpr char JackClientName[] = "Lumivox Editor";
// Frames rendered per call of the source; a longer JACK period takes several calls.
constexpr std::size_t ScratchFrames = 2048;
constexpr float SampleScale = 1.0f / 32768.0f;

QString ServerName() {
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name && *name ? QString::fromLocal8Bit(name) : QStringLiteral("default");
}

// What the JACK threads see. It lives until the client has been closed on the device worker.
struct JackCore {
    explicit JackCore(IFrameSource& source) : Gate(source), Scratch(ScratchFrames * 2) {}

    TSourceGate Gate;
    THeardCounter Counter;
    jack_client_t* Client = nullptr;
    jack_port_t* Ports[2] = {nullptr, nullptr};
    long Rate = 0;
    QString Server;
    std::atomic<bool> ShutDown{false};
    std::atomic<std::uint32_t> LatencyFrames{0};
    // Process thread only.
    std::vector<std::int16_t> Scratch;
    std::int64_t Handed = 0;

    static int Process(jack_nframes_t frames, void* self) {
        static_cast<JackCore*>(self)->Fill(frames);
        return 0;
    }

    static void Shutdown(jack_status_t, const char*, void* self) {
        static_cast<JackCore*>(self)->ShutDown.store(true, std::memory_order_release);
    }

    static void LatencyChanged(jack_latency_callback_mode_t mode, void* self) {
        if (mode == JackPlaybackLatency)
            static_cast<JackCore*>(self)->ReadLatency();
    }

    void ReadLatency() {
        jack_latency_range_t range{};
        jack_port_get_latency_range(Ports[0], JackPlaybackLatency, &range);
        LatencyFrames.store(range.max, std::memory_order_relaxed);
    }

    void Fill(jack_nframes_t frames) noexcept {
        auto* left = static_cast<float*>(jack_port_get_buffer(Ports[0], frames));
        auto* right = static_cast<float*>(jack_port_get_buffer(Ports[1], frames));
        if (!Gate.Started()) {
            std::memset(left, 0, frames * sizeof(float));
            std::memset(right, 0, frames * sizeof(float));
            return;
        }
        for (std::size_t done = 0; done < frames;) {
            const std::size_t chunk = std::min<std::size_t>(frames - done, ScratchFrames);
            const std::size_t filled =
                Gate.Render(Scratch.data(), chunk, Handed + static_cast<std::int64_t>(done));
            for (std::size_t i = 0; i < filled; ++i) {
                left[done + i] = static_cast<float>(Scratch[2 * i]) * SampleScale;
                right[done + i] = static_cast<float>(Scratch[2 * i + 1]) * SampleScale;
            }
            std::memset(left + done + filled, 0, (chunk - filled) * sizeof(float));
            std::memset(right + done + filled, 0, (chunk - filled) * sizeof(float));
            done += chunk;
        }
        Handed += frames;
        // The buffer filled now reaches the listener after the playback latency JACK reports.
        const double latency =
            static_cast<double>(LatencyFrames.load(std::memory_order_relaxed)) / Rate;
        Counter.Publish(Handed, HeardEndFor(frames, Rate, latency));
    }
};

void CloseClient(JackCore& core) {
    if (core.Client)
        jack_client_close(core.Client);
    core.Client = nullptr;
}

// Device worker: the client, its ports, its callbacks and its connections.
std::shared_ptr<JackCore> OpenClient(IFrameSource& source) {
    SilenceSoundLibraryMessages();
    auto core = std::make_shared<JackCore>(source);
    jack_status_t status{};
    core->Client = jack_client_open(JackClientName, JackNoStartServer, &status);
    if (!core->Client)
        return nullptr;
    core->Rate = static_cast<long>(jack_get_sample_rate(core->Client));
    core->Server = ServerName();
    core->Ports[0] =
        jack_port_register(core->Client, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    core->Ports[1] =
        jack_port_register(core->Client, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!core->Ports[0] || !core->Ports[1] ||
        jack_set_process_callback(core->Client, &JackCore::Process, core.get()) != 0 ||
        jack_set_latency_callback(core->Client, &JackCore::LatencyChanged, core.get()) != 0) {
        CloseClient(*core);
        return nullptr;
    }
    jack_on_info_shutdown(core->Client, &JackCore::Shutdown, core.get());
    if (jack_activate(core->Client) != 0) {
        CloseClient(*core);
        return nullptr;
    }
    const char** playback = jack_get_ports(core->Client, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                           JackPortIsPhysical | JackPortIsInput);
    bool connected = false;
    if (playback && playback[0]) {
        // A mono device gets both channels on its one port.
        const char* second = playback[1] ? playback[1] : playback[0];
        connected = jack_connect(core->Client, jack_port_name(core->Ports[0]), playback[0]) == 0 &&
                    jack_connect(core->Client, jack_port_name(core->Ports[1]), second) == 0;
    }
    jack_free(playback);
    if (!connected) {
        CloseClient(*core);
        return nullptr;
    }
    core->ReadLatency();
    return core;
}

class JackOutput final : public TDeviceOutput<JackCore, CloseClient> {
public:
    explicit JackOutput(const std::shared_ptr<JackCore>& core)
        : TDeviceOutput(core, core->Rate, QStringLiteral("JACK"), core->Server) {}
    ~JackOutput() override = default;

    bool IsJack() const override { return true; }
    // The server went away (its client was told so), or the client was let go.
    bool Lost() const override {
        return !Shares() || Shares()->ShutDown.load(std::memory_order_acquire);
    }
};

} // namespace

std::unique_ptr<AudioOutput> OpenJackOutput(IFrameSource& source) {
    std::shared_ptr<JackCore> core =
        OpenOnWorker<JackCore>([&source] { return OpenClient(source); }, CloseClient);
    if (!core)
        return nullptr;
    return std::make_unique<JackOutput>(std::move(core));
}

QString RunningJackServer() {
    auto name = std::make_shared<QString>();
    const bool done = DeviceWorker::Instance().Run(
        [name] {
            SilenceSoundLibraryMessages();
            jack_status_t status{};
            jack_client_t* client =
                jack_client_open("Lumivox Editor probe", JackNoStartServer, &status);
            if (!client)
                return;
            *name = ServerName();
            jack_client_close(client);
        },
        DeviceOpenLimit);
    return done ? *name : QString();
}

} // namespace lumivox
