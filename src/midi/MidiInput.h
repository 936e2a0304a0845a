// The MIDI input device: one input port of the ALSA sequencer or of a JACK server, opened
// through RtMidi, whose messages the callback thread queues in a fixed ring and the
// user-interface thread takes one by one.
#pragma once

#include "midi/MidiEvent.h"
#include "midi/MidiPortList.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace lumivox {

// Raised by every failing operation of TMidiInput; the text is meant for the user.
class EMidiInputError : public std::runtime_error {
public:
    explicit EMidiInputError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

enum class TMidiInputState { Creating, Closed, Open };

class TMidiInput : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ProductName READ ProductName WRITE SetProductName)
    Q_PROPERTY(int DeviceID READ DeviceID WRITE SetDeviceID)
    Q_PROPERTY(int Capacity READ Capacity WRITE SetCapacity)
    Q_PROPERTY(int Error READ Error)
    Q_PROPERTY(int SysexBufferSize READ SysexBufferSize WRITE SetSysexBufferSize)
    Q_PROPERTY(int SysexBufferCount READ SysexBufferCount WRITE SetSysexBufferCount)
    Q_PROPERTY(bool SysexOnly READ SysexOnly WRITE SetSysexOnly)

public:
    // Reads the device list: the input ports of the ALSA sequencer (none when the machine
    // has no sequencer) and, when a JACK server runs, those of the server. Selects device 0
    // when there is one.
    explicit TMidiInput(QObject* parent = nullptr);
    ~TMidiInput() override;

    // The devices read at creation or by the last RescanDevices: ALSA ports in the order the
    // sequencer numbers them, then JACK ports sorted by name.
    int DeviceCount() const { return static_cast<int>(Devices.size()); }
    const std::vector<TMidiInputDevice>& DeviceList() const { return Devices; }
    QStringList DeviceNames() const;
    // Reads the device list again. The selected device keeps its name and takes its new
    // index; when it is gone and the input is closed, device 0 is selected (if any).
    void RescanDevices();

    // The selected device's name; setting it selects the first device of exactly that name.
    // Throws EMidiInputError while Open or when no device has the name.
    QString ProductName() const { return Product; }
    void SetProductName(const QString& name);
    // The selected device's index in the device list. Throws EMidiInputError while Open or
    // when not below the device count.
    int DeviceID() const { return Id; }
    void SetDeviceID(int id);
    // Messages the ring holds; takes effect at the next Open (0..65535).
    int Capacity() const { return RingCapacity; }
    void SetCapacity(int capacity);
    // The RtMidiError::Type of the last failed MIDI system call; 0 after a successful one.
    int Error() const { return LastError; }
    // Bytes of one system-exclusive buffer, and how many buffers the device gets. Throw
    // EMidiInputError while Open.
    int SysexBufferSize() const { return SysexSize; }
    void SetSysexBufferSize(int size);
    int SysexBufferCount() const { return SysexCount; }
    void SetSysexBufferCount(int count);
    // Drops every message but system-exclusive ones; may change at any time.
    bool SysexOnly() const { return SysexOnlyFlag; }
    void SetSysexOnly(bool only);

    TMidiInputState State() const { return CurrentState; }

    // Opens the selected device: allocates the ring and the system-exclusive buffers and
    // connects to the port. Messages are queued only after Start. Does nothing when Open.
    void Open();
    // Starts or stops queueing messages; time stamps count from Start. Nothing when Closed.
    void Start();
    void Stop();
    // Disconnects from the port and frees the ring; messages not taken are lost. Nothing
    // when Closed.
    void Close();

    // Takes the oldest waiting message; nothing when Closed or when none waits. A
    // system-exclusive message hands its buffer back to the device.
    std::optional<TMyMidiEvent> GetMidiEvent();
    // Messages waiting in the ring; 0 when Closed.
    int MessageCount() const;
    // Messages lost since Open because the ring was full or no system-exclusive buffer was
    // free; 0 when Closed.
    std::uint64_t DroppedCount() const;
    // Messages the port delivered since Open, whether queued or not (clock and active
    // sensing, before Start or after Stop, while SysexOnly, lost); 0 when Closed. A message
    // is counted once the input is done with it.
    std::uint64_t ReceivedCount() const;

Q_SIGNALS:
    // A message waits: the handler takes one with GetMidiEvent. One signal per message that
    // reached the ring, and only while Open with a message waiting.
    void MidiInput();
    // A message was lost because the ring was full; one signal per lost message.
    void Overflow();
    // The open device went away (unplugged, its port removed, its JACK server stopped) or
    // failed: the input has closed itself. `message` says so in words for the user.
    void DeviceLost(const QString& message);

private:
    struct TSession;

    void ReadDevices();
    void SelectDevice(int id);
    void CheckOpen(const char* message) const;
    void OnWake();
    void CheckDevicePresent();
    void LoseDevice(const QString& message, bool serverGone);
    // Keeps a session whose JACK server stopped, untouched, for the rest of the run.
    static void Park(std::unique_ptr<TSession> session);

    std::vector<TMidiInputDevice> Devices;
    QString Product;
    int Id = 0;
    int RingCapacity = 1024;
    int LastError = 0;
    int SysexSize = 4096;
    int SysexCount = 16;
    bool SysexOnlyFlag = false;
    TMidiInputState CurrentState = TMidiInputState::Creating;

    std::unique_ptr<TSession> Session;
    // Wakes the user-interface thread from the MIDI threads without allocating or blocking.
    int WakeFd = -1;
    QSocketNotifier* WakeNotifier = nullptr;
    // Looks for the open device's port now and then, since not every MIDI system reports a
    // port that goes away.
    QTimer* PresenceTimer = nullptr;
};

} // namespace lumivox
