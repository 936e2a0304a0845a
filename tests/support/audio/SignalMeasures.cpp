// Measures in recorded audio for the play range tests and benchmarks.
#include "support/audio/SignalMeasures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumivox::test {

std::vector<float> LeftChannel(const std::vector<std::int16_t>& frames) {
    std::vector<float> left(frames.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<float>(frames[2 * i]) / 32768.0f;
    return left;
}

std::vector<std::size_t> MarkOnsets(const std::vector<float>& samples, float threshold,
                                    std::size_t quietBefore) {
    std::vector<std::size_t> onsets;
    std::size_t quiet = quietBefore; // the recording's start counts as quiet
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::fabs(samples[i]) <= threshold) {
            ++quiet;
            continue;
        }
        if (quiet >= quietBefore)
            onsets.push_back(i);
        quiet = 0;
    }
    return onsets;
}

double LoudestTone(const std::vector<float>& samples, std::size_t from, std::size_t to,
                   double frequency, long rate, std::size_t window) {
    to = std::min(to, samples.size());
    if (window < 2 || to < from + window)
        return 0.0;
    // The window's weights times the sine and the cosine at `frequency`, once.
    const double step = 2.0 * std::numbers::pi * frequency / static_cast<double>(rate);
    std::vector<double> cosines(window);
    std::vector<double> sines(window);
    double weightSum = 0.0;
    for (std::size_t i = 0; i < window; ++i) {
        const double weight = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                   static_cast<double>(window - 1));
        cosines[i] = weight * std::cos(step * static_cast<double>(i));
        sines[i] = weight * std::sin(step * static_cast<double>(i));
        weightSum += weight;
    }
    double loudest = 0.0;
    for (std::size_t start = from; start + window <= to; start += window / 2) {
        // The sine's amplitude from the windowed correlation with it.
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 0; i < window; ++i) {
            re += cosines[i] * samples[start + i];
            im += sines[i] * samples[start + i];
        }
        loudest = std::max(loudest, 2.0 * std::hypot(re, im) / weightSum);
    }
    return loudest;
}

std::size_t LongestQuietRun(const std::vector<float>& samples, std::size_t from, std::size_t to,
                            float level) {
    to = std::min(to, samples.size());
    std::size_t longest = 0;
    std::size_t run = 0;
    for (std::size_t i = from; i < to; ++i) {
        run = std::fabs(samples[i]) < level ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

std::size_t SoundEnd(const std::vector<float>& samples, float level) {
    for (std::size_t i = samples.size(); i > 0; --i)
        if (std::fabs(samples[i - 1]) >= level)
            return i;
    return 0;
}

} // namespace lumivox::test
