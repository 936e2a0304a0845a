// RtMidi does not tell when a JACK server stops or a port goes away. The input watches for
// both with a JACK client of its own, which also connects a device to the input's port.
#pragma once

#include <QString>

#include <jack/types.h>

#include <chrono>
#include <memory>
#include <string>

namespace lumivox {

// Told on JACK's threads, so it must neither allocate nor wait.
class IJackWatchListener {
public:
    virtual void ServerStopped() = 0;
    virtual void PortRemoved() = 0;

protected:
    ~IJackWatchListener() = default;
};

class TJackServerWatch {
public:
    // A watch that tells `listener`, which must outlive it; null when no server can be
    // reached.
    static std::unique_ptr<TJackServerWatch> Open(IJackWatchListener& listener);
    ~TJackServerWatch();

    TJackServerWatch(const TJackServerWatch&) = delete;
    TJackServerWatch& operator=(const TJackServerWatch&) = delete;

    // Connects the output port `device` to our input port named `ownPort`.
    bool Connect(const QString& device, const std::string& ownPort);

private:
    explicit TJackServerWatch(jack_client_t* client) : Client(client) {}

    jack_client_t* Client;
};

// How long the device list waits for a JACK server to answer.
inline constexpr std::chrono::milliseconds JackAnswerLimit{5000};

// A JACK server answers within `limit`. Asked before RtMidi tries one, which otherwise prints
// its own warning on the terminal when there is none. A server that is frozen or wedged can
// keep a client waiting for seconds: the question is put on a thread of its own, and a server
// that has not answered in time counts as absent (the thread closes its client when it can).
bool JackServerReachable(std::chrono::milliseconds limit = JackAnswerLimit);

} // namespace lumivox
