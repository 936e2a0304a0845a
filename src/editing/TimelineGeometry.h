// The timeline's grid over its time axis: zoom levels and their tables, the pixel scales of
// ticks and slots, editing cells, lane rows and bar heights, and the hit tests of the lanes.
// Every painter and every tool goes through it; it holds no widget and no colour.
#pragma once

#include "core/TimeAxis.h"
#include "model/ProjectClasses.h"

#include <QString>
#include <Qt>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace lumivox {

// Rows of a track that are not lane: the separator band below the bottom line.
inline constexpr int LaneSeparatorRows = 9;

// Pixel columns [X0, X1), right edge excluded.
struct TPixelSpan {
    std::int64_t X0 = 0;
    std::int64_t X1 = 0;
    friend bool operator==(const TPixelSpan&, const TPixelSpan&) = default;
};

// 1-based slots First..Last.
struct TSlotRange {
    int First = -1;
    int Last = -1;
    friend bool operator==(const TSlotRange&, const TSlotRange&) = default;
};

// What lies under a point of the lanes, as the editing tools take it from the lanes view.
struct TLaneHit {
    int Track = -1;   // 1-based; -1 in a separator band, below the last track, without a song
    int Cell = -1;    // 1-based editing cell; -1 right of the last tick or without a song
    TSlotRange Slots; // the cell's slots; -1 without a cell
    int Value = -1;   // what the draw tool writes at this height; -1 outside every lane
    Qt::MouseButton Button = Qt::NoButton; // the button that changed (press and release)
};

// A track row in lane coordinates: the lane is rows Top..Bottom (Bottom is the line the
// bars stand on), the separator band rows Bottom..End - 1; the next row starts at End.
struct TLaneRow {
    std::int64_t Top = 0;
    std::int64_t Bottom = 0;
    std::int64_t End = 0;
};

class TimelineGeometry {
public:
    static constexpr int MinHorzZoom = TimeAxis::MinLevel;
    static constexpr int MaxHorzZoom = TimeAxis::MaxLevel;
    static constexpr int DefaultHorzZoom = TimeAxis::DefaultLevel;
    static constexpr int MinVertZoom = 1;
    static constexpr int MaxVertZoom = 5;
    static constexpr int DefaultVertZoom = 3;

    // Scales for resolution 1 (100 ms), level 13 and 3, without a song.
    TimelineGeometry();

    // ---- Tables ----------------------------------------------------------------------
    // Milliseconds per grid tick (one editing cell).
    static std::int64_t TickMs(int resolutionIndex, int horzZoom);
    // A time label stands on every n-th tick.
    static int TicksPerLabel(int resolutionIndex, int horzZoom);
    // Height of one track row: 264, 137, 73, 41, 25.
    static int LaneHeight(int vertZoom);
    // Value units per pixel of bar height: 1, 2, 4, 8, 16.
    static int ValueScale(int vertZoom);

    // The nearest integer, ties to the even one (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
    static std::int64_t Nearest(long double value);

    // ---- Scales ----------------------------------------------------------------------
    // Fills the tick and slot widths of every level for `resolutionIndex` (1, 2, 3;
    // anything else counts as 1). Computed exactly: every scale is an integer divided by a
    // power of two, so products with counts round only where they truly tie.
    void ComputePixelScales(int resolutionIndex);
    int ResolutionIndex() const { return Resolution; }
    int ResolutionInMs() const { return ResolutionMs(Resolution); }
    long double PixelsPerTick(int horzZoom) const;
    long double PixelsPerSlot(int horzZoom) const;

    // ---- View state ------------------------------------------------------------------
    int HorzZoom() const { return Horz; }
    int VertZoom() const { return Vert; }
    // Levels outside the valid range are clamped into it.
    void SetHorzZoom(int level);
    void SetVertZoom(int level);
    // In: one level wider (up to 15); out: one level narrower (down to 1). True when the
    // level changed; at a limit nothing changes.
    bool ZoomHorizontal(bool in);
    // In: taller lanes (level down to 1); out: flatter lanes (up to 5). True when changed.
    bool ZoomVertical(bool in);

    // ---- The song --------------------------------------------------------------------
    // The song's waveform: `pairs` peak pairs (0 without a song).
    void SetPeakPairCount(std::int64_t pairs) { Pairs = std::max<std::int64_t>(pairs, 0); }
    std::int64_t PeakPairCount() const { return Pairs; }
    // The song's length in ms, as the player measured it; 0 (the default) takes the length
    // the waveform covers.
    void SetSongLength(std::int64_t ms) { SongMs = std::max<std::int64_t>(ms, 0); }
    // The time axis at the current level, and at `horzZoom`.
    TimeAxis Axis() const { return Axis(Horz); }
    TimeAxis Axis(int horzZoom) const { return {horzZoom, SongMs, Pairs}; }
    // The length the timeline stands for: the measured one, else the waveform's; 0 without
    // a song.
    std::int64_t SongLength() const { return Axis().SongLength(); }
    // Width of the timeline in pixels at the current level; 0 without a song.
    std::int64_t ContentWidth() const { return Axis().ContentWidth(); }
    // The last 1-based slot an editing tool may write: the last slot that starts inside the
    // song and that the tracks hold (with a measured length, a track holds length div 100
    // slots); 0 without a song.
    int LastEditableSlot() const;
    // The cell holding the last editable slot; 0 without a song.
    int LastEditableCell() const;

