// The waveform's per-column reduction and its cache of coarse levels.
#include "timeline/WaveformColumns.h"

#include "core/TimeAxis.h"

#include <algorithm>

namespace lumivox {

namespace {

// A peak as a level: peaks are signed samples, widened with their sign.
std::int32_t PeakLevel(std::int8_t peak) {
    return peak; // NOLINT(bugprone-signed-char-misuse): the sign is the sample's
}

} // namespace

TWaveColumn WaveformColumns::Reduce(const TWavePeaks& peaks, std::int64_t column,
                                    std::int64_t divisor) {
    TWaveColumn out;
    const auto size = static_cast<std::int64_t>(peaks.size());
    std::int64_t index = column * divisor * PairsPerRecord;
    for (std::int64_t group = 0; group < divisor && index + 2 < size;
         ++group, index += PairsPerRecord) {
        const auto i = static_cast<std::size_t>(index);
        out.LeftLine = PeakLevel(peaks[i].first);
        out.RightLine = PeakLevel(peaks[i].second);
        out.LeftMax = std::max(out.LeftMax, PeakLevel(peaks[i + 1].first));
        out.RightMax = std::max(out.RightMax, PeakLevel(peaks[i + 1].second));
        out.LeftMin = std::min(out.LeftMin, PeakLevel(peaks[i + 2].first));
        out.RightMin = std::min(out.RightMin, PeakLevel(peaks[i + 2].second));
    }
    return out;
}

void WaveformColumns::Watch(const TWavePeaks& peaks) {
    if (peaks.data() != SourceData || peaks.size() != SourceSize) {
        Invalidate();
        SourceData = peaks.data();
        SourceSize = peaks.size();
    }
}

TWaveColumn WaveformColumns::At(const TWavePeaks& peaks, int horzZoom, std::int64_t column) {
    Watch(peaks);
    if (horzZoom > CachedFromLevel)
        return Reduce(peaks, column, TimeAxis::ZoomDivisor(horzZoom));
    const std::vector<TWaveColumn>& level = Level(peaks, std::max(horzZoom, 1));
    if (column < 0 || column >= static_cast<std::int64_t>(level.size()))
        return {};
    return level[static_cast<std::size_t>(column)];
}

const std::vector<TWaveColumn>& WaveformColumns::Level(const TWavePeaks& peaks, int horzZoom) {
    const auto slot = static_cast<std::size_t>(horzZoom);
    if (Built[slot])
        return Levels[slot];
    std::vector<TWaveColumn> columns;
    const std::int64_t count =
        TimeAxis::ContentWidth(static_cast<std::int64_t>(peaks.size()), horzZoom);
    columns.reserve(static_cast<std::size_t>(count));
    if (horzZoom == CachedFromLevel) {
        const std::int64_t divisor = TimeAxis::ZoomDivisor(horzZoom);
        for (std::int64_t c = 0; c < count; ++c)
            columns.push_back(Reduce(peaks, c, divisor));
    } else {
        // Each column gathers two columns of the next finer level.
        const std::vector<TWaveColumn>& finer = Level(peaks, horzZoom + 1);
        for (std::int64_t c = 0; c < count; ++c) {
            const TWaveColumn& a = finer[static_cast<std::size_t>(2 * c)];
            const TWaveColumn& b = finer[static_cast<std::size_t>(2 * c + 1)];
            columns.push_back({b.LeftLine, std::max(a.LeftMax, b.LeftMax),
                               std::min(a.LeftMin, b.LeftMin), b.RightLine,
                               std::max(a.RightMax, b.RightMax), std::min(a.RightMin, b.RightMin)});
        }
    }
    Levels[slot] = std::move(columns);
    Built[slot] = true;
    return Levels[slot];
}

void WaveformColumns::Invalidate() {
    for (std::size_t level = 0; level < Levels.size(); ++level) {
        std::vector<TWaveColumn>().swap(Levels[level]);
        Built[level] = false;
    }
    SourceData = nullptr;
    SourceSize = 0;
}

int WaveformColumns::CachedLevels() const {
    return static_cast<int>(std::count(Built.begin(), Built.end(), true));
}

} // namespace lumivox
