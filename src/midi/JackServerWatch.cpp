// The JACK client that watches the server and the ports for the MIDI input.
#include "midi/JackServerWatch.h"

#include "midi/MidiPortList.h"

#include <jack/jack.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace lumivox {

namespace {

// JACK's threads: the server stopped, or a port went away.
void OnJackShutdown(jack_status_t, const char*, void* data) {
    static_cast<IJackWatchListener*>(data)->ServerStopped();
}

void OnJackPortRegistration(jack_port_id_t, int registered, void* data) {
    if (registered != 0)
        return;
    static_cast<IJackWatchListener*>(data)->PortRemoved();
}

} // namespace

std::unique_ptr<TJackServerWatch> TJackServerWatch::Open(IJackWatchListener& listener) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(OwnClientName().c_str(), JackNoStartServer, &status);
    if (client == nullptr)
        return nullptr;
    void* data = &listener;
    jack_on_info_shutdown(client, OnJackShutdown, data);
    jack_set_port_registration_callback(client, OnJackPortRegistration, data);
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return nullptr;
    }
    return std::unique_ptr<TJackServerWatch>(new TJackServerWatch(client));
}

TJackServerWatch::~TJackServerWatch() {
    jack_client_close(Client);
}

bool TJackServerWatch::Connect(const QString& device, const std::string& ownPort) {
    const std::string pattern = ':' + ownPort + '$';
    const char** ports =
        jack_get_ports(Client, pattern.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    if (ports == nullptr)
        return false;
    const std::string own = ports[0] != nullptr ? ports[0] : "";
    jack_free(ports);
    if (own.empty())
        return false;
    const int result = jack_connect(Client, device.toStdString().c_str(), own.c_str());
    return result == 0 || result == EEXIST;
}

bool JackServerReachable(std::chrono::milliseconds limit) {
    struct TProbe {
        std::mutex Lock;
        std::condition_variable Done;
        bool Finished = false;
        bool Reached = false;
    };
    auto probe = std::make_shared<TProbe>();
    std::thread([probe, name = OwnClientName()] {
        jack_status_t status{};
        jack_client_t* client = jack_client_open(name.c_str(), JackNoStartServer, &status);
        if (client != nullptr)
            jack_client_close(client);
        const std::lock_guard<std::mutex> hold(probe->Lock);
        probe->Finished = true;
        probe->Reached = client != nullptr;
        probe->Done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> hold(probe->Lock);
    probe->Done.wait_for(hold, limit, [&probe] { return probe->Finished; });
    return probe->Finished && probe->Reached;
}

} // namespace lumivox
