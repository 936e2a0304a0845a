// The playback unit's side of the serial protocol: takes the bytes the editor sends, keeps the
// 256 output levels, and says which acknowledges to send back and when.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace lumivox::unit {

using Clock = std::chrono::steady_clock;

// How the simulated unit misbehaves, for tests and rehearsals.
struct TUnitBehaviour {
    bool Acknowledge = true;               // false: never answer
    int NoiseBytes = 0;                    // bytes other than 0x01 sent before each 0x01
    std::chrono::milliseconds AckDelay{0}; // answer late by this much
};

// One change the unit applied: the arrival of its 0x1A, and output and value.
struct TUnitChange {
    Clock::time_point Arrival;
    std::uint8_t Output = 0;
    std::uint8_t Value = 0;
};

class PlaybackUnit {
public:
    static constexpr std::uint8_t Start = 0x1A;
    static constexpr std::uint8_t Acknowledge = 0x01;
    static constexpr std::uint8_t Noise = 0x55;
    // A command whose next byte is this late after the last byte either way was abandoned by
    // the sender (it gave up waiting, or reopened the port); the unit starts over. The editor
    // answers an acknowledge at once, so only a stall of its event loop comes near this.
    static constexpr std::chrono::milliseconds ResyncGap{250};

    explicit PlaybackUnit(TUnitBehaviour behaviour = {});

    // Takes one received byte at `now`; returns the change it completed, if any.
    std::optional<TUnitChange> Receive(std::uint8_t byte, Clock::time_point now);
    // The bytes due for sending at `now`, removed from the pending answers.
    std::vector<std::uint8_t> TakeDueReplies(Clock::time_point now);
    // When the next pending answer is due; nothing when none is pending.
    std::optional<Clock::time_point> NextReplyDue() const;

    // Sets a level directly (a sequence frame played against the clock).
    void SetLevel(std::uint8_t output, std::uint8_t value) { Levels[output] = value; }
    const std::array<std::uint8_t, 256>& Outputs() const { return Levels; }
    std::uint64_t ChangeCount() const { return Changes; }

private:
    enum class State { Idle, WantOutput, WantValue };
    void Answer(Clock::time_point now);

    TUnitBehaviour Behaviour;
    State Current = State::Idle;
    Clock::time_point LastActivity{};
    Clock::time_point StartArrival{};
    std::uint8_t PendingOutput = 0;
    std::array<std::uint8_t, 256> Levels{};
    std::uint64_t Changes = 0;
    struct TReply {
        Clock::time_point Due;
        std::vector<std::uint8_t> Bytes;
    };
    std::deque<TReply> Replies;
};

} // namespace lumivox::unit
