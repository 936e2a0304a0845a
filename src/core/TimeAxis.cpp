// The timeline's time axis.
#include "core/TimeAxis.h"

#include "core/PeakScale.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

int TimeAxis::ClampLevel(int level) {
    return std::clamp(level, MinLevel, MaxLevel);
}

int TimeAxis::ZoomDivisor(int level) {
    return 1 << (MaxLevel - ClampLevel(level));
}

long double TimeAxis::PixelsPerMs(int level) {
    return static_cast<long double>(PeakSampleRate) / 1000.0L /
           static_cast<long double>(std::int64_t{ZoomDivisor(level)} * PeakBlockFrames);
}

long double TimeAxis::XOfMs(long double ms, int level) {
    return ms * PixelsPerMs(level);
}

long double TimeAxis::MsOfX(long double x, int level) {
    return x / PixelsPerMs(level);
}

long double TimeAxis::ExactPixels(std::int64_t ms, int level) {
    const std::int64_t frames = ms * PeakSampleRate / 1000;
    return static_cast<long double>(frames) /
           static_cast<long double>(std::int64_t{ZoomDivisor(level)} * PeakBlockFrames);
}

int TimeAxis::LevelToFit(std::int64_t spanMs, int viewWidth) {
    if (spanMs <= 0)
        return MaxLevel;
    for (int level = MaxLevel; level > MinLevel; --level)
        if (XOfMs(static_cast<long double>(spanMs), level) <= static_cast<long double>(viewWidth))
            return level;
    return MinLevel;
}

std::int64_t TimeAxis::ContentWidth(std::int64_t peakPairCount, int level) {
    if (peakPairCount <= 0)
        return 0;
    return (peakPairCount / PairsPerRecord) / ZoomDivisor(level);
}

std::int64_t TimeAxis::WaveformLengthMs(std::int64_t peakPairCount) {
    if (peakPairCount <= 0)
        return 0;
    return peakPairCount / PairsPerRecord * PeakBlockFrames * 1000 / PeakSampleRate;
}

TimeAxis::TimeAxis(int level, std::int64_t songLengthMs, std::int64_t peakPairCount)
    : AxisLevel(ClampLevel(level)), MeasuredMs(std::max<std::int64_t>(songLengthMs, 0)),
      Pairs(std::max<std::int64_t>(peakPairCount, 0)) {}

std::int64_t TimeAxis::SongLength() const {
    if (Pairs <= 0)
        return 0;
    return MeasuredMs > 0 ? MeasuredMs : WaveformLengthMs(Pairs);
}

std::int64_t TimeAxis::CursorX(std::int64_t ms) const {
    const std::int64_t length = SongLength();
    const std::int64_t width = ContentWidth();
    if (length <= 0 || width <= 0)
        return 0;
    const double msPerPixel = static_cast<double>(length) / static_cast<double>(width);
    return static_cast<std::int64_t>(std::trunc(static_cast<double>(ms) / msPerPixel));
}

long double TimeAxis::CursorPixelsPerMs() const {
    const std::int64_t length = SongLength();
    if (length <= 0)
        return 0.0L;
    return static_cast<long double>(ContentWidth()) / static_cast<long double>(length);
}

std::int64_t TimeAxis::CursorMs(std::int64_t x) const {
    const std::int64_t width = ContentWidth();
    if (width <= 0)
        return 0;
    const double msPerPixel = static_cast<double>(SongLength()) / static_cast<double>(width);
    return static_cast<std::int64_t>(std::trunc(msPerPixel * static_cast<double>(x)));
}

} // namespace lumivox
