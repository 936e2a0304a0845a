// The real-time output's mode, port handling, change detection and sending.
#include "output/RealTimeOutput.h"

#include <algorithm>

namespace lumivox {

void RealTimeOutput::TOutputQueue::Push(std::uint8_t output) {
    if (Holds[output])
        return;
    Holds[output] = true;
    Order.push_back(output);
}

std::optional<std::uint8_t> RealTimeOutput::TOutputQueue::Pop() {
    if (Order.empty())
        return std::nullopt;
    const std::uint8_t output = Order.front();
    Order.pop_front();
    Holds[output] = false;
    return output;
}

void RealTimeOutput::TOutputQueue::Remove(std::uint8_t output) {
    if (!Holds[output])
        return;
    Holds[output] = false;
    Order.erase(std::find(Order.begin(), Order.end(), output));
}

void RealTimeOutput::TOutputQueue::Clear() {
    Order.clear();
    Holds.fill(false);
}

RealTimeOutput::RealTimeOutput(SerialLink& link, IUserInterface& ui, const Language& language,
                               QObject* parent)
    : QObject(parent), Link(link), Ui(ui), Lang(language) {
    Wanted.fill(-1);
    Delivered.fill(-1);
    connect(&Link, &SerialLink::ChangeFinished, this, &RealTimeOutput::ChangeFinished);
}

void RealTimeOutput::Warn(int messageEntry) {
    Ui.Warning(Text(TextTable::Messages, messageEntry, Lang) + Port);
}

void RealTimeOutput::SetMode(bool on) {
    if (RealTime == on)
        return;
    RealTime = on;
    Q_EMIT ModeChanged(on);
}

void RealTimeOutput::ToggleMode() {
    SetMode(!RealTime);
    if (!RealTime)
        return;
    RequestChase();
    if (InFlight) {
        // The port is left only once the change on the wire is complete.
        Deferred = TDeferred::Reopen;
        return;
    }
    ReopenPort();
}

void RealTimeOutput::SwitchOff() {
    SetMode(false);
}

void RealTimeOutput::ReopenPort() {
    if (Open)
        ClosePortNow();
    OpenPort();
}

bool RealTimeOutput::OpenPort() {
    if (Link.Open(Port) != TLinkResult::Success) {
        Open = Link.IsOpen();
        Warn(MessageText::ComOpeningError);
        if (!KeepMode)
            SetMode(false);
        return false;
    }
    Open = true;
    // The unit may have been restarted or replaced meanwhile: it is told everything again.
    Delivered.fill(-1);
    RequestChase();
    return true;
}

bool RealTimeOutput::ClosePortNow() {
    if (!Open)
        return true;
    if (Link.Close() != TLinkResult::Success) {
        Warn(MessageText::ComClosingError);
        return false;
    }
    Open = false;
    return true;
}

void RealTimeOutput::ClosePort() {
    if (InFlight) {
        Deferred = TDeferred::Close;
        if (Link.WaitForChange(Link.ReplyTimeout()))
            return; // finished, and the port was closed then
        // No answer in time: the unit drops the half command by itself.
        Link.Abort();
        InFlight.reset();
        Deferred = TDeferred::None;
    }
    ClosePortNow();
}

void RealTimeOutput::ChoosePort(const QString& portName) {
    Port = portName;
    SetMode(false);
    if (InFlight) {
        Deferred = TDeferred::Close;
        return;
    }
    ClosePortNow();
}

void RealTimeOutput::RunDeferred() {
    const TDeferred deferred = Deferred;
    Deferred = TDeferred::None;
    if (deferred == TDeferred::Close)
        ClosePortNow();
    else if (deferred == TDeferred::Reopen)
        ReopenPort();
}

int RealTimeOutput::Promised(std::uint8_t output) const {
    if (InFlight && InFlight->Output == output)
        return InFlight->Value;
    return Delivered[output];
}

void RealTimeOutput::TickBegin(int slot) {
    if (slot != LastSlot)
        Repeats.Clear(); // they belong to the slot that ended
    ChaseTick = ChaseRequested || LastSlot < 1 || slot > LastSlot + 1 || slot < LastSlot;
    ChaseRequested = false;
    LastSlot = slot;
}

void RealTimeOutput::TickTrack(const TFullTrack& track, int slot) {
    std::uint8_t value = 0;
    if (!track.GetValue(slot, value))
        return; // past the song's last value: nothing to compare, nothing sent
    if (ChaseTick) {
        Want(track.Output, value, true);
        return;
    }
    if (slot == 1) {
        Want(track.Output, value);
        return;
    }
    std::uint8_t previous = 0;
    if (track.GetValue(slot - 1, previous) && previous != value)
        Want(track.Output, value);
}

void RealTimeOutput::Want(std::uint8_t output, std::uint8_t value, bool refresh) {
    Wanted[output] = value;
    if (value != Promised(output))
        Pending.Push(output);
    else if (refresh)
        Refresh.Push(output);
    else if (!Pending.Holds[output] && !Refresh.Holds[output])
        Repeats.Push(output);
}

std::optional<RealTimeOutput::TChange> RealTimeOutput::TakeNext() {
    std::optional<std::uint8_t> next;
    while (!next && !Pending.Order.empty()) {
        const std::uint8_t output = *Pending.Pop();
        // Back to what the unit has already (A, B, then A again before B went out).
        if (Wanted[output] >= 0 && Wanted[output] != Delivered[output])
            next = output;
    }
    if (!next)
        next = Refresh.Pop();
    if (!next)
        next = Repeats.Pop();
    if (!next || Wanted[*next] < 0)
        return std::nullopt;
    // The newest value serves every reason to send this output.
    Refresh.Remove(*next);
    Repeats.Remove(*next);
    return TChange{*next, static_cast<std::uint8_t>(Wanted[*next])};
}

void RealTimeOutput::SendQueued() {
    if (InFlight || !Active())
        return;
    InFlight = TakeNext();
    if (InFlight && !Link.SendChange(InFlight->Output, InFlight->Value))
        ChangeFinished(TLinkResult::WriteFailed);
}

void RealTimeOutput::ForgetQueue() {
    Pending.Clear();
    Refresh.Clear();
    Repeats.Clear();
}

void RealTimeOutput::ChangeFinished(TLinkResult result) {
    if (!InFlight)
        return;
    const TChange change = *InFlight;
    InFlight.reset();
    // A change without its last acknowledge may or may not have reached the unit.
    Delivered[change.Output] = result == TLinkResult::Success ? change.Value : -1;
    if (Deferred != TDeferred::None) {
        RunDeferred();
        SendQueued();
        return;
    }
    if (result != TLinkResult::Success) {
        if (!RealTime)
            return; // switched off meanwhile: the next switch-on tells the unit everything
        // The unit is gone or silent: say so once, stop real-time output and forget what
        // waited. Switching the mode on again reopens the port and sends the whole state.
        ForgetQueue();
        if (KeepMode) {
            // The other output goes on; this port waits for the next switch-on.
            Link.Close();
            Open = false;
        } else {
            SetMode(false);
        }
        Warn(MessageText::ComWritingError);
        return;
    }
    SendQueued();
}

QString RealTimeOutput::OutputName() const {
    return QStringLiteral("serial port %1").arg(Port);
}

void RealTimeOutput::StartBlackout() {
    BlackoutWanted = Active();
    if (!BlackoutWanted)
        return;
    // Sent as a chase: the unit may hold values it was never told of by this run.
    for (int output = 0; output < OutputCount; ++output)
        Want(static_cast<std::uint8_t>(output), 0, true);
    SendQueued();
}

TBlackoutState RealTimeOutput::BlackoutState() const {
    if (!BlackoutWanted)
        return TBlackoutState::Delivered;
    if (!Active())
        return TBlackoutState::Failed;
    return Sending() || QueuedCount() > 0 ? TBlackoutState::Pending : TBlackoutState::Delivered;
}

TOutputHealth RealTimeOutput::Health() const {
    if (!RealTime)
        return TOutputHealth::Off;
    if (!Active())
        return TOutputHealth::Failing;
    return QueuedCount() > 0 ? TOutputHealth::Behind : TOutputHealth::Live;
}

} // namespace lumivox
