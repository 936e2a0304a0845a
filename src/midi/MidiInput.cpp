// The MIDI input device over RtMidi: opening and closing a port, the callbacks that fill the
// message ring, the wake-up of the user-interface thread, and the watch for a device that goes
// away.
#include "midi/MidiInput.h"

#include "midi/JackServerWatch.h"
#include "midi/MidiEventRing.h"

#include <QSocketNotifier>
#include <QTimer>

#include <RtMidi.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>

namespace lumivox {

namespace {

constexpr std::uint8_t TimingClock = 0xF8;
constexpr std::uint8_t ActiveSensing = 0xFE;
constexpr int MaxWord = 65535;
constexpr int PresenceCheckMs = 500;
constexpr const char* InputPortName = "MIDI In";
constexpr const char* OutOfRangeText = "Specified error number is out of range";

QString NotInstalledText(const QString& name) {
    return QStringLiteral("MIDI Input Device ") + name + QStringLiteral(" not installed ");
}

QString GoneText(const QString& name, bool serverGone) {
    QString text =
        QStringLiteral("MIDI Input Device ") + name + QStringLiteral(" is no longer available");
    if (serverGone)
        text += QStringLiteral(": the JACK server has stopped");
    return text;
}

QString ErrorText(const std::string& message) {
    return message.empty() ? QString::fromLatin1(OutOfRangeText) : QString::fromStdString(message);
}

// One open device's state shared with the MIDI threads: the message ring, the start time, the
// flags of the JACK watch and the last error RtMidi reported. Allocated when the device opens
// and freed only after those threads can no longer run.
struct TCallbackContext final : IJackWatchListener {
    TCallbackContext(int capacity, int sysexSize, int sysexCount, int wakeFd, bool sysexOnly)
        : Ring(capacity, sysexSize, sysexCount), SysexOnly(sysexOnly), WakeFd(wakeFd) {}

    TMidiEventRing Ring;

    std::atomic<bool> SysexOnly;
    std::atomic<bool> Started{false};
    std::atomic<std::int64_t> StartTicks{0};

    // Wake-ups of the user-interface thread: what it has to deliver, and whether a wake-up
    // is already under way.
    std::atomic<int> WakeFd;
    std::atomic<bool> WakePending{false};
    std::atomic<std::uint32_t> PendingInput{0};
    std::atomic<std::uint32_t> PendingOverflow{0};
    std::atomic<std::uint64_t> Received{0};

    // Set by the JACK watch.
    std::atomic<bool> ServerGone{false};
    std::atomic<bool> PortsChanged{false};

    // The last error RtMidi reported through its error callback.
    std::mutex ErrorLock;
    bool HasError = false;
    RtMidiError::Type ErrorType = RtMidiError::UNSPECIFIED;
    std::string ErrorMessage;

    std::uint32_t Stamp() const {
        const std::int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
        const auto elapsed =
            std::chrono::steady_clock::duration(now - StartTicks.load(std::memory_order_relaxed));
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    }

    void Wake() {
        if (WakePending.exchange(true))
            return;
        const int fd = WakeFd.load();
        if (fd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
        }
    }

    // Queues one message, without allocating or waiting, and wakes the user interface for
    // what reached the ring or was lost to a full one.
    void Queue(const std::vector<unsigned char>* message) {
        if (message == nullptr || message->empty())
            return;
        const std::uint8_t status = (*message)[0];
        if (status == ActiveSensing || status == TimingClock)
            return;
        if (!Started.load(std::memory_order_acquire))
            return;
        if (status != SysexStatus && SysexOnly.load(std::memory_order_relaxed))
            return;
        const TMidiQueued queued = Ring.Push(message->data(), message->size(), Stamp());
        if (queued.Items > 0)
            PendingInput.fetch_add(queued.Items);
        if (queued.Overflowed)
            PendingOverflow.fetch_add(1);
        if (queued.Items > 0 || queued.Overflowed)
            Wake();
    }

    // Takes the error the callback recorded, if any.
    bool TakeError(RtMidiError::Type& type, std::string& message) {
        std::lock_guard lock(ErrorLock);
        if (!HasError)
            return false;
        HasError = false;
        type = ErrorType;
        message = ErrorMessage;
        return true;
    }

