// The DMX frame rules, the per-tick hand-over and the sender thread that talks to olad.
#include "output/DmxOutput.h"

#include <ola/DmxBuffer.h>
#include <ola/client/StreamingClient.h>

#include <QMetaObject>

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace lumivox {

void TDmxFrameBuilder::Begin() {
    Driven.fill(-1);
}

void TDmxFrameBuilder::Add(std::uint8_t output, std::uint8_t value) {
    Driven[output] = std::max(Driven[output], static_cast<int>(value));
}

TDmxFrame TDmxFrameBuilder::Finish() const {
    TDmxFrame frame{};
    const int all = std::max(Driven[0], 0);
    for (std::size_t output = 1; output < Driven.size(); ++output)
        frame[output - 1] = static_cast<std::uint8_t>(Driven[output] >= 0 ? Driven[output] : all);
    return frame;
}

// The thread that owns the connection to olad. StreamingClient blocks on its socket, so the
// show clock only ever leaves the newest frame here and goes on.
class TDmxOutput::TSender {
public:
    using TReport = std::function<void(TOlaReach)>;

    TSender(std::uint16_t port, TReport report) : Port(port), Report(std::move(report)) {
        Thread = std::thread([this] { Run(); });
    }
    ~TSender() {
        {
            const std::lock_guard lock(Mutex);
            Stopping = true;
        }
        Wake.notify_all();
        Thread.join();
    }
    TSender(const TSender&) = delete;
    TSender& operator=(const TSender&) = delete;

    void Configure(bool sending, bool watching, unsigned universe) {
        {
            const std::lock_guard lock(Mutex);
            Sending = sending;
            Watching = watching;
            Universe = universe;
            ++Generation;
        }
        Wake.notify_all();
    }
    void Post(const TDmxFrame& frame) {
        {
            const std::lock_guard lock(Mutex);
            Latest = frame;
            HasFrame = true;
            Fresh = true;
            ++Posts;
        }
        Wake.notify_all();
    }
    std::uint64_t Delivered() const { return DeliveredFrames.load(); }
    // The newest frame posted has reached olad.
    bool NewestDelivered() {
        const std::lock_guard lock(Mutex);
        return DeliveredPost == Posts;
    }

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    // Connects to olad; false when it does not answer.
    bool Connect(std::unique_lock<std::mutex>& lock);
    void Disconnect(std::unique_lock<std::mutex>& lock);
    void Tell(TOlaReach reach) {
        if (reach == Told)
            return;
        Told = reach;
        Report(reach);
    }

    const std::uint16_t Port;
    const TReport Report;
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Stopping = false;
    bool Sending = false;
    bool Watching = false;
    unsigned Universe = 1;
    std::uint64_t Generation = 0; // counts the changes of the three above
    TDmxFrame Latest{};
    bool HasFrame = false; // a frame was posted once: there is something to send again
    bool Fresh = false;    // posted and not sent yet
    std::atomic<std::uint64_t> DeliveredFrames{0};
    std::uint64_t Posts = 0;         // frames posted so far
    std::uint64_t DeliveredPost = 0; // the number of the last posted frame olad accepted
    std::unique_ptr<ola::client::StreamingClient> Client;
    TOlaReach Told = TOlaReach::Unknown;
    std::thread Thread;
};

bool TDmxOutput::TSender::Connect(std::unique_lock<std::mutex>& lock) {
    ola::client::StreamingClient::Options options;
    options.auto_start = false; // olad is the operator's to start, never the editor's
    options.server_port = Port;
    auto client = std::make_unique<ola::client::StreamingClient>(options);
    lock.unlock();
    const bool connected = client->Setup();
    lock.lock();
    if (connected)
        Client = std::move(client);
    return connected;
}

void TDmxOutput::TSender::Disconnect(std::unique_lock<std::mutex>& lock) {
    if (!Client)
        return;
    std::unique_ptr<ola::client::StreamingClient> client = std::move(Client);
    lock.unlock();
    client->Stop();
    client.reset();
    lock.lock();
}

void TDmxOutput::TSender::Run() {
    // A write to an olad that has just gone must fail on this thread, not end the program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    std::unique_lock lock(Mutex);
    int retryMs = FirstRetryMs;
    Clock::time_point lastSent = Clock::now();
    while (!Stopping) {
        if (!Sending && !Watching) {
            Disconnect(lock);
            Tell(TOlaReach::Unknown);
            Wake.wait(lock, [this] { return Stopping || Sending || Watching; });
            retryMs = FirstRetryMs;
            continue;
        }
        if (!Client) {
            if (!Connect(lock)) {
                Tell(TOlaReach::Unreachable);
                const std::uint64_t generation = Generation;
                Wake.wait_for(lock, std::chrono::milliseconds(retryMs),
                              [&] { return Stopping || Generation != generation; });
                retryMs = std::min(retryMs * 2, LongestRetryMs);
                continue;
            }
            retryMs = FirstRetryMs;
            Tell(TOlaReach::Reachable);
            // olad may have been restarted: it learns the newest frame at once.
            Fresh = HasFrame;
        }
        if (!Sending) {
            // Only watching: StreamingClient cannot ask olad anything without sending, so the
            // connection is made again every second to see that olad still answers.
            Disconnect(lock);
            const std::uint64_t generation = Generation;
            Wake.wait_for(lock, std::chrono::milliseconds(KeepAliveMs),
                          [&] { return Stopping || Generation != generation; });
            continue;
        }
        if (!Fresh) {
            const auto due = lastSent + std::chrono::milliseconds(KeepAliveMs);
            const std::uint64_t generation = Generation;
            const bool woken = Wake.wait_until(
                lock, due, [&] { return Stopping || Fresh || Generation != generation; });
            if (woken && !Fresh)
                continue; // stopping, or the configuration changed
            if (!HasFrame) {
                lastSent = Clock::now();
                continue; // nothing built yet: nothing to repeat
            }
        }
        const TDmxFrame frame = Latest;
        const std::uint64_t post = Posts;
        const unsigned universe = Universe;
        Fresh = false;
        lock.unlock();
        const ola::DmxBuffer buffer(frame.data(), static_cast<unsigned>(frame.size()));
        const bool sent = Client->SendDmx(universe, buffer);
        lock.lock();
        lastSent = Clock::now();
        if (!sent) {
            Disconnect(lock);
            Tell(TOlaReach::Unreachable);
            Fresh = HasFrame;
            continue;
        }
        ++DeliveredFrames;
        DeliveredPost = post;
    }
    Disconnect(lock);
}

TDmxOutput::TDmxOutput(IUserInterface& ui, const Language& language, std::uint16_t serverPort,
                       QObject* parent)
    : QObject(parent), Ui(ui), Lang(language), Port(serverPort) {
    // The sender ends before this object does; a report still queued then is dropped with it.
    Sender = std::make_unique<TSender>(Port, [this](TOlaReach reach) {
        // From the sender thread to this object's: the warning is never shown inside a tick.
        QMetaObject::invokeMethod(
            this, [this, reach] { ReachReported(reach); }, Qt::QueuedConnection);
    });
}

TDmxOutput::~TDmxOutput() = default;

void TDmxOutput::Reconfigure() {
    Sender->Configure(Active(), Watching, UniverseId);
}

void TDmxOutput::SetEnabled(bool on) {
    if (IsEnabled == on)
        return;
    IsEnabled = on;
    RequestChase();
    Reconfigure();
}

void TDmxOutput::SetUniverse(unsigned universe) {
    universe = std::max(universe, 1u);
    if (UniverseId == universe)
        return;
    UniverseId = universe;
    RequestChase();
    Reconfigure();
}

void TDmxOutput::SetLive(bool on) {
    if (IsLive == on)
        return;
    IsLive = on;
    RequestChase();
    Reconfigure();
}

void TDmxOutput::SetWatching(bool on) {
    if (Watching == on)
        return;
    Watching = on;
    Reconfigure();
}

void TDmxOutput::ReachReported(TOlaReach reach) {
    LastReach = reach;
    const bool warn = reach == TOlaReach::Unreachable && Active() && !Warned;
    if (reach != TOlaReach::Unreachable)
        Warned = false; // olad answered (or was not asked): a later loss is a new one
    else if (warn)
        Warned = true;
    Q_EMIT ReachChanged(reach);
    if (warn)
        Ui.Warning(Text(TextTable::DmxText, DmxText::Lost, Lang).arg(UniverseId));
}

void TDmxOutput::TickBegin(int slot) {
    Due = ChaseRequested || slot != LastSlot;
    ChaseRequested = false;
    TickSlot = slot;
    Builder.Begin();
}

void TDmxOutput::TickTrack(const TFullTrack& track, int slot) {
    std::uint8_t value = 0;
    if (track.GetValue(slot, value))
        Builder.Add(track.Output, value);
}

void TDmxOutput::TickEnd() {
    const TDmxFrame frame = Builder.Finish();
    LastSlot = TickSlot;
    if (!Due && frame == Current)
        return; // within the slot and unchanged: the sender repeats it once a second
    Current = frame;
    ++Handovers;
    Sender->Post(Current);
}

void TDmxOutput::Blackout() {
    Current = TDmxFrame{};
    ++Handovers;
    Sender->Post(Current);
}

bool TDmxOutput::NewestDelivered() const {
    return Sender->NewestDelivered();
}

std::uint64_t TDmxOutput::Delivered() const {
    return Sender->Delivered();
}

QString TDmxOutput::OutputName() const {
    return QStringLiteral("DMX universe %1").arg(UniverseId);
}

void TDmxOutput::StartBlackout() {
    BlackoutWanted = Active();
    if (BlackoutWanted)
        Blackout();
}

TBlackoutState TDmxOutput::BlackoutState() const {
    return !BlackoutWanted || NewestDelivered() ? TBlackoutState::Delivered
                                                : TBlackoutState::Pending;
}

TOutputHealth TDmxOutput::Health() const {
    if (!Active())
        return TOutputHealth::Off;
    if (LastReach == TOlaReach::Unreachable)
        return TOutputHealth::Failing;
    return NewestDelivered() ? TOutputHealth::Live : TOutputHealth::Behind;
}

} // namespace lumivox
