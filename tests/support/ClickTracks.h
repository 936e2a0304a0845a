// The click tracks the beat tests and the beat benchmark listen to: where their clicks are,
// and how well a list of beats found matches them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <vector>

namespace lumivox::test {

// A run of `Count` clicks `PeriodMs` apart.
struct TClickRun {
    double PeriodMs;
    int Count;
};

// The click times of a track made of silence of `leadMs`, then the runs one after the other.
inline std::vector<double> ClickTimes(double leadMs, std::initializer_list<TClickRun> runs) {
    std::vector<double> times;
    double at = leadMs;
    for (const TClickRun& run : runs)
        for (int i = 0; i < run.Count; ++i, at += run.PeriodMs)
            times.push_back(at);
    return times;
}

// The tracks made by make_fixtures.sh (clicks_120*, clicks_100_140).
inline std::vector<double> Clicks120() {
    return ClickTimes(250, {{500, 48}});
}
inline std::vector<double> Clicks100To140() {
    return ClickTimes(250, {{600, 20}, {60000.0 / 140, 42}});
}

// How beats found compare with the clicks from `fromMs` on: each click is matched by at most
// one beat within `toleranceMs` of it, and each beat by at most one click.
struct TBeatMatch {
    int Clicks = 0;  // clicks considered
    int Beats = 0;   // beats considered
    int Matched = 0; // pairs within the tolerance
    double WorstErrorMs = 0;

    double Recall() const { return Clicks > 0 ? double(Matched) / Clicks : 0; }
    double Precision() const { return Beats > 0 ? double(Matched) / Beats : 0; }
    double FMeasure() const {
        const double sum = Recall() + Precision();
        return sum > 0 ? 2 * Recall() * Precision() / sum : 0;
    }
};

inline TBeatMatch MatchBeats(const std::vector<double>& beats, const std::vector<double>& clicks,
                             double toleranceMs, double fromMs) {
    TBeatMatch match;
    std::vector<double> from;
    for (double beat : beats)
        if (beat >= fromMs - toleranceMs)
            from.push_back(beat);
    match.Beats = static_cast<int>(from.size());
    std::vector<bool> used(from.size(), false);
    for (double click : clicks) {
        if (click < fromMs)
            continue;
        ++match.Clicks;
        std::size_t best = from.size();
        for (std::size_t i = 0; i < from.size(); ++i)
            if (!used[i] && std::abs(from[i] - click) <= toleranceMs &&
                (best == from.size() || std::abs(from[i] - click) < std::abs(from[best] - click)))
                best = i;
        if (best == from.size())
            continue;
        used[best] = true;
        ++match.Matched;
        match.WorstErrorMs = std::max(match.WorstErrorMs, std::abs(from[best] - click));
    }
    return match;
}

} // namespace lumivox::test
