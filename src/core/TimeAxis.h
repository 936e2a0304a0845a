// The timeline's time axis: where a time falls in content x at a zoom level and back, how
// wide the song's timeline is, and where the play cursor stands. A zoom level shows
// 2^(15 - level) peak records per pixel column; at level 15 one column is one record.
// Every view, tool and the transport map time to pixels through it.
#pragma once

#include <cstdint>

namespace lumivox {

class TimeAxis {
public:
    static constexpr int MinLevel = 1;
    static constexpr int MaxLevel = 15;
    static constexpr int DefaultLevel = 13;

    // ---- At any level ------------------------------------------------------------------
    // Levels outside MinLevel..MaxLevel count as the nearest valid one.
    static int ClampLevel(int level);
    // Peak records per pixel column: 2^(15 - level).
    static int ZoomDivisor(int level);
    // Content pixels per millisecond: 44.1 / (ZoomDivisor x 128).
    static long double PixelsPerMs(int level);
    // The content x where `ms` falls, and the time at content x (both unrounded).
    static long double XOfMs(long double ms, int level);
    static long double MsOfX(long double x, int level);
    // Pixels `ms` spans, exactly, for a whole number of tenths of a second: ms x 44.1 is then
    // a whole number of frames and the divisor a power of two.
    static long double ExactPixels(std::int64_t ms, int level);
    // The finest level at which `spanMs` fits in `viewWidth` pixels; the coarsest level when
    // nothing fits, the finest when the span is empty.
    static int LevelToFit(std::int64_t spanMs, int viewWidth);
    // Width in pixels of a waveform of `peakPairCount` pairs: (pairs div 3) div ZoomDivisor;
    // 0 without a song.
    static std::int64_t ContentWidth(std::int64_t peakPairCount, int level);
    // The time a waveform of `peakPairCount` pairs covers, in whole ms.
    static std::int64_t WaveformLengthMs(std::int64_t peakPairCount);

    // ---- One song at one level ---------------------------------------------------------
    // No song, at the default level.
    TimeAxis() = default;
    // The song as the player measured it (`songLengthMs`; 0 when not measured) over a
    // waveform of `peakPairCount` pairs, at `level`.
    TimeAxis(int level, std::int64_t songLengthMs, std::int64_t peakPairCount);

    int Level() const { return AxisLevel; }
    std::int64_t PeakPairCount() const { return Pairs; }
    bool HasSong() const { return Pairs > 0; }
    long double PixelsPerMs() const { return PixelsPerMs(AxisLevel); }
    long double XOfMs(long double ms) const { return XOfMs(ms, AxisLevel); }
    long double MsOfX(long double x) const { return MsOfX(x, AxisLevel); }
    // The timeline's width in pixels; 0 without a song.
    std::int64_t ContentWidth() const { return ContentWidth(Pairs, AxisLevel); }
    // The length the timeline stands for: the measured one, else the waveform's; 0 without
    // a song.
    std::int64_t SongLength() const;
    // The play cursor and the cue marker are placed in proportion to the song over the
    // timeline's whole pixels: Trunc(ms / (length / width)); 0 without a length or a width.
    std::int64_t CursorX(std::int64_t ms) const;
    // The time a press at content x on the ruler strip locates to: Trunc(length / width x x).
    std::int64_t CursorMs(std::int64_t x) const;
    // The scale of the cursor's placement: width / length pixels per ms; 0 without a song.
    long double CursorPixelsPerMs() const;

private:
    int AxisLevel = DefaultLevel;
    std::int64_t MeasuredMs = 0;
    std::int64_t Pairs = 0;
};

} // namespace lumivox
