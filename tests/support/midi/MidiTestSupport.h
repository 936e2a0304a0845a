// Real MIDI for the tests: a virtual JACK MIDI output port that sends messages, a JACK
// server of a test's own, and waiting for messages that JACK delivers once per cycle.
#pragma once

#include <QProcess>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace lumivox {
class TMidiInput;
}

namespace lumivox::test {

// Empty when a JACK server answers (the one JACK_DEFAULT_SERVER names, else the default
// one); otherwise what is wrong, for the failure message.
QString JackServerProblem();

// A virtual JACK MIDI output port, opened with RtMidiOut by a process of its own, as a MIDI
// keyboard or another program would offer it. Another process, because the JACK library
// does not keep the wake-ups of several clients of one process apart reliably while other
// programs' clients come and go, which the tests running in parallel do all the time.
class VirtualMidiSource {
public:
    // `client` must be unique on the server, so that the port gets exactly that name. Throws
    // std::runtime_error when the port cannot be opened.
    explicit VirtualMidiSource(const QString& client = UniqueClientName(),
                               const QString& port = QStringLiteral("out"));
    // Closes the port.
    ~VirtualMidiSource();
    VirtualMidiSource(const VirtualMidiSource&) = delete;
    VirtualMidiSource& operator=(const VirtualMidiSource&) = delete;

    // The port's name as MIDI input devices list it: "client:port".
    QString PortName() const { return Name; }

    // Hands the message to the port, which sends it with its next JACK cycle.
    void Send(const std::vector<std::uint8_t>& message);

    static QString UniqueClientName();

private:
    QProcess Sender;
    QString Name;
};

// A JACK server with the dummy driver under a name of its own, for a test that stops it;
// while it runs JACK_DEFAULT_SERVER points this process's JACK clients at it.
class PrivateJackServer {
public:
    PrivateJackServer();
    ~PrivateJackServer();
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;

    // Empty when the server answers; otherwise what went wrong.
    QString Problem() const { return Failure; }
    // Stops the server and waits until its process has ended.
    void Stop();

private:
    QString Name;
    QProcess Server;
    QString Failure;
    QByteArray PreviousDefault;
    bool HadDefault = false;
};

// Waits without letting the user-interface thread run, so that nothing is delivered.
bool WaitWithoutEvents(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(60));

// Waits until `input`, open and started on the port of `source`, receives from it, and
// leaves nothing waiting. A JACK connection made while a cycle runs works from the next
// cycle on, so a message sent right after opening may be lost; this sends probes until one
// arrives. Runs no events.
bool WaitUntilConnected(TMidiInput& input, VirtualMidiSource& source);

// Generous limit for anything JACK delivers: it delivers once per cycle, and on a busy
// machine (the sanitizer build, suites running in parallel) a JACK server without real-time
// scheduling can fall seconds behind.
inline constexpr int JackWaitMs = 60000;

} // namespace lumivox::test
