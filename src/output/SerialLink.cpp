// The serial link's opening, closing and the non-blocking send of one change.
#include "output/SerialLink.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>

namespace lumivox {

SerialLink::SerialLink(QObject* parent)
    : QObject(parent), Port(new QSerialPort(this)), Timer(new QTimer(this)) {
    Timer->setInterval(DefaultReplyTimeoutMs);
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &SerialLink::TimedOut);
    connect(Port, &QSerialPort::readyRead, this, &SerialLink::ReadArrivals);
    connect(Port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // A device that goes away (unplugged adapter, closed peer) ends the change on its way.
        if (error == QSerialPort::WriteError)
            PortFailed(TLinkResult::WriteFailed);
        else if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
            PortFailed(TLinkResult::ReadFailed);
    });
}

SerialLink::~SerialLink() {
    Step = TStep::Idle;
    Timer->stop();
    if (Port->isOpen())
        Port->close();
}

QString SerialLink::DevicePath(const QString& portName) {
    if (portName.startsWith(QLatin1String("COM"))) {
        bool ok = false;
        const int number = portName.mid(3).toInt(&ok);
        if (ok && number >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(number - 1);
    }
    return portName;
}

TLinkResult SerialLink::Open(const QString& portName) {
    if (Port->isOpen())
        Close();
    Port->setPortName(DevicePath(portName));
    if (!Port->open(QIODevice::ReadWrite)) {
        Port->clearError();
        return TLinkResult::OpenFailed;
    }
    const bool applied = Port->setBaudRate(BaudRate) && Port->setDataBits(QSerialPort::Data8) &&
                         Port->setParity(QSerialPort::NoParity) &&
                         Port->setStopBits(QSerialPort::OneStop) &&
                         Port->setFlowControl(QSerialPort::NoFlowControl);
    if (!applied) {
        Port->close();
        Port->clearError();
        return TLinkResult::ApplySettingsFailed;
    }
    // DTR and RTS low. Devices without modem lines (pseudo-terminals) refuse the request;
    // they have no lines to hold low, so that is not a failure.
    Port->setDataTerminalReady(false);
    Port->setRequestToSend(false);
    Port->clearError();
    if (!Port->clear(QSerialPort::AllDirections)) {
        Port->close();
        Port->clearError();
        return TLinkResult::PurgeFailed;
    }
    return TLinkResult::Success;
}

TLinkResult SerialLink::Close() {
    Abort();
    if (!Port->isOpen())
        return TLinkResult::Success;
    // An error met before (the device went away) is not the closing's.
    Port->clearError();
    Port->close();
    if (Port->error() != QSerialPort::NoError && Port->error() != QSerialPort::ResourceError) {
        Port->clearError();
        return TLinkResult::CloseFailed;
    }
    Port->clearError();
    return TLinkResult::Success;
}

bool SerialLink::IsOpen() const {
    return Port->isOpen();
}

int SerialLink::ReplyTimeout() const {
    return Timer->interval();
}

void SerialLink::SetReplyTimeout(int ms) {
    Timer->setInterval(ms);
}

bool SerialLink::WriteBytes(const char* bytes, qint64 count) {
    return Port->write(bytes, count) == count;
}

bool SerialLink::SendChange(std::uint8_t output, std::uint8_t value) {
    if (!Port->isOpen() || Busy())
        return false;
    Output = output;
    Value = value;
    ++Sequence;
    Step = TStep::WaitFirstAck;
    // Whatever the unit sent since the last change is stale.
    if (!Port->clear(QSerialPort::AllDirections)) {
        Port->clearError();
        FinishLater(TLinkResult::PurgeFailed);
        return true;
    }
    const char start = static_cast<char>(StartByte);
    if (!WriteBytes(&start, 1)) {
        FinishLater(TLinkResult::WriteFailed);
        return true;
    }
    Timer->start();
    return true;
}

void SerialLink::FinishLater(TLinkResult result) {
    // Reported from the event loop, like every other outcome, never from inside SendChange.
    QMetaObject::invokeMethod(
        this,
        [this, result, change = Sequence] {
            if (change == Sequence)
                Finish(result);
        },
        Qt::QueuedConnection);
}

void SerialLink::ReadArrivals() {
    while (Step != TStep::Idle && Port->bytesAvailable() > 0) {
        char byte = 0;
        if (Port->read(&byte, 1) != 1) {
            Finish(TLinkResult::ReadFailed);
            return;
        }
        if (static_cast<std::uint8_t>(byte) != AcknowledgeByte)
            continue; // anything else the unit says is not an answer
        if (Step == TStep::WaitFirstAck) {
            // The output number is not acknowledged; the value is.
            const char rest[2] = {static_cast<char>(Output), static_cast<char>(Value)};
            if (!WriteBytes(rest, 2)) {
                Finish(TLinkResult::WriteFailed);
                return;
            }
            Step = TStep::WaitLastAck;
            Timer->start();
        } else {
            Finish(TLinkResult::Success);
            return;
        }
    }
    // Arrivals between changes are dropped by the purge before the next change.
}

void SerialLink::PortFailed(TLinkResult result) {
    if (Step != TStep::Idle)
        FinishLater(result);
}

void SerialLink::TimedOut() {
    if (Step != TStep::Idle)
        Finish(TLinkResult::NoAcknowledge);
}

void SerialLink::Finish(TLinkResult result) {
    if (Step == TStep::Idle)
        return;
    Step = TStep::Idle;
    Timer->stop();
    Q_EMIT ChangeFinished(result);
}

bool SerialLink::WaitForChange(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (Busy() && !deadline.hasExpired()) {
        const int left = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1));
        // Writes what is buffered and takes what arrives; ReadArrivals runs from readyRead.
        const bool progressed = Port->bytesToWrite() > 0 ? Port->waitForBytesWritten(left)
                                                         : Port->waitForReadyRead(left);
        if (!progressed && Port->error() != QSerialPort::NoError &&
            Port->error() != QSerialPort::TimeoutError) {
            Port->clearError();
            Finish(TLinkResult::ReadFailed);
        }
        if (Port->error() == QSerialPort::TimeoutError)
            Port->clearError();
    }
    return !Busy();
}

void SerialLink::Abort() {
    Step = TStep::Idle;
    Timer->stop();
}

} // namespace lumivox
