// Real-time output: the mode switch, the port choice, the outputs the show clock wants changed
// and their sending over the serial link, with the user's messages on failure.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "model/ProjectClasses.h"
#include "output/LiveOutput.h"
#include "output/SerialLink.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace lumivox {

// What the unit is told is kept as one wanted value per output, not as a list of changes: the
// show clock's detection updates the wanted value, and the link sends, oldest first, the
// outputs whose wanted value differs from what the unit last acknowledged, always with the
// newest wanted value. However slow the link, the queue holds each output at most once, no
// output's values are reordered, and once the show holds still the unit ends up holding
// exactly what the show says.
class RealTimeOutput : public QObject, public ILiveOutput {
    Q_OBJECT
public:
    static constexpr int OutputCount = 256;

    // `language` is read whenever a message is shown.
    RealTimeOutput(SerialLink& link, IUserInterface& ui, const Language& language,
                   QObject* parent = nullptr);

    bool Mode() const { return RealTime; }
    // Inverts the mode. Switching it on (re)opens the port and sends every heard track's
    // value once; switching it off leaves the port open and keeps what waits, but sends
    // nothing more. A change already on the wire always finishes first.
    void ToggleMode();
    // Switches the mode off (nothing happens when it is off already).
    void SwitchOff();
    // Another output follows the mode (DMX): a port that fails to open, or a unit that stops
    // answering, is still reported, but the mode stays on for the other output and the port
    // is left closed until the mode is switched on again.
    void SetModeKeptWithoutPort(bool keep) { KeepMode = keep; }
    bool ModeKeptWithoutPort() const { return KeepMode; }

    QString PortName() const { return Port; }
    // Takes another port: the mode goes off and an open port is closed, once the change on
    // the wire (if any) has finished.
    void ChoosePort(const QString& portName);
    bool PortOpen() const { return Open; }
    // Closes an open port now (the window closing): the change on the wire gets at most one
    // reply time-out to finish. A failure is reported and the port stays marked open.
    void ClosePort();

    // Changes are looked for and sent only while the mode is on, the port open and no port
    // change waits for the wire.
    bool Active() const override { return RealTime && Open && Deferred == TDeferred::None; }
    // A change is on the wire.
    bool Sending() const { return InFlight.has_value(); }

    // Every heard track's current value goes out once at the next tick (after Play, a
    // Locate, a jump of the clock), whatever the unit was last told.
    void RequestChase() override { ChaseRequested = true; }

    // The show clock's per-tick detection, in this order: TickBegin once, TickTrack for each
    // heard track, then TickEnd (SendQueued). A tick is a chase when one was requested or
    // when slots were skipped or the clock went back since the last tick that looked.
    // For one heard track at `slot` (1-based): wants the value of that slot when it differs
    // from the one before, in the first slot, or in a chase. Nothing when the slot holds no
    // value.
    void TickBegin(int slot) override;
    void TickTrack(const TFullTrack& track, int slot) override;
    void TickEnd() override { SendQueued(); }
    bool Chasing() const { return ChaseTick; }

    // Wants `value` on `output`. It is queued when it differs from what the unit has or is
    // being sent. Otherwise a `refresh` is sent once after everything that differs (a chase:
    // the unit may have been reset meanwhile), and anything else is a repeat of the slot's
    // change, sent again only while nothing else waits and until the slot ends.
    void Want(std::uint8_t output, std::uint8_t value, bool refresh = false);
    // Starts sending, unless a change is on the wire; sending goes on change by change until
    // nothing waits, the mode goes off or a change fails.
    void SendQueued();

    // Outputs waiting to be sent, changes and refreshes (repeats not counted).
    std::size_t QueuedCount() const { return Pending.Order.size() + Refresh.Order.size(); }
    std::size_t RepeatCount() const { return Repeats.Order.size(); }
    // The newest value wanted for an output, and the last one the unit acknowledged; -1 when
    // none or unknown.
    int WantedValue(std::uint8_t output) const { return Wanted[output]; }
    int AcknowledgedValue(std::uint8_t output) const { return Delivered[output]; }

    // The live show's side: the blackout (every output 0, sent as a chase) and the link's
    // health.
    QString OutputName() const override;
    void StartBlackout() override;
    TBlackoutState BlackoutState() const override;
    TOutputHealth Health() const override;

Q_SIGNALS:
    // The mode changed, by the user or after a failure; the button and the menu follow it.
    void ModeChanged(bool on);

private:
    // A port change that waits for the change on the wire to finish.
    enum class TDeferred { None, Reopen, Close };
    struct TChange {
        std::uint8_t Output = 0;
        std::uint8_t Value = 0;
    };
    // Outputs in the order they were queued, each at most once.
    struct TOutputQueue {
        std::deque<std::uint8_t> Order;
        std::array<bool, OutputCount> Holds{};
        void Push(std::uint8_t output);
        std::optional<std::uint8_t> Pop();
        void Remove(std::uint8_t output);
        void Clear();
    };

    void SetMode(bool on);
    bool OpenPort();
    void ReopenPort();
    bool ClosePortNow();
    void RunDeferred();
    void ChangeFinished(TLinkResult result);
    void ForgetQueue();
    // What the unit holds for an output once the change on the wire (if it is that output's)
    // has been acknowledged.
    int Promised(std::uint8_t output) const;
    std::optional<TChange> TakeNext();
    void Warn(int messageEntry);

    SerialLink& Link;
    IUserInterface& Ui;
    const Language& Lang;
    QString Port = QStringLiteral("COM1");
    bool RealTime = false;
    bool KeepMode = false;
    bool Open = false;
    TDeferred Deferred = TDeferred::None;

    std::array<int, OutputCount> Wanted{};
    std::array<int, OutputCount> Delivered{};
    TOutputQueue Pending; // differ from what the unit has; oldest first
    TOutputQueue Refresh; // a chase's values the unit has already
    TOutputQueue Repeats; // the current slot's changes, again while the link is idle
    std::optional<TChange> InFlight;

    int LastSlot = -1;
    bool BlackoutWanted = false;
    bool ChaseRequested = false;
    bool ChaseTick = false;
};

} // namespace lumivox
