// A clock for the null audio output that moves only when the test says so, and a wait for
// the audio threads to catch up with it.
#pragma once

#include "audio/playback/AudioOutput.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace lumivox::test {

class ManualClock {
public:
    OutputClock Function() {
        return [this] { return std::chrono::nanoseconds(Now.load()); };
    }
    template <typename Rep, typename Period> void Advance(std::chrono::duration<Rep, Period> step) {
        Now += std::chrono::duration_cast<std::chrono::nanoseconds>(step).count();
    }

private:
    std::atomic<std::int64_t> Now{5'000'000'000};
};

// Polls until `done` holds, for at most 20 s.
template <typename Predicate> bool WaitUntil(Predicate done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace lumivox::test
