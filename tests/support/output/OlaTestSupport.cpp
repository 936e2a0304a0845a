#include "support/output/OlaTestSupport.h"

#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>

#include <QProcess>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <thread>

namespace lumivox::test {

namespace {

// A port nothing listens on now, as the kernel hands it out.
std::uint16_t FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool RunScript(const QString& action, const QString& folder, std::uint16_t port, QString* output) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(LUMIVOX_START_OLAD), {action, folder, QString::number(port)});
    // The script waits up to a minute for olad to answer, and says why when it does not.
    const bool finished = script.waitForFinished(90000);
    if (!finished) {
        script.kill();
        script.waitForFinished();
    }
    if (output) {
        *output = QString::fromLocal8Bit(script.readAll()).trimmed();
        if (!finished)
            *output += QStringLiteral(" (start-olad.sh %1 did not finish within 90 s)").arg(action);
    }
    return finished && script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
}

} // namespace

OladProcess::OladProcess() : RpcPort(FreePort()) {}

OladProcess::~OladProcess() {
    Stop();
}

bool OladProcess::Start() {
    if (RpcPort == 0) {
        Error = QStringLiteral("no free port for olad");
        return false;
    }
    QString output;
    if (RunScript(QStringLiteral("start"), Dir.path(), RpcPort, &output))
        return true;
    Error = output;
    return false;
}

void OladProcess::Stop() {
    RunScript(QStringLiteral("stop"), Dir.path(), RpcPort, nullptr);
}

std::optional<std::uint16_t> SharedOladPort(QString* why) {
    const int given = qEnvironmentVariableIntValue("LUMIVOX_OLAD_PORT");
    if (given > 0 && given < 65536)
        return static_cast<std::uint16_t>(given);
    static OladProcess* own = nullptr;
    static bool started = false;
    static QString error;
    if (own == nullptr) {
        own = new OladProcess; // stopped at exit
        started = own->Start();
        error = own->Error;
        std::atexit([] { delete own; });
    }
    if (!started) {
        if (why)
            *why = error;
        return std::nullopt;
    }
    return own->Port();
}

struct UniverseReader::TState {
    ola::io::SelectServer Server;
    std::unique_ptr<ola::network::TCPSocket> Socket;
    std::unique_ptr<ola::client::OlaClient> Client;
    std::thread Thread;
    std::atomic<bool> Registered{false};
    mutable std::mutex Mutex;
    mutable std::condition_variable Arrived;
    std::vector<TReceivedFrame> Frames;
    std::function<void(const TReceivedFrame&)> Seen;

    void Received(const ola::client::DMXMetadata&, const ola::DmxBuffer& buffer) {
        TReceivedFrame frame;
        frame.At = std::chrono::steady_clock::now();
        unsigned length = static_cast<unsigned>(frame.Values.size());
        buffer.Get(frame.Values.data(), &length);
        {
            const std::lock_guard lock(Mutex);
            if (Seen)
                Seen(frame);
            Frames.push_back(frame);
        }
        Arrived.notify_all();
    }
};

UniverseReader::UniverseReader(std::uint16_t port, unsigned universe)
    : State(std::make_unique<TState>()) {
    TState& s = *State;
    s.Socket.reset(ola::network::TCPSocket::Connect(
        ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), port)));
    if (!s.Socket)
        return;
    s.Client = std::make_unique<ola::client::OlaClient>(s.Socket.get());
    s.Server.AddReadDescriptor(s.Socket.get());
    s.Client->Setup();
    s.Client->SetDMXCallback(ola::NewCallback(&s, &TState::Received));
    s.Client->RegisterUniverse(universe, ola::client::REGISTER,
                               ola::NewSingleCallback(
                                   +[](std::atomic<bool>* done, const ola::client::Result& result) {
                                       *done = result.Success();
                                   },
                                   &s.Registered));
    s.Thread = std::thread([&s] { s.Server.Run(); });
    // olad answers at once unless the machine is busy; a minute is plenty either way.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!s.Registered && std::chrono::steady_clock::now() < limit)
        QThread::msleep(10);
}

UniverseReader::~UniverseReader() {
    TState& s = *State;
    if (s.Thread.joinable()) {
        s.Server.Terminate();
        s.Thread.join();
    }
    if (s.Client) {
        s.Server.RemoveReadDescriptor(s.Socket.get());
        s.Client->Stop();
    }
}

bool UniverseReader::Ready() const {
    return State->Registered;
}

std::vector<TReceivedFrame> UniverseReader::Frames() const {
    const std::lock_guard lock(State->Mutex);
    return State->Frames;
}

std::size_t UniverseReader::Count() const {
    const std::lock_guard lock(State->Mutex);
    return State->Frames.size();
}

std::optional<TDmxFrame> UniverseReader::Last() const {
    const std::lock_guard lock(State->Mutex);
    if (State->Frames.empty())
        return std::nullopt;
    return State->Frames.back().Values;
}

bool UniverseReader::WaitFor(const std::function<bool(const TDmxFrame&)>& match, int ms) const {
    std::unique_lock lock(State->Mutex);
    std::size_t looked = 0;
    return State->Arrived.wait_for(lock, std::chrono::milliseconds(ms), [&] {
        for (; looked < State->Frames.size(); ++looked)
            if (match(State->Frames[looked].Values))
                return true;
        return false;
    });
}

void UniverseReader::OnFrame(std::function<void(const TReceivedFrame&)> seen) {
    const std::lock_guard lock(State->Mutex);
    State->Seen = std::move(seen);
}

} // namespace lumivox::test
