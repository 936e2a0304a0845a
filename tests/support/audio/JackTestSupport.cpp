// The audio tests' JACK servers and the recording client.
#include "support/audio/JackTestSupport.h"

#include <QCoreApplication>

#include <signal.h>

#include <algorithm>
#include <cstring>

namespace lumivox::test {

TestJackServer::TestJackServer(QString name, long rate, TJackCycles cycles)
    : ServerName(std::move(name)), Rate(rate), Cycles(cycles) {
    HadDefault = qEnvironmentVariableIsSet("JACK_DEFAULT_SERVER");
    PreviousDefault = qgetenv("JACK_DEFAULT_SERVER");
    qputenv("JACK_DEFAULT_SERVER", ServerName.toUtf8());
}

TestJackServer::~TestJackServer() {
    Stop();
    if (HadDefault)
        qputenv("JACK_DEFAULT_SERVER", PreviousDefault);
    else
        qunsetenv("JACK_DEFAULT_SERVER");
}

bool TestJackServer::Start() {
    Problem = StartJackDummyServer(Server, ServerName, Rate, 512, Cycles);
    return Problem.isEmpty();
}

void TestJackServer::Signal(int signal) {
    if (!Running())
        return;
    ::kill(static_cast<pid_t>(Server.processId()), signal);
    // A server told to end may take a while to go on a busy machine.
    if (signal == SIGKILL || signal == SIGTERM)
        Server.waitForFinished(static_cast<int>(ServerStartLimit.count()) * 1000);
}

void TestJackServer::Stop() {
    if (!Running())
        return;
    ::kill(static_cast<pid_t>(Server.processId()), SIGCONT); // a frozen server must hear it
    StopServer(Server);
}

JackServerChoice::JackServerChoice(const QString& name) {
    HadDefault = qEnvironmentVariableIsSet("JACK_DEFAULT_SERVER");
    PreviousDefault = qgetenv("JACK_DEFAULT_SERVER");
    qputenv("JACK_DEFAULT_SERVER", name.toUtf8());
}

JackServerChoice::~JackServerChoice() {
    if (HadDefault)
        qputenv("JACK_DEFAULT_SERVER", PreviousDefault);
    else
        qunsetenv("JACK_DEFAULT_SERVER");
}

JackRecorder::JackRecorder(std::size_t maximumFrames) : Samples(maximumFrames * 2) {}

JackRecorder::~JackRecorder() {
    if (Client)
        jack_client_close(Client);
}

bool JackRecorder::Connect(const QString& sourcePrefix) {
    jack_status_t status{};
    const QByteArray name =
        QByteArray("lumivox-recorder-") + QByteArray::number(QCoreApplication::applicationPid());
    Client = jack_client_open(name.constData(), JackNoStartServer, &status);
    if (!Client) {
        Failure = QStringLiteral("no JACK server to record from");
        return false;
    }
    SampleRate = static_cast<long>(jack_get_sample_rate(Client));
    Ports[0] = jack_port_register(Client, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    Ports[1] = jack_port_register(Client, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    if (!Ports[0] || !Ports[1] || jack_set_process_callback(Client, &Process, this) != 0 ||
        jack_activate(Client) != 0) {
        Failure = QStringLiteral("the recording client could not be set up");
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        const QByteArray source = (sourcePrefix + QStringLiteral("out_%1").arg(i + 1)).toUtf8();
        if (jack_connect(Client, source.constData(), jack_port_name(Ports[i])) != 0) {
            Failure = QStringLiteral("cannot connect %1").arg(QString::fromUtf8(source));
            return false;
        }
    }
    return true;
}

int JackRecorder::Process(jack_nframes_t frames, void* self) {
    auto* recorder = static_cast<JackRecorder*>(self);
    if (!recorder->Armed.load(std::memory_order_acquire))
        return 0;
    const jack_nframes_t cycle = jack_last_frame_time(recorder->Client);
    if (recorder->Cycling && cycle != recorder->NextCycle)
        recorder->Missed.fetch_add(cycle - recorder->NextCycle, std::memory_order_release);
    recorder->Cycling = true;
    recorder->NextCycle = cycle + frames;
    const auto* left = static_cast<const float*>(jack_port_get_buffer(recorder->Ports[0], frames));
    const auto* right = static_cast<const float*>(jack_port_get_buffer(recorder->Ports[1], frames));
    const std::size_t at = recorder->Filled.load(std::memory_order_relaxed);
    const std::size_t take = std::min<std::size_t>(frames, recorder->Samples.size() / 2 - at);
    for (std::size_t i = 0; i < take; ++i) {
        recorder->Samples[2 * (at + i)] = left[i];
        recorder->Samples[2 * (at + i) + 1] = right[i];
    }
    recorder->Filled.store(at + take, std::memory_order_release);
    return 0;
}

std::vector<float> JackRecorder::Left() const {
    const std::size_t frames = Frames();
    std::vector<float> left(frames);
    for (std::size_t i = 0; i < frames; ++i)
        left[i] = Samples[2 * i];
    return left;
}

double ToneFrequency(const std::vector<float>& samples, long rate) {
    // Between the first and the last rising crossing lie whole periods; interpolating each
    // crossing within its sample keeps the estimate to a fraction of a hertz.
    double first = -1.0;
    double last = -1.0;
    int periods = -1;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            const double at =
                static_cast<double>(i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]);
            if (first < 0.0)
                first = at;
            last = at;
            ++periods;
        }
    }
    if (periods <= 0)
        return 0.0;
    return periods * static_cast<double>(rate) / (last - first);
}

} // namespace lumivox::test
