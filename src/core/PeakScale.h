// The waveform's unit of time, which is also the timeline's: one peak record stands for 128
// sample frames of the song at 44,100 Hz, whatever the song's own rate, and holds three
// (left, right) pairs.
#pragma once

namespace lumivox {

inline constexpr long PeakSampleRate = 44100; // frames per second the peak records count
inline constexpr int PeakBlockFrames = 128;   // sample frames per peak record
inline constexpr int PairsPerRecord = 3;

} // namespace lumivox
