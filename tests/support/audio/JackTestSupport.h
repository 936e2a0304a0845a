// JACK servers and clients of the audio tests: a private dummy server the test starts, kills
// and restarts itself, and a client that records what the player sends to the server.
#pragma once

#include "support/ServerStart.h"

#include <jack/jack.h>

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace lumivox::test {

// A dummy JACK server of the test's own, always stopped when it goes out of scope. While it
// lives, JACK_DEFAULT_SERVER names it, so the player's JACK client reaches it. A test that
// kills its server with SIGKILL uses a name of its own that no other test uses: a server that
// dies that way leaves its entry in JACK's registry of servers, which holds only a few, until
// a server of the same name starts again.
class TestJackServer {
public:
    TestJackServer(QString name, long rate, TJackCycles cycles = TJackCycles::Asynchronous);
    ~TestJackServer();
    TestJackServer(const TestJackServer&) = delete;
    TestJackServer& operator=(const TestJackServer&) = delete;

    // Starts the server and waits until clients can reach it (as long as a busy machine may
    // need: ServerStartLimit); false with Failure() set to why not.
    bool Start();
    // Sends `signal` (SIGKILL, SIGTERM, SIGSTOP, SIGCONT) to the server; for the ones that end
    // it, waits until it has gone.
    void Signal(int signal);
    // Stops a running (or frozen) server.
    void Stop();
    bool Running() const { return Server.state() != QProcess::NotRunning; }
    const QString& Name() const { return ServerName; }
    const QString& Failure() const { return Problem; }

private:
    QString ServerName;
    long Rate;
    TJackCycles Cycles;
    QProcess Server;
    QString Problem;
    bool HadDefault = false;
    QByteArray PreviousDefault;
};

// Points this process's JACK clients at `name` while it lives.
class JackServerChoice {
public:
    explicit JackServerChoice(const QString& name);
    ~JackServerChoice();
    JackServerChoice(const JackServerChoice&) = delete;
    JackServerChoice& operator=(const JackServerChoice&) = delete;

private:
    bool HadDefault = false;
    QByteArray PreviousDefault;
};

// A JACK client with two input ports connected to the player's two output ports, recording
// what arrives into a fixed buffer.
class JackRecorder {
public:
    JackRecorder(std::size_t maximumFrames);
    ~JackRecorder();
    JackRecorder(const JackRecorder&) = delete;
    JackRecorder& operator=(const JackRecorder&) = delete;

    // Opens the client on the current server and connects `sourcePrefix`out_1 and out_2 to it.
    bool Connect(const QString& sourcePrefix);
    long Rate() const { return SampleRate; }
    // Starts recording from the next period on.
    void Record() { Armed.store(true, std::memory_order_release); }
    std::size_t Frames() const { return Filled.load(std::memory_order_acquire); }
    // Frames of the server's cycles in which the recorder was not called since it began (a
    // server that went on without it); the recording lacks them.
    std::size_t MissedFrames() const { return Missed.load(std::memory_order_acquire); }
    // The left channel recorded so far.
    std::vector<float> Left() const;
    QString Failure;

private:
    static int Process(jack_nframes_t frames, void* self);

    jack_client_t* Client = nullptr;
    jack_port_t* Ports[2] = {nullptr, nullptr};
    long SampleRate = 0;
    std::vector<float> Samples;
    std::atomic<bool> Armed{false};
    std::atomic<std::size_t> Filled{0};
    std::atomic<std::size_t> Missed{0};
    bool Cycling = false;         // process thread only: a cycle was recorded
    jack_nframes_t NextCycle = 0; // process thread only: the frame time the next cycle starts at
};

// The frequency of the tone in `samples` at `rate`, from its rising zero crossings.
double ToneFrequency(const std::vector<float>& samples, long rate);

} // namespace lumivox::test
