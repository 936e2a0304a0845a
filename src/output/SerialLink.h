// The serial link to the playback unit: opening a port with the unit's settings and sending
// one change as the unit expects it, waiting for its acknowledges without blocking.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class QSerialPort;
class QTimer;

namespace lumivox {

// Result of a link operation.
enum class TLinkResult {
    Success = 0,
    PurgeFailed = 1,
    WriteFailed = 2,
    ReadFailed = 3,
    OpenFailed = 4,
    ReadSettingsFailed = 5,
    ApplySettingsFailed = 6,
    ApplyTimeoutsFailed = 7,
    CloseFailed = 8,
    NoAcknowledge = 9,
};

// Runs on the thread that owns it (the UI thread). Sending is a state machine driven by the
// port's arrivals and the reply time-out, so waiting for the unit never blocks that thread.
//
// One change is: purge the port; send 0x1A and wait for 0x01; send the output number; send
// the value and wait for 0x01. Bytes other than 0x01 are discarded while waiting.
class SerialLink : public QObject {
    Q_OBJECT
public:
    static constexpr std::uint8_t StartByte = 0x1A;
    static constexpr std::uint8_t AcknowledgeByte = 0x01;
    static constexpr int BaudRate = 57600;
    // How long the link waits for each acknowledge before it gives the change up.
    static constexpr int DefaultReplyTimeoutMs = 1000;

    explicit SerialLink(QObject* parent = nullptr);
    ~SerialLink() override;

    // The device behind a port name: "COMn" is /dev/ttyS(n-1); any other name is a path.
    static QString DevicePath(const QString& portName);

    // Opens the port with 57,600 baud, 8 data bits, no parity, 1 stop bit, no flow control and
    // DTR and RTS low, then purges it. On failure the device is closed again.
    TLinkResult Open(const QString& portName);
    TLinkResult Close();
    bool IsOpen() const;

    // Starts sending one change; ChangeFinished reports the result later. Returns false (and
    // reports nothing) when the port is not open or a change is already on its way.
    bool SendChange(std::uint8_t output, std::uint8_t value);
    bool Busy() const { return Step != TStep::Idle; }
    // Gives up the change on its way without reporting it.
    void Abort();
    // Waits, without the event loop, at most `timeoutMs` for the change on its way to finish
    // (for closing the port without leaving a half command on the wire). True when it
    // finished (ChangeFinished was reported) or none was on its way.
    bool WaitForChange(int timeoutMs);

    // The reply time-out in milliseconds: DefaultReplyTimeoutMs unless set otherwise.
    int ReplyTimeout() const;
    void SetReplyTimeout(int ms);

Q_SIGNALS:
    void ChangeFinished(lumivox::TLinkResult result);

private:
    enum class TStep { Idle, WaitFirstAck, WaitLastAck };
    void ReadArrivals();
    void PortFailed(TLinkResult result);
    void FinishLater(TLinkResult result);
    void TimedOut();
    void Finish(TLinkResult result);
    bool WriteBytes(const char* bytes, qint64 count);

    QSerialPort* Port;
    QTimer* Timer; // the one-shot reply time-out
    TStep Step = TStep::Idle;
    std::uint8_t Output = 0;
    std::uint8_t Value = 0;
    quint64 Sequence = 0; // numbers the changes, so a late report never ends a newer one
};

} // namespace lumivox
