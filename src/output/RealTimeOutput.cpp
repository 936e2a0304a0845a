// The real-time output's mode, port handling, change detection and queue flushing.
#include "output/RealTimeOutput.h"

namespace lumivox {

RealTimeOutput::RealTimeOutput(SerialLink& link, IUserInterface& ui, const Language& language,
                               QObject* parent)
    : QObject(parent), Link(link), Ui(ui), Lang(language) {
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
    if (!on)
        StopFlush();
    Q_EMIT ModeChanged(on);
}

void RealTimeOutput::StopFlush() {
    if (!Flushing)
        return;
    // Stop at once; the change that was on its way goes back to the head of the queue.
    Link.Abort();
    OutputRecords.push_front(InFlight[0]);
    ValueRecords.push_front(InFlight[1]);
    Flushing = false;
}

void RealTimeOutput::ToggleMode() {
    SetMode(!RealTime);
    if (!RealTime)
        return;
    if (Open)
        ClosePort();
    OpenPort();
}

void RealTimeOutput::SwitchOff() {
    SetMode(false);
}

bool RealTimeOutput::OpenPort() {
    if (Link.Open(Port) != TLinkResult::Success) {
        Open = Link.IsOpen();
        Warn(MessageText::ComOpeningError);
        SetMode(false);
        return false;
    }
    Open = true;
    Delivered.fill(-1); // the unit may have been restarted meanwhile
    return true;
}

void RealTimeOutput::ClosePort() {
    if (!Open)
        return;
    StopFlush();
    if (Link.Close() != TLinkResult::Success) {
        Warn(MessageText::ComClosingError);
        return;
    }
    Open = false;
}

void RealTimeOutput::ChoosePort(const QString& portName) {
    Port = portName;
    SetMode(false);
    ClosePort();
}

bool RealTimeOutput::MayDetect(int currentSlot) {
    if (Flushing) {
        if (currentSlot == LastDetectedSlot)
            return false;
        DropDeliveredRepeats();
        if (QueuedCount() > MaxQueuedDuringFlush)
            return false;
    }
    LastDetectedSlot = currentSlot;
    return true;
}

void RealTimeOutput::DropDeliveredRepeats() {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < OutputRecords.size(); ++i) {
        if (Delivered[OutputRecords[i].Contactor] == ValueRecords[i].Value)
            continue;
        OutputRecords[kept] = OutputRecords[i];
        ValueRecords[kept] = ValueRecords[i];
        ++kept;
    }
    OutputRecords.resize(kept);
    ValueRecords.resize(kept);
}

void RealTimeOutput::DetectChange(const TFullTrack& track, int currentSlot) {
    std::uint8_t value = 0;
    if (!track.GetValue(currentSlot + 1, value))
        return; // the last index holds no value: nothing to compare, nothing sent
    if (currentSlot == 0) {
        QueueChange(track.Output, value);
        return;
    }
    std::uint8_t previous = 0;
    if (track.GetValue(currentSlot, previous) && previous != value)
        QueueChange(track.Output, value);
}

void RealTimeOutput::QueueChange(std::uint8_t output, std::uint8_t value) {
    TMidiEventToRS232 outputRecord;
    outputRecord.Contactor = output;
    TMidiEventToRS232 valueRecord;
    valueRecord.Value = value;
    OutputRecords.push_back(outputRecord);
    ValueRecords.push_back(valueRecord);
}

void RealTimeOutput::SendQueued() {
    if (Flushing || !Active() || OutputRecords.empty())
        return;
    Flushing = true;
    SendNext();
}

void RealTimeOutput::SendNext() {
    InFlight[0] = OutputRecords.front();
    InFlight[1] = ValueRecords.front();
    OutputRecords.pop_front();
    ValueRecords.pop_front();
    if (!Link.SendChange(InFlight[0].Contactor, InFlight[1].Value))
        ChangeFinished(TLinkResult::WriteFailed);
}

void RealTimeOutput::ChangeFinished(TLinkResult result) {
    if (!Flushing)
        return;
    if (result != TLinkResult::Success) {
        // The unit is gone or silent: say so once, stop real-time output and drop what was
        // waiting. Switching the mode on again reopens the port and sends afresh.
        Flushing = false;
        OutputRecords.clear();
        ValueRecords.clear();
        SetMode(false);
        Warn(MessageText::ComWritingError);
        return;
    }
    Delivered[InFlight[0].Contactor] = InFlight[1].Value;
    if (Active() && !OutputRecords.empty()) {
        SendNext();
        return;
    }
    Flushing = false;
}

} // namespace lumivox
