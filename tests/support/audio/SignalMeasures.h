// Measures taken in recorded audio by the tests and benchmarks of play ranges: where a loud
// mark begins, how loud a tone is at its loudest, how long the longest quiet stretch lasts and
// where the sound ends. Samples are one channel, full scale 1.0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumivox::test {

// One channel of interleaved 16-bit stereo frames, scaled to full scale 1.0.
std::vector<float> LeftChannel(const std::vector<std::int16_t>& frames);

// Every index at which the magnitude first exceeds `threshold` after at least `quietBefore`
// samples at or below it (the first index counts when the recording starts quiet enough).
std::vector<std::size_t> MarkOnsets(const std::vector<float>& samples, float threshold,
                                    std::size_t quietBefore);

// The amplitude of the sine at `frequency` in the loudest of the windows of `window` samples
// (Hann-weighted, half a window apart) over [from, to).
double LoudestTone(const std::vector<float>& samples, std::size_t from, std::size_t to,
                   double frequency, long rate, std::size_t window);

// The longest run of samples in [from, to) whose magnitude stays below `level`.
std::size_t LongestQuietRun(const std::vector<float>& samples, std::size_t from, std::size_t to,
                            float level);

// The index after the last sample whose magnitude reaches `level`; 0 when none does.
std::size_t SoundEnd(const std::vector<float>& samples, float level);

} // namespace lumivox::test
