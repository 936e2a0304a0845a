// Live DMX512 output through the Open Lighting Architecture: the universe frame the show clock
// builds from the heard tracks at each tick, and its sending to olad on a thread of its own.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "model/ProjectClasses.h"
#include "output/LiveOutput.h"

#include <QObject>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace lumivox {

inline constexpr int DmxChannelCount = 512;
using TDmxFrame = std::array<std::uint8_t, DmxChannelCount>;

// One tick's frame: channel n (1..255, at index n - 1) holds what the heard tracks on output n
// hold, the highest value when several do; output 0 ("All") fills every channel 1..255 that no
// other heard track drives. A channel nobody drives holds 0, as do channels 256..512.
class TDmxFrameBuilder {
public:
    TDmxFrameBuilder() { Begin(); }
    void Begin();
    void Add(std::uint8_t output, std::uint8_t value);
    TDmxFrame Finish() const;

private:
    std::array<int, 256> Driven{}; // the highest value on each output, -1 when none
};

// Whether olad answers on its RPC port: not known (nothing asked yet), yes or no.
enum class TOlaReach { Unknown, Reachable, Unreachable };

// The frame goes out whole, as the newest one only (a slow olad never makes frames queue up):
// at each slot change, whenever it differs from the last one, on a chase (Play, Locate,
// switch-on), and again at least once a second while on. When olad cannot be reached the user
// is warned once, the editor goes on, and the sender keeps trying at a bounded interval; once
// olad answers again the newest frame goes out at once.
class TDmxOutput : public QObject, public ILiveOutput {
    Q_OBJECT
public:
    static constexpr std::uint16_t DefaultServerPort = 9010; // olad's own default
    static constexpr int KeepAliveMs = 1000;
    static constexpr int FirstRetryMs = 100;
    static constexpr int LongestRetryMs = 1000;

    // `language` is read whenever a message is shown. `serverPort` is olad's RPC port.
    TDmxOutput(IUserInterface& ui, const Language& language,
               std::uint16_t serverPort = DefaultServerPort, QObject* parent = nullptr);
    ~TDmxOutput() override;

    // The operator's choice (the Outputs dialog).
    void SetEnabled(bool on);
    bool Enabled() const { return IsEnabled; }
    // The OLA universe the frame goes to (1 or more).
    void SetUniverse(unsigned universe);
    unsigned Universe() const { return UniverseId; }
    // Real-time mode, which DMX follows.
    void SetLive(bool on);
    bool Live() const { return IsLive; }
    // Frames are built and sent while enabled and live.
    bool Active() const override { return IsEnabled && IsLive; }
    // While watching (the Outputs dialog is open) olad is asked whether it answers even when
    // nothing is sent.
    void SetWatching(bool on);
    TOlaReach Reach() const { return LastReach; }
    std::uint16_t ServerPort() const { return Port; }

    // The whole frame goes out at the next tick, whatever it holds.
    void RequestChase() override { ChaseRequested = true; }

    // The show clock's per-tick work: TickBegin once, TickTrack for each heard track (its
    // value at `slot`, 1-based, when that slot holds one), then TickEnd, which hands the
    // frame to the sender when it is due.
    void TickBegin(int slot) override;
    void TickTrack(const TFullTrack& track, int slot) override;
    void TickEnd() override;

    // Every channel 0 at once (the show stopping), until the next frame is built.
    void Blackout();
    // The newest frame handed over (a blackout too) has reached olad.
    bool NewestDelivered() const;

    // The newest frame built.
    const TDmxFrame& Frame() const { return Current; }
    // Frames handed to the sender, and frames olad accepted.
    std::uint64_t HandedOver() const { return Handovers; }
    std::uint64_t Delivered() const;

    // The live show's side: the blackout frame and olad's health. A blackout stays pending while
    // olad cannot be reached; the live show's time limit ends the wait.
    QString OutputName() const override;
    void StartBlackout() override;
    TBlackoutState BlackoutState() const override;
    // olad answers at once or not at all: a blackout it has not taken in 3 s will not come.
    int BlackoutPatienceMs() const override { return 3000; }
    TOutputHealth Health() const override;

Q_SIGNALS:
    void ReachChanged(TOlaReach reach);

private:
    class TSender;

    void Reconfigure();
    void ReachReported(TOlaReach reach);

    IUserInterface& Ui;
    const Language& Lang;
    std::uint16_t Port;
    bool IsEnabled = false;
    bool IsLive = false;
    bool Watching = false;
    unsigned UniverseId = 1;
    TOlaReach LastReach = TOlaReach::Unknown;
    bool Warned = false;
    bool BlackoutWanted = false;

    TDmxFrameBuilder Builder;
    TDmxFrame Current{};
    int LastSlot = -1;
    int TickSlot = -1;
    bool ChaseRequested = false;
    bool Due = false; // this tick's frame goes out even when unchanged
    std::uint64_t Handovers = 0;

    std::unique_ptr<TSender> Sender;
};

} // namespace lumivox
