// How the timeline looks: its colours (0x00BBGGRR, as the model keeps colours) and the rows
// of the ruler and waveform strip.
#pragma once

#include "model/ProjectClasses.h"

#include <QColor>

namespace lumivox {

// A model colour on screen: the model keeps 0x00BBGGRR (red in the low byte), the way the
// project file stores it.
constexpr QColor ToQColor(TColor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

// Colours of the timeline (0x00BBGGRR).
inline constexpr TColor TimelineStripColor = 0xEFEFEF;  // ruler and waveform strip
inline constexpr TColor RulerPenColor = 0xEAEAEA;       // ruler baseline
inline constexpr TColor GridLabelledColor = 0xC0C0C0;   // tick line carrying a label
inline constexpr TColor GridTickColor = 0xEAEAEA;       // other tick lines
inline constexpr TColor GridBackColor = 0xFFFFFF;       // behind the waveform
inline constexpr TColor SeparatorPenColor = 0xC0C0C0;   // separator band outline
inline constexpr TColor SeparatorFillColor = 0xEAEAEA;  // separator band inside
inline constexpr TColor SilentLaneBackColor = 0xA1A1A1; // lane of a track not heard
inline constexpr TColor SilentLaneBarColor = 0x808080;  // its bars
inline constexpr TColor WaveformColor = 0x800000;       // navy
inline constexpr TColor PlayCursorColor = 0x0000FF;     // red
inline constexpr TColor CueMarkerColor = 0x000000;      // black; blinks with silver

// Rows of the ruler and waveform strip.
inline constexpr int RulerHeight = 14;     // the time ruler, rows 0..13
inline constexpr int RulerBaselineY = 13;  // its baseline
inline constexpr int WaveTop = 14;         // the grid and the waveform start here
inline constexpr int GridHeight = 85;      // rows of the grid behind the waveform
inline constexpr int WaveLeftCentre = 18;  // below WaveTop
inline constexpr int WaveRightCentre = 56; // below WaveTop
inline constexpr int WaveAmplitudeDivisor = 8;
inline constexpr int TimelineStripHeight = 95;

struct TLaneColors {
    TColor Back = 0;
    TColor Bar = 0;
};

// Colours of a track's lane: grey when the track is not heard (TFullTrack::Heard).
inline TLaneColors LaneColors(const TFullTrack& track, bool soloActive) {
    if (!track.Heard(soloActive))
        return {SilentLaneBackColor, SilentLaneBarColor};
    return {track.LaneBackColor, track.LaneColor};
}

} // namespace lumivox
