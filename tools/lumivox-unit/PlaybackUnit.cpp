// The simulated playback unit's protocol state machine.
#include "PlaybackUnit.h"

namespace lumivox::unit {

PlaybackUnit::PlaybackUnit(TUnitBehaviour behaviour) : Behaviour(behaviour) {}

std::optional<TUnitChange> PlaybackUnit::Receive(std::uint8_t byte, Clock::time_point now) {
    if (Current != State::Idle && now - LastActivity > ResyncGap)
        Current = State::Idle;
    LastActivity = now;
    switch (Current) {
    case State::Idle:
        // Anything but the start byte between changes is line noise.
        if (byte == Start) {
            StartArrival = now;
            Current = State::WantOutput;
            Answer(now);
        }
        return std::nullopt;
    case State::WantOutput:
        PendingOutput = byte;
        Current = State::WantValue;
        return std::nullopt;
    case State::WantValue:
        break;
    }
    Current = State::Idle;
    Levels[PendingOutput] = byte;
    ++Changes;
    Answer(now);
    return TUnitChange{StartArrival, PendingOutput, byte};
}

void PlaybackUnit::Answer(Clock::time_point now) {
    if (!Behaviour.Acknowledge)
        return;
    TReply reply;
    reply.Due = now + Behaviour.AckDelay;
    reply.Bytes.assign(static_cast<std::size_t>(Behaviour.NoiseBytes), Noise);
    reply.Bytes.push_back(Acknowledge);
    Replies.push_back(std::move(reply));
}

std::vector<std::uint8_t> PlaybackUnit::TakeDueReplies(Clock::time_point now) {
    std::vector<std::uint8_t> bytes;
    while (!Replies.empty() && Replies.front().Due <= now) {
        bytes.insert(bytes.end(), Replies.front().Bytes.begin(), Replies.front().Bytes.end());
        Replies.pop_front();
        LastActivity = now;
    }
    return bytes;
}

std::optional<Clock::time_point> PlaybackUnit::NextReplyDue() const {
    if (Replies.empty())
        return std::nullopt;
    return Replies.front().Due;
}

} // namespace lumivox::unit
