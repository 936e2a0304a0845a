// The show clock's tick, its cadence and the per-slot work over the live outputs.
#include "show/ShowClock.h"

#include "core/SlotTime.h"
#include "model/ProjectClasses.h"
#include "output/LiveOutput.h"

#include <QTimer>

#include <algorithm>

namespace lumivox {

void RunTickWork(const ShowDocument& document, int currentSlot, const TrackRecorder& record,
                 const std::vector<ILiveOutput*>& outputs) {
    // The outputs that want this tick, asked once per tick; the list is kept between ticks
    // so a tick allocates nothing.
    thread_local std::vector<ILiveOutput*> active;
    active.clear();
    for (ILiveOutput* output : outputs)
        if (output->Active())
            active.push_back(output);
    const int slot = currentSlot + 1;
    for (ILiveOutput* output : active)
        output->TickBegin(slot);
    if (record || !active.empty()) {
        for (const TFullTrack* track : document.Tracks()) {
            if (!track->Heard(document.SoloActive()))
                continue;
            if (record)
                record(*track, currentSlot);
            for (ILiveOutput* output : active)
                output->TickTrack(*track, slot);
        }
    }
    for (ILiveOutput* output : active)
        output->TickEnd();
}

ShowClock::ShowClock(IMediaPlayer& player, ShowDocument& document, QObject* parent)
    : QObject(parent), Player(player), Document(document), Timer(new QTimer(this)) {
    Timer->setObjectName(QStringLiteral("DXTimer1"));
    Timer->setTimerType(Qt::PreciseTimer);
    Timer->setSingleShot(true);
    Timer->setInterval(TickMs);
    connect(Timer, &QTimer::timeout, this, &ShowClock::Tick);
}

void ShowClock::AddOutput(ILiveOutput& output) {
    if (std::find(LiveOutputs.begin(), LiveOutputs.end(), &output) == LiveOutputs.end())
        LiveOutputs.push_back(&output);
}

void ShowClock::RemoveOutput(ILiveOutput& output) {
    LiveOutputs.erase(std::remove(LiveOutputs.begin(), LiveOutputs.end(), &output),
                      LiveOutputs.end());
}

void ShowClock::TickSoon() {
    // A port opens after the mode changes, so the tick runs from the event loop.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (IsEnabled && Player.Mode() == TMediaMode::Playing)
                Tick();
        },
        Qt::QueuedConnection);
}

void ShowClock::Enable(bool on) {
    IsEnabled = on;
    if (on)
        Timer->start(TickMs);
    else
        Timer->stop();
}

bool ShowClock::Running() const {
    return Timer->isActive();
}

void ShowClock::Resync() {
    for (ILiveOutput* output : LiveOutputs)
        output->RequestChase();
}

void ShowClock::SetOutputOffsetMs(int ms) {
    OffsetMs = std::clamp(ms, -MaxOutputOffsetMs, MaxOutputOffsetMs);
}

int ShowClock::ShiftedSlot(std::int64_t positionMs) const {
    // Before the song (a negative offset near its start) the outputs hold the first slot.
    return SlotAtMs(positionMs + OffsetMs, ResolutionMs(Document.ResolutionIndex())) - 1;
}

void ShowClock::TickWork(int currentSlot) {
    // Without an offset the heard slot is the one the transport measured; with one, every
    // output reads the same slot, taken from the position at this tick.
    const int slot = OffsetMs == 0 ? currentSlot : ShiftedSlot(Player.PositionMs());
    RunTickWork(Document, slot, Record, LiveOutputs);
}

int ShowClock::MsToNextTick() const {
    if (Player.Mode() != TMediaMode::Playing)
        return IdleTickMs;
    // One millisecond past the boundary of the shifted time: the position the player reports
    // trails the clock by up to that much.
    const std::int64_t shifted = Player.PositionMs() + OffsetMs;
    const auto into = static_cast<int>(((shifted % TickMs) + TickMs) % TickMs);
    return TickMs - into + 1;
}

void ShowClock::Tick() {
    if (Player.Mode() == TMediaMode::Playing && OutputWatch && OutputWatch()) {
        // The player carries on from the last heard position on the system clock; the unit
        // is told the state at the position the clock has reached.
        Resync();
        QMetaObject::invokeMethod(this, &ShowClock::OutputLost, Qt::QueuedConnection);
    }
    if (PositionUpdate)
        PositionUpdate();
    Arm();
}

void ShowClock::Arm() {
    // A tick that paused the clock does not arm the next.
    if (IsEnabled)
        Timer->start(MsToNextTick());
}

} // namespace lumivox