    // ---- At the current levels -------------------------------------------------------
    long double TickWidth() const { return PixelsPerTick(Horz); }
    long double SlotWidth() const { return PixelsPerSlot(Horz); }
    int LaneHeight() const { return LaneHeight(Vert); }
    int ValueScale() const { return ValueScale(Vert); }
    std::int64_t CurrentTickMs() const { return TickMs(Resolution, Horz); }
    int CurrentTicksPerLabel() const { return TicksPerLabel(Resolution, Horz); }

    // Left edge of tick i (0-based): Nearest(i x tick width).
    std::int64_t TickX(std::int64_t tick) const;
    // Ticks drawn over a timeline of `contentWidth` pixels are 0 .. LastTick.
    std::int64_t LastTick(std::int64_t contentWidth) const;
    // Left edge of slot column i (0-based; slot i + 1): Nearest(i x slot width).
    std::int64_t SlotX(std::int64_t column) const;
    // Columns a slot's bar fills: from one past the slot's left edge to its right edge, and
    // one pixel when the slot is one pixel wide. Empty (X1 <= X0) for a slot narrower than
    // a pixel that does not reach a new pixel.
    TPixelSpan BarSpan(std::int64_t column) const;
    // The last slot column of a timeline `contentWidth` wide: Trunc(width / slot width).
    std::int64_t LastSlotColumn(std::int64_t contentWidth) const;
    // Fills `out` with the slot columns (0 .. LastSlotColumn) whose non-empty bars touch
    // pixels [x0, x1), left to right. The work is proportional to the range, not to the
    // timeline: when slots are narrower than a pixel only the one slot that reaches each
    // new pixel is visited.
    struct TBarColumn {
        std::int64_t Column = 0;
        TPixelSpan Span;
    };
    void VisibleBars(std::int64_t x0, std::int64_t x1, std::int64_t contentWidth,
                     std::vector<TBarColumn>& out) const;
    // Ticks whose x lies in [x0, x1) on a timeline `contentWidth` wide; empty when
    // First > Last.
    std::pair<std::int64_t, std::int64_t> TicksIn(std::int64_t x0, std::int64_t x1,
                                                  std::int64_t contentWidth) const;

    // Slots in one editing cell: tick ms div resolution ms.
    int SlotsPerCell() const;
    // Slots of 1-based cell `cell`.
    TSlotRange CellSlots(int cell) const;
    // Pixels of 1-based cell `cell`: Nearest((c - 1) x n x slot width) ..
    // Nearest(c x n x slot width), n = SlotsPerCell.
    TPixelSpan CellSpan(int cell) const;

    // The 1-based cell under content x, or -1: -1 without a song, left of 0 or right of the
    // editable end (the right edge of the last editable slot, kept within the timeline
    // but at least one pixel past the last cell's left edge). A pixel on a tick line belongs to the
    // cell on its right; the pixel on the editable end to the last cell. The last cell may
    // be partial: shorter than a tick where the song ends inside it.
    int CellAtX(std::int64_t x) const;
    // The content x right of which no cell lies; 0 without a song.
    std::int64_t EditableEndX() const;
    // The slots of `cell` that an editing tool writes: CellSlots cut at the last editable
    // slot; empty (First = Last = -1) when none of them is editable.
    TSlotRange EditableSlots(int cell) const;

    // The 1-based track whose lane holds content y, or -1: -1 without a song or tracks,
    // and in the 8 separator rows under each lane's bottom line.
    int TrackAtY(std::int64_t y, int trackCount) const;

    // What lies under content (x, y) of the lanes of `trackCount` tracks: track, cell, the
    // cell's editable slots and the draw value.
    TLaneHit HitAt(std::int64_t x, std::int64_t y, int trackCount) const;

    // Rows of 1-based track `track`.
    TLaneRow LaneRow(int track) const;
    // Height of all rows of `trackCount` tracks.
    std::int64_t LanesHeight(int trackCount) const;
    // Rows of a bar of `value`: value div ValueScale, rounded up.
    int BarHeight(int value) const;
    // The value the draw tool writes at content y on 1-based `track`: (bottom - y) x
    // ValueScale, at most 255 and at least 0.
    int DrawValueAtY(std::int64_t y, int track) const;

    // The time label of a tick at `ms`: "hh:mm:ss,mmm".
    static QString TimeLabel(std::int64_t ms);

private:
    // The last column whose left edge is at or left of x (x >= 0).
    std::int64_t LastColumnAtOrBefore(std::int64_t x) const;

    int Resolution = 1;
    std::int64_t SongMs = 0;
    std::int64_t Pairs = 0;
    int Horz = DefaultHorzZoom;
    int Vert = DefaultVertZoom;
    std::array<long double, MaxHorzZoom + 1> TickScale{};
    std::array<long double, MaxHorzZoom + 1> SlotScale{};
};

} // namespace lumivox