    // IJackWatchListener, on JACK's threads.
    void ServerStopped() override {
        ServerGone.store(true);
        Wake();
    }
    void PortRemoved() override {
        PortsChanged.store(true);
        Wake();
    }
};

static_assert(std::atomic<bool>::is_always_lock_free);

// RtMidi's thread.
void ReceiveMessage(double, std::vector<unsigned char>* message, void* data) {
    auto& context = *static_cast<TCallbackContext*>(data);
    context.Queue(message);
    context.Received.fetch_add(1, std::memory_order_release);
}

// RtMidi reports errors here instead of throwing once this is set; warnings are not failures.
void RecordError(RtMidiError::Type type, const std::string& message, void* data) {
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING)
        return;
    auto& context = *static_cast<TCallbackContext*>(data);
    {
        std::lock_guard lock(context.ErrorLock);
        context.HasError = true;
        context.ErrorType = type;
        context.ErrorMessage = message;
    }
    context.Wake();
}

// A name for our JACK input port that no other port has, so that the watch can find it.
std::string UniqueInputPortName() {
    static std::atomic<int> counter{0};
    return std::string(InputPortName) + ' ' + std::to_string(::getpid()) + '-' +
           std::to_string(++counter);
}

RtMidi::Api RtApi(TMidiApi api) {
    return api == TMidiApi::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

} // namespace

// An open device: the port, the JACK watch and the memory their threads write into.
struct TMidiInput::TSession {
    TMidiInputDevice Device;
    std::unique_ptr<TCallbackContext> Context;
    std::unique_ptr<RtMidiIn> Port;
    std::unique_ptr<TJackServerWatch> Watch;

