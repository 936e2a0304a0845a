// Real-time output: the mode switch, the port choice, the queue of changes found by the show
// clock and their sending over the serial link, with the user's messages on failure.
#pragma once

#include "model/ProjectClasses.h"
#include "output/SerialLink.h"
#include "ui/LanguageTables.h"
#include "ui/UserInterface.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace lumivox {

class RealTimeOutput : public QObject {
    Q_OBJECT
public:
    // `language` is read whenever a message is shown.
    RealTimeOutput(SerialLink& link, IUserInterface& ui, const Language& language,
                   QObject* parent = nullptr);

    bool Mode() const { return RealTime; }
    // Inverts the mode. Switching it on (re)opens the port; switching it off leaves the port
    // open and keeps what is queued, but sends nothing more.
    void ToggleMode();
    // Switches the mode off (nothing happens when it is off already).
    void SwitchOff();

    QString PortName() const { return Port; }
    // Takes another port: the mode goes off and an open port is closed.
    void ChoosePort(const QString& portName);
    bool PortOpen() const { return Open; }
    // Closes an open port (the window closing); a failure is reported and the port stays
    // marked open.
    void ClosePort();

    // Changes are found and sent only while the mode is on and the port open.
    bool Active() const { return RealTime && Open; }
    // A flush is under way: the queue is being sent change by change.
    bool Sending() const { return Flushing; }
    // Whether the show clock's tick at `currentSlot` looks for changes. Always between
    // flushes; during a flush only once for each new slot, and only while the queue holds at
    // most MaxQueuedDuringFlush changes, so a slot's start is not missed behind a long flush
    // and the queue still cannot grow without bound. A new slot during a flush first drops
    // the queued repeats of values the unit has already acknowledged, so the new slot's
    // changes do not wait behind them; nothing the unit has not had is dropped.
    bool MayDetect(int currentSlot);
    static constexpr std::size_t MaxQueuedDuringFlush = 255;

    // The show clock's change detection for one heard track at `currentSlot` (0-based):
    // queues the value at index currentSlot + 1 when it differs from the one at currentSlot,
    // or unconditionally in the first slot. Nothing when that index holds no value.
    void DetectChange(const TFullTrack& track, int currentSlot);
    void QueueChange(std::uint8_t output, std::uint8_t value);
    // Starts sending the queue, unless a flush is under way; the flush goes on, change by
    // change, until the queue is empty, the mode goes off or a change fails.
    void SendQueued();
    std::size_t QueuedCount() const { return OutputRecords.size(); }

Q_SIGNALS:
    // The mode changed, by the user or after a failure; the button and the menu follow it.
    void ModeChanged(bool on);

private:
    void SetMode(bool on);
    bool OpenPort();
    void SendNext();
    void StopFlush();
    void DropDeliveredRepeats();
    void ChangeFinished(TLinkResult result);
    void Warn(int messageEntry);

    SerialLink& Link;
    IUserInterface& Ui;
    const Language& Lang;
    QString Port = QStringLiteral("COM1");
    bool RealTime = false;
    bool Open = false;
    bool Flushing = false;
    int LastDetectedSlot = -1;
    // The value the unit last acknowledged for each output; -1 when unknown.
    std::array<int, 256> Delivered{};
    // Two parallel lists: output numbers in one, values in the other.
    std::deque<TMidiEventToRS232> OutputRecords;
    std::deque<TMidiEventToRS232> ValueRecords;
    TMidiEventToRS232 InFlight[2];
};

} // namespace lumivox
