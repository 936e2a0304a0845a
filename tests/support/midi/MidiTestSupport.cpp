// A virtual JACK MIDI source, a private JACK server and waiting for MIDI, for the MIDI tests.
#include "support/midi/MidiTestSupport.h"

#include "midi/MidiInput.h"
#include "support/ServerStart.h"

#include <QCoreApplication>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace lumivox::test {

QString JackServerProblem() {
    // A JACK client that connects while others come and go can stall now and then on a
    // loaded machine; a server that answers one of three tries is there.
    for (int attempt = 0; attempt < 3; ++attempt)
        if (RunsCleanly(QStringLiteral("jack_lsp"), {}, 10000))
            return {};
    const QByteArray server = qgetenv("JACK_DEFAULT_SERVER");
    return QStringLiteral("no JACK server answers%1; the MIDI tests need one with real ports: "
                          "run ./test, or start one with scripts/start-jack.sh")
        .arg(server.isEmpty() ? QString() : QStringLiteral(" under the name ") + server);
}

QString VirtualMidiSource::UniqueClientName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("lumivox-test-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++counter);
}

VirtualMidiSource::VirtualMidiSource(const QString& client, const QString& port)
    : Name(client + QLatin1Char(':') + port) {
    Sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Sender.start(QStringLiteral(LUMIVOX_MIDI_SOURCE_PATH), {client, port});
    if (!Sender.waitForStarted(10000))
        throw std::runtime_error("the MIDI source could not be started: " +
                                 Sender.errorString().toStdString());
    while (!Sender.canReadLine()) {
        if (!Sender.waitForReadyRead(JackWaitMs))
            throw std::runtime_error("no virtual JACK MIDI port " + Name.toStdString());
    }
}

VirtualMidiSource::~VirtualMidiSource() {
    Sender.closeWriteChannel();
    if (!Sender.waitForFinished(10000)) {
        Sender.kill();
        Sender.waitForFinished();
    }
}

void VirtualMidiSource::Send(const std::vector<std::uint8_t>& message) {
    QByteArray line;
    for (const std::uint8_t byte : message)
        line += QByteArray::number(byte, 16) + ' ';
    line += '\n';
    Sender.write(line);
    Sender.waitForBytesWritten(10000);
}

PrivateJackServer::PrivateJackServer()
    : Name(QStringLiteral("lumivox-midi-test-%1").arg(QCoreApplication::applicationPid())) {
    HadDefault = qEnvironmentVariableIsSet("JACK_DEFAULT_SERVER");
    PreviousDefault = qgetenv("JACK_DEFAULT_SERVER");
    Failure = StartJackDummyServer(Server, Name, 44100);
    if (Failure.isEmpty())
        qputenv("JACK_DEFAULT_SERVER", Name.toUtf8());
}

PrivateJackServer::~PrivateJackServer() {
    Stop();
    if (HadDefault)
        qputenv("JACK_DEFAULT_SERVER", PreviousDefault);
    else
        qunsetenv("JACK_DEFAULT_SERVER");
}

void PrivateJackServer::Stop() {
    StopServer(Server);
}

bool WaitWithoutEvents(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool WaitUntilConnected(TMidiInput& input, VirtualMidiSource& source) {
    // Note-offs on channel 16 that no test sends: the probes, then the last one.
    const std::vector<std::uint8_t> probe = {0x8F, 0x7F, 0x7F};
    const std::vector<std::uint8_t> last = {0x8F, 0x7F, 0x7E};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(JackWaitMs);
    bool arrived = false;
    while (!arrived && std::chrono::steady_clock::now() < end) {
        source.Send(probe);
        arrived = WaitWithoutEvents([&] { return input.MessageCount() > 0; },
                                    std::chrono::milliseconds(100));
    }
    if (!arrived)
        return false;
    // Probes sent before the first one arrived may still be under way; nothing sent before
    // the last one can come after it.
    source.Send(last);
    bool seen = false;
    return WaitWithoutEvents([&] {
        while (const auto event = input.GetMidiEvent())
            seen = seen || (event->StatusByte == last[0] && event->DataByte2 == last[2]);
        return seen;
    });
}

} // namespace lumivox::test
