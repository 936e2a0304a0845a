// A waveform for the timeline benchmarks: `seconds` of peaks with a varying envelope, as the
// cache loader gives them.
#pragma once

#include "audio/decode/WaveformCache.h"

#include <cstddef>
#include <cstdint>

namespace lumivox::bench {

inline TWavePeaks MakeBenchPeaks(int seconds) {
    const auto records = static_cast<std::size_t>(std::int64_t{seconds} * 44100 / 128);
    TWavePeaks peaks(records * 3);
    for (std::size_t r = 0; r < records; ++r) {
        const auto a = static_cast<std::int32_t>((r * 37) % 128);
        const auto b = static_cast<std::int32_t>((r * 53) % 128);
        peaks[3 * r] = {a / 4, -b / 4};
        peaks[3 * r + 1] = {a, b};
        peaks[3 * r + 2] = {-a, -b - 1};
    }
    return peaks;
}

} // namespace lumivox::bench