    // Disconnects; once the port and the watch are gone no MIDI thread runs, so the context
    // can go.
    ~TSession() {
        if (Port) {
            try {
                Port->closePort();
            } catch (const RtMidiError&) {
                // Closing anyway: the port object goes next.
            }
            Port.reset();
        }
        Watch.reset();
    }
};

namespace {

// Sessions whose JACK server stopped under them. After a server stops, the JACK library
// frees a dead client's memory as soon as anyone in the process opens a new client, so
// closing ours could touch freed memory: they are kept, untouched, until the program ends.
std::vector<void*>& ParkedSessions() {
    static auto* parked = new std::vector<void*>;
    return *parked;
}

} // namespace

EMidiInputError::EMidiInputError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

TMidiInput::TMidiInput(QObject* parent) : QObject(parent) {
    WakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (WakeFd < 0)
        throw EMidiInputError(QString::fromLocal8Bit(std::strerror(errno)));
    WakeNotifier = new QSocketNotifier(WakeFd, QSocketNotifier::Read, this);
    connect(WakeNotifier, &QSocketNotifier::activated, this, &TMidiInput::OnWake);
    PresenceTimer = new QTimer(this);
    PresenceTimer->setInterval(PresenceCheckMs);
    connect(PresenceTimer, &QTimer::timeout, this, &TMidiInput::CheckDevicePresent);

    ReadDevices();
    if (!Devices.empty())
        SelectDevice(0);
    CurrentState = TMidiInputState::Closed;
}

TMidiInput::~TMidiInput() {
    try {
        Close();
    } catch (const EMidiInputError&) {
        // Nobody to tell any more.
    }
    delete WakeNotifier;
    ::close(WakeFd);
}

QStringList TMidiInput::DeviceNames() const {
    QStringList names;
    for (const TMidiInputDevice& device : Devices)
        names << device.Name;
    return names;
}

void TMidiInput::ReadDevices() {
    const bool ownJackPort = Session && Session->Device.Api == TMidiApi::Jack;
    Devices = ListMidiInputDevices(ownJackPort ? Session->Port.get() : nullptr);
}

void TMidiInput::RescanDevices() {
    const QString selected = Product;
    ReadDevices();
    const auto found = std::find_if(Devices.begin(), Devices.end(),
                                    [&](const TMidiInputDevice& d) { return d.Name == selected; });
    if (found != Devices.end()) {
        Id = static_cast<int>(found - Devices.begin());
    } else if (CurrentState != TMidiInputState::Open) {
        Id = 0;
        Product = Devices.empty() ? QString() : Devices.front().Name;
    }
}

void TMidiInput::SelectDevice(int id) {
    Id = id;
    Product = Devices[static_cast<std::size_t>(id)].Name;
}

void TMidiInput::CheckOpen(const char* message) const {
    if (CurrentState == TMidiInputState::Open)
        throw EMidiInputError(QString::fromLatin1(message));
}

void TMidiInput::SetDeviceID(int id) {
    CheckOpen("Change to DeviceID while device was open");
    if (id < 0 || id >= DeviceCount())
        throw EMidiInputError(QStringLiteral("Invalid device ID"));
    SelectDevice(id);
}

void TMidiInput::SetProductName(const QString& name) {
    CheckOpen("Change to ProductName while device was open");
    for (int i = 0; i < DeviceCount(); ++i) {
        if (Devices[static_cast<std::size_t>(i)].Name == name) {
            SelectDevice(i);
            return;
        }
    }
    throw EMidiInputError(NotInstalledText(name));
}

void TMidiInput::SetCapacity(int capacity) {
    RingCapacity = std::clamp(capacity, 0, MaxWord);
}

void TMidiInput::SetSysexBufferSize(int size) {
    CheckOpen("Change to SysexBufferSize while device was open");
    SysexSize = std::clamp(size, 0, MaxWord);
}

void TMidiInput::SetSysexBufferCount(int count) {
    CheckOpen("Change to SysexBuffercount while device was open");
    SysexCount = std::clamp(count, 0, MaxWord);
}

void TMidiInput::SetSysexOnly(bool only) {
    SysexOnlyFlag = only;
    if (Session)
        Session->Context->SysexOnly.store(only);
}

void TMidiInput::Open() {
    if (CurrentState == TMidiInputState::Open)
        return;
    if (Id < 0 || Id >= DeviceCount())
        throw EMidiInputError(QStringLiteral("Invalid device ID"));

    auto session = std::make_unique<TSession>();
    session->Device = Devices[static_cast<std::size_t>(Id)];
    session->Context = std::make_unique<TCallbackContext>(RingCapacity, SysexSize, SysexCount,
                                                          WakeFd, SysexOnlyFlag);
    TCallbackContext& context = *session->Context;

    const auto fail = [&](RtMidiError::Type type, const std::string& message) {
        LastError = static_cast<int>(type);
        throw EMidiInputError(ErrorText(message));
    };
    try {
        session->Port = std::make_unique<RtMidiIn>(RtApi(session->Device.Api), OwnClientName());
    } catch (const RtMidiError& error) {
        fail(error.getType(), error.getMessage());
    }
    RtMidiIn& port = *session->Port;
    port.setErrorCallback(RecordError, &context);
    port.setCallback(ReceiveMessage, &context);
    port.ignoreTypes(false, false, false);

    RtMidiError::Type type{};
    std::string message;
    if (session->Device.Api == TMidiApi::Jack) {
        // Ports are numbered afresh whenever one comes or goes, so a port opened by number
        // could end up connected to another device: ours is opened unconnected and the
        // device connected to it by name.
        const std::string ownPort = UniqueInputPortName();
        port.openVirtualPort(ownPort);
        if (context.TakeError(type, message))
            fail(type, message);
        // The watch comes after the port's client: the JACK library keeps one table of
        // client wake-ups per process, and a client's late news of another program's client
        // leaving can wipe the entry of a client of ours opened meanwhile in its place. Only
        // the watch, which JACK never wakes, can be hit so.
        session->Watch = TJackServerWatch::Open(context);
        if (session->Watch == nullptr) {
            // The server is gone, and opening the watch may have freed the port's client.
            Park(std::move(session));
            throw EMidiInputError(NotInstalledText(Devices[static_cast<std::size_t>(Id)].Name));
        }
        if (!session->Watch->Connect(session->Device.Name, ownPort))
            throw EMidiInputError(NotInstalledText(session->Device.Name));
    } else {
        // The sequencer numbers its ports by client, which changes only when a client comes
        // or goes; the number is checked again once the port is open.
        const auto numberOf = [&]() -> std::optional<unsigned int> {
            const std::vector<QString> names = PortNames(port);
            const auto found = std::find(names.begin(), names.end(), session->Device.Name);
            if (found == names.end())
                return std::nullopt;
            return static_cast<unsigned int>(found - names.begin());
        };
        const std::optional<unsigned int> number = numberOf();
        if (!number)
            throw EMidiInputError(NotInstalledText(session->Device.Name));
        port.openPort(*number, InputPortName);
        if (context.TakeError(type, message))
            fail(type, message);
        if (!port.isPortOpen())
            fail(RtMidiError::UNSPECIFIED, {});
        if (numberOf() != number)
            throw EMidiInputError(NotInstalledText(session->Device.Name));
    }

    LastError = 0;
    Session = std::move(session);
    CurrentState = TMidiInputState::Open;
    PresenceTimer->start();
}

void TMidiInput::Start() {
    if (!Session)
        return;
    TCallbackContext& context = *Session->Context;
    context.StartTicks.store(std::chrono::steady_clock::now().time_since_epoch().count());
    context.Started.store(true, std::memory_order_release);
}

void TMidiInput::Stop() {
    if (Session)
        Session->Context->Started.store(false);
}

void TMidiInput::Close() {
    if (!Session)
        return;
    CurrentState = TMidiInputState::Closed;
    PresenceTimer->stop();
    if (Session->Context->ServerGone.load()) {
        Park(std::move(Session));
        return;
    }
    std::unique_ptr<TSession> session = std::move(Session);
    if (session->Port)
        session->Port->closePort();
    RtMidiError::Type type{};
    std::string message;
    const bool failed = session->Context->TakeError(type, message);
    session.reset();
    if (failed) {
        LastError = static_cast<int>(type);
        throw EMidiInputError(ErrorText(message));
    }
    LastError = 0;
}

std::optional<TMyMidiEvent> TMidiInput::GetMidiEvent() {
    if (!Session)
        return std::nullopt;
    return Session->Context->Ring.Take();
}

int TMidiInput::MessageCount() const {
    return Session ? static_cast<int>(Session->Context->Ring.Count()) : 0;
}

std::uint64_t TMidiInput::DroppedCount() const {
    return Session ? Session->Context->Ring.Dropped() : 0;
}

std::uint64_t TMidiInput::ReceivedCount() const {
    return Session ? Session->Context->Received.load(std::memory_order_acquire) : 0;
}

void TMidiInput::OnWake() {
    std::uint64_t wakes = 0;
    [[maybe_unused]] const ssize_t got = ::read(WakeFd, &wakes, sizeof wakes);
    if (!Session)
        return;
    TCallbackContext& context = *Session->Context;
    context.WakePending.store(false);

    if (context.ServerGone.load()) {
        LoseDevice(GoneText(Session->Device.Name, true), true);
        return;
    }
    RtMidiError::Type type{};
    std::string message;
    if (context.TakeError(type, message)) {
        LastError = static_cast<int>(type);
        LoseDevice(ErrorText(message), false);
        return;
    }
    if (context.PortsChanged.exchange(false)) {
        CheckDevicePresent();
        if (!Session)
            return;
    }

    // One signal per message that reached the ring; a handler may close the device.
    const std::uint32_t inputs = context.PendingInput.exchange(0);
    const std::uint32_t overflows = context.PendingOverflow.exchange(0);
    for (std::uint32_t i = 0; i < inputs && Session; ++i)
        if (Session->Context->Ring.Count() > 0)
            Q_EMIT MidiInput();
    for (std::uint32_t i = 0; i < overflows && Session; ++i)
        Q_EMIT Overflow();
}

void TMidiInput::CheckDevicePresent() {
    if (!Session)
        return;
    if (Session->Context->ServerGone.load()) {
        LoseDevice(GoneText(Session->Device.Name, true), true);
        return;
    }
    std::vector<QString> names;
    try {
        names = PortNames(*Session->Port);
    } catch (const RtMidiError&) {
        // Counts as gone.
    }
    if (std::find(names.begin(), names.end(), Session->Device.Name) == names.end())
        LoseDevice(GoneText(Session->Device.Name, false), false);
}

void TMidiInput::LoseDevice(const QString& message, bool serverGone) {
    if (!Session)
        return;
    CurrentState = TMidiInputState::Closed;
    PresenceTimer->stop();
    if (serverGone)
        Park(std::move(Session));
    else
        Session.reset();
    Q_EMIT DeviceLost(message);
}

void TMidiInput::Park(std::unique_ptr<TSession> session) {
    TCallbackContext& context = *session->Context;
    context.Started.store(false);
    context.WakeFd.store(-1);
    ParkedSessions().push_back(session.release());
}

} // namespace lumivox
