#pragma once
// The range the range-playing tests loop over in the loop song, and a show clock that counts
// the transport's resyncs.

#include "show/Transport.h"

#include <cstdint>

namespace lumivox::test {

// The loop song's range: 1 s to 3 s at 44.1 kHz; past 3 s another tone.
inline constexpr std::int64_t RangeFromMs = 1000;
inline constexpr std::int64_t RangeToMs = 3000;

class CountingShowClock : public IShowClock {
public:
    void Enable(bool) override {}
    void TickWork(int) override {}
    void Resync() override { ++Resyncs; }
    int Resyncs = 0;
};

} // namespace lumivox::test
