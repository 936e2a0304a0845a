#pragma once
// Shared pieces of the timeline's widget tests: silent peaks of a given length, colours as text
// for readable failures, and letting queued paints and layouts run.

#include "audio/decode/WaveformCache.h"
#include "core/PeakScale.h"
#include "timeline/TimelineStyle.h"

#include <QApplication>
#include <QColor>

#include <cstddef>
#include <string>

namespace lumivox::test {

// Peaks of a song `seconds` long: one record per block of sample frames.
inline TWavePeaks SilentPeaks(double seconds) {
    const auto records =
        static_cast<std::size_t>(seconds * double(PeakSampleRate) / double(PeakBlockFrames));
    return TWavePeaks(records * PairsPerRecord, TPeakPair{0, 0});
}

inline std::string Hex(const QColor& color) {
    return color.name().toStdString();
}
inline std::string Hex(TColor color) {
    return Hex(ToQColor(color));
}

inline void Settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

} // namespace lumivox::test
