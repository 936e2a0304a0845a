// The MIDI input device over RtMidi: the device list, the fixed ring the callback thread fills,
// the wake-up of the user-interface thread, and the watch for a device that goes away.
#include "midi/MidiInput.h"

#include <QSocketNotifier>
#include <QTimer>

#include <RtMidi.h>
#include <jack/jack.h>

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

constexpr std::uint8_t SysexStatus = 0xF0;
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

// A ring with one producer thread and one consumer thread. The producer writes an item
// completely before counting it; the consumer reads it before uncounting it. Capacity is
// fixed at construction, so neither side allocates.
template <typename T> class TSpscRing {
public:
    explicit TSpscRing(std::size_t capacity) : Items(capacity) {}

    std::uint32_t Count() const { return Stored.load(std::memory_order_acquire); }
    bool Full() const { return Count() >= Items.size(); }

    // Producer: false when full, the item then being lost.
    bool Put(const T& item) {
        if (Stored.load(std::memory_order_acquire) >= Items.size())
            return false;
        Items[WritePos] = item;
        WritePos = WritePos + 1 == Items.size() ? 0 : WritePos + 1;
        Stored.fetch_add(1, std::memory_order_release);
        return true;
    }

    // Consumer: the oldest item, or null when empty; Remove drops it.
    const T* Peek() const { return Count() == 0 ? nullptr : &Items[ReadPos]; }
    void Remove() {
        ReadPos = ReadPos + 1 == Items.size() ? 0 : ReadPos + 1;
        Stored.fetch_sub(1, std::memory_order_release);
    }

private:
    std::vector<T> Items;
    std::size_t WritePos = 0;
    std::size_t ReadPos = 0;
    std::atomic<std::uint32_t> Stored{0};
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

// One queued message: when it came, its bytes for a short message, or the system-exclusive
// buffer that holds it (-1 for none).
struct TRingItem {
    std::uint32_t TimeStamp = 0;
    std::uint32_t ShortMessage = 0;
    std::int32_t Header = -1;
};
static_assert(sizeof(TRingItem) == 12);

// Everything the MIDI threads touch, allocated when the device opens and freed only after
// they can no longer run.
struct TCallbackContext {
    TCallbackContext(int capacity, int sysexSize, int sysexCount, int wakeFd, bool sysexOnly)
        : Ring(static_cast<std::size_t>(capacity)),
          SysexSize(static_cast<std::uint32_t>(sysexCount > 0 ? sysexSize : 0)),
          SysexData(static_cast<std::size_t>(SysexSize) * static_cast<std::size_t>(sysexCount)),
          SysexBytes(SysexSize > 0 ? static_cast<std::size_t>(sysexCount) : 0),
          FreeSysex(SysexBytes.size()), SysexOnly(sysexOnly), WakeFd(wakeFd) {
        for (std::size_t i = 0; i < SysexBytes.size(); ++i)
            FreeSysex.Put(static_cast<std::int32_t>(i));
    }

    TSpscRing<TRingItem> Ring;
    // The system-exclusive buffers: SysexBytes.size() blocks of SysexSize bytes, how many
    // bytes each holds, and the free ones, handed from the user-interface thread to the
    // callback.
    std::uint32_t SysexSize;
    std::vector<std::uint8_t> SysexData;
    std::vector<std::uint32_t> SysexBytes;
    TSpscRing<std::int32_t> FreeSysex;

    std::atomic<bool> SysexOnly;
    std::atomic<bool> Started{false};
    std::atomic<std::int64_t> StartTicks{0};

    // Wake-ups of the user-interface thread: what it has to deliver, and whether a wake-up
    // is already under way.
    std::atomic<int> WakeFd;
    std::atomic<bool> WakePending{false};
    std::atomic<std::uint32_t> PendingInput{0};
    std::atomic<std::uint32_t> PendingOverflow{0};
    std::atomic<std::uint64_t> Dropped{0};
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

    // Queues the item, or counts it lost when the ring is full, and wakes the user interface.
    void Put(const TRingItem& item) {
        if (!Ring.Put(item)) {
            Overflowed();
            return;
        }
        PendingInput.fetch_add(1);
        Wake();
    }

    void Overflowed() {
        Dropped.fetch_add(1);
        PendingOverflow.fetch_add(1);
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
};

// Queues one message, without allocating or waiting.
void QueueMessage(TCallbackContext& context, const std::vector<unsigned char>* message) {
    if (message == nullptr || message->empty())
        return;
    const std::uint8_t status = (*message)[0];
    if (status == ActiveSensing || status == TimingClock)
        return;
    if (!context.Started.load(std::memory_order_acquire))
        return;
    const std::uint32_t stamp = context.Stamp();

    if (status != SysexStatus) {
        if (context.SysexOnly.load(std::memory_order_relaxed))
            return;
        std::uint32_t packed = status;
        if (message->size() > 1)
            packed |= static_cast<std::uint32_t>((*message)[1]) << 8;
        if (message->size() > 2)
            packed |= static_cast<std::uint32_t>((*message)[2]) << 16;
        context.Put({stamp, packed, -1});
        return;
    }

    // A system-exclusive message fills one buffer, or several in order when it is longer
    // than one; what finds no room or no free buffer is lost.
    const std::size_t total = message->size();
    std::size_t done = 0;
    while (done < total) {
        // Only this thread adds items, so a ring with room keeps it until the Put below.
        if (context.Ring.Full()) {
            context.Overflowed();
            return;
        }
        const std::int32_t* free = context.FreeSysex.Peek();
        if (free == nullptr) {
            context.Dropped.fetch_add(1);
            return;
        }
        const std::int32_t index = *free;
        context.FreeSysex.Remove();
        const std::size_t chunk = std::min<std::size_t>(total - done, context.SysexSize);
        std::memcpy(context.SysexData.data() + static_cast<std::size_t>(index) * context.SysexSize,
                    message->data() + done, chunk);
        context.SysexBytes[static_cast<std::size_t>(index)] = static_cast<std::uint32_t>(chunk);
        done += chunk;
        context.Put({stamp, 0, index});
    }
}

// RtMidi's thread.
void ReceiveMessage(double, std::vector<unsigned char>* message, void* data) {
    auto& context = *static_cast<TCallbackContext*>(data);
    QueueMessage(context, message);
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

// For the short-lived RtMidi objects that only list ports: nothing to report.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

// JACK's threads: the server stopped, or a port went away.
void OnJackShutdown(jack_status_t, const char*, void* data) {
    auto& context = *static_cast<TCallbackContext*>(data);
    context.ServerGone.store(true);
    context.Wake();
}

void OnJackPortRegistration(jack_port_id_t, int registered, void* data) {
    if (registered != 0)
        return;
    auto& context = *static_cast<TCallbackContext*>(data);
    context.PortsChanged.store(true);
    context.Wake();
}

// A name for each client we open: our clients' name, the process id and a count. Two
// processes asking the JACK server for the same client name at the same moment can both be
// given it, and one of them then fails to open.
std::string OwnClientName() {
    static std::atomic<int> counter{0};
    return std::string(MidiInputClientName) + ' ' + std::to_string(::getpid()) + '-' +
           std::to_string(++counter);
}

// A name for our JACK input port that no other port has, so that the watch can find it.
std::string UniqueInputPortName() {
    static std::atomic<int> counter{0};
    return std::string(InputPortName) + ' ' + std::to_string(::getpid()) + '-' +
           std::to_string(++counter);
}

// A JACK client of our own that hears when the server stops, which RtMidi does not tell.
// Null when no server can be reached.
jack_client_t* OpenJackWatch(TCallbackContext& context) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(OwnClientName().c_str(), JackNoStartServer, &status);
    if (client == nullptr)
        return nullptr;
    jack_on_info_shutdown(client, OnJackShutdown, &context);
    jack_set_port_registration_callback(client, OnJackPortRegistration, &context);
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        return nullptr;
    }
    return client;
}

// A JACK server answers. Asked before RtMidi tries one, which otherwise prints its own
// warning on the terminal when there is none.
bool JackServerReachable() {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(OwnClientName().c_str(), JackNoStartServer, &status);
    if (client == nullptr)
        return false;
    jack_client_close(client);
    return true;
}

// Connects the output port `device` to our input port named `ownPort`, through the watch.
bool ConnectJackPort(jack_client_t* watch, const QString& device, const std::string& ownPort) {
    const std::string pattern = ':' + ownPort + '$';
    const char** ports =
        jack_get_ports(watch, pattern.c_str(), JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    if (ports == nullptr)
        return false;
    const std::string own = ports[0] != nullptr ? ports[0] : "";
    jack_free(ports);
    if (own.empty())
        return false;
    const int result = jack_connect(watch, device.toStdString().c_str(), own.c_str());
    return result == 0 || result == EEXIST;
}

RtMidi::Api RtApi(TMidiApi api) {
    return api == TMidiApi::Jack ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

// The names of the input ports `in` can open, in its order.
std::vector<QString> PortNames(RtMidiIn& in) {
    std::vector<QString> names;
    const unsigned int count = in.getPortCount();
    for (unsigned int i = 0; i < count; ++i)
        names.push_back(QString::fromStdString(in.getPortName(i)));
    return names;
}

bool IsOwnPort(const QString& name) {
    return name.startsWith(QLatin1String(MidiInputClientName));
}

// Without a sequencer device RtMidi's ALSA client cannot open; checking first keeps its
// complaint off the terminal.
bool AlsaSequencerPresent() {
    return ::access("/dev/snd/seq", F_OK) == 0;
}

} // namespace

// An open device: the port, the JACK watch and the memory their threads write into.
struct TMidiInput::TSession {
    TMidiInputDevice Device;
    std::unique_ptr<TCallbackContext> Context;
    std::unique_ptr<RtMidiIn> Port;
    jack_client_t* Watch = nullptr;

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
        if (Watch != nullptr)
            jack_client_close(Watch);
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
    Devices.clear();
    if (AlsaSequencerPresent()) {
        try {
            RtMidiIn alsa(RtMidi::LINUX_ALSA, OwnClientName());
            alsa.setErrorCallback(IgnoreError, nullptr);
            for (const QString& name : PortNames(alsa))
                if (!name.isEmpty() && !IsOwnPort(name))
                    Devices.push_back({name, TMidiApi::Alsa});
        } catch (const RtMidiError&) {
            // No usable sequencer: no ALSA devices.
        }
    }

    std::vector<QString> jack;
    try {
        if (Session && Session->Device.Api == TMidiApi::Jack) {
            // A client of our own is connected already; a new one could free its memory
            // if the server has just stopped (see ParkedSessions).
            jack = PortNames(*Session->Port);
        } else if (JackServerReachable()) {
            RtMidiIn lister(RtMidi::UNIX_JACK, OwnClientName());
            lister.setErrorCallback(IgnoreError, nullptr);
            jack = PortNames(lister);
        }
    } catch (const RtMidiError&) {
        // No JACK server: no JACK devices.
    }
    std::sort(jack.begin(), jack.end());
    for (const QString& name : jack)
        if (!name.isEmpty() && !IsOwnPort(name))
            Devices.push_back({name, TMidiApi::Jack});
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
        session->Watch = OpenJackWatch(context);
        if (session->Watch == nullptr) {
            // The server is gone, and opening the watch may have freed the port's client.
            Park(std::move(session));
            throw EMidiInputError(NotInstalledText(Devices[static_cast<std::size_t>(Id)].Name));
        }
        if (!ConnectJackPort(session->Watch, session->Device.Name, ownPort))
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
    TCallbackContext& context = *Session->Context;
    const TRingItem* item = context.Ring.Peek();
    if (item == nullptr)
        return std::nullopt;

    TMyMidiEvent event;
    event.TimeStamp = item->TimeStamp;
    if (item->Header < 0) {
        event.StatusByte = static_cast<std::uint8_t>(item->ShortMessage & 0xFF);
        event.DataByte1 = static_cast<std::uint8_t>((item->ShortMessage >> 8) & 0xFF);
        event.DataByte2 = static_cast<std::uint8_t>((item->ShortMessage >> 16) & 0xFF);
    } else {
        const auto index = static_cast<std::size_t>(item->Header);
        const std::uint32_t bytes = context.SysexBytes[index];
        const std::uint8_t* data = context.SysexData.data() + index * context.SysexSize;
        event.StatusByte = SysexStatus;
        event.SysexSize = static_cast<std::uint16_t>(bytes);
        event.SysexData.assign(data, data + bytes);
        context.FreeSysex.Put(item->Header);
    }
    context.Ring.Remove();
    return event;
}

int TMidiInput::MessageCount() const {
    return Session ? static_cast<int>(Session->Context->Ring.Count()) : 0;
}

std::uint64_t TMidiInput::DroppedCount() const {
    return Session ? Session->Context->Dropped.load() : 0;
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
