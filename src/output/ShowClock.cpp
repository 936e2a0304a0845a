// The show clock's tick, its cadence and the per-slot work.
#include "output/ShowClock.h"

#include "model/ProjectClasses.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"

#include <QTimer>

#include <algorithm>

namespace lumivox {

void RunTickWork(const ShowDocument& document, int currentSlot, const TrackRecorder& record,
                 RealTimeOutput& output, TDmxOutput* dmx) {
    const bool detect = output.Active();
    const bool frame = dmx != nullptr && dmx->Active();
    if (detect)
        output.BeginTick(currentSlot);
    if (frame)
        dmx->BeginTick(currentSlot);
    for (const TFullTrack* track : document.Tracks()) {
        if (!track->Heard(document.SoloActive()))
            continue;
        if (record)
            record(*track, currentSlot);
        if (detect)
            output.DetectChange(*track, currentSlot);
        if (frame)
            dmx->AddTrack(*track, currentSlot);
    }
    if (detect)
        output.SendQueued();
    if (frame)
        dmx->EndTick();
}

ShowClock::ShowClock(IMediaPlayer& player, ShowDocument& document, RealTimeOutput& output,
                     QObject* parent)
    : QObject(parent), Player(player), Document(document), Output(output), Timer(new QTimer(this)) {
    Timer->setObjectName(QStringLiteral("DXTimer1"));
    Timer->setTimerType(Qt::PreciseTimer);
    Timer->setSingleShot(true);
    Timer->setInterval(TickMs);
    connect(Timer, &QTimer::timeout, this, &ShowClock::Tick);
    // Switched on while the song plays: the unit learns the state now, not a tick later. The
    // port opens after the mode changes, so the tick runs from the event loop.
    connect(&Output, &RealTimeOutput::ModeChanged, this, [this](bool on) {
        if (on)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (IsEnabled && Player.Mode() == TMediaMode::Playing)
                        Tick();
                },
                Qt::QueuedConnection);
    });
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
    Output.RequestChase();
    if (Dmx != nullptr)
        Dmx->RequestChase();
}

void ShowClock::SetOutputOffsetMs(int ms) {
    OffsetMs = std::clamp(ms, -MaxOutputOffsetMs, MaxOutputOffsetMs);
}

int ShowClock::ShiftedSlot(std::int64_t positionMs) const {
    const int slotMs = ResolutionMs(Document.ResolutionIndex());
    if (slotMs <= 0)
        return 0;
    // Before the song (a negative offset near its start) the outputs hold the first slot.
    const std::int64_t shifted = std::max<std::int64_t>(positionMs + OffsetMs, 0);
    return static_cast<int>(shifted / slotMs);
}

void ShowClock::TickWork(int currentSlot) {
    // Without an offset the heard slot is the one the transport measured; with one, every
    // output reads the same slot, taken from the position at this tick.
    const int slot = OffsetMs == 0 ? currentSlot : ShiftedSlot(Player.PositionMs());
    RunTickWork(Document, slot, Record, Output, Dmx);
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
