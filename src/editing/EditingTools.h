// The mouse editing tools of the lanes (draw, rubber, draw-value and no tool): the editing
// step that writes whole cells, the value read-out and the tool cursor under the pointer.
// Widget-free: positions arrive in lane content coordinates, the timeline is read through
// ILaneGeometry and everything shown goes through IEditingToolHost.
#pragma once

#include "audio/WaveformCache.h"
#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/KeyboardControl.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowDocument.h"

#include <QString>
#include <Qt>

#include <cstdint>

namespace lumivox {

enum class TEditTool : std::uint8_t { None = 0, Draw = 1, Rubber = 2, DrawValue = 3 };

// Application cursors: 0 is the arrow, 1..3 the tool cursors.
enum class TToolCursor : std::uint8_t { Default = 0, Draw = 1, Rubber = 2, DrawValue = 3 };

// What the tools read from the timeline geometry. Coordinates are in the lanes' content,
// which starts at the first track's top row and the song's first pixel.
class ILaneGeometry {
public:
    virtual ~ILaneGeometry() = default;
    // 1-based cell (grid tick) under x; -1 right of the last tick or without a song.
    virtual int CellAtX(std::int64_t x) const = 0;
    // 1-based track under y; -1 in a separator band, below the last track, or without a
    // song or tracks.
    virtual int TrackAtY(std::int64_t y) const = 0;
    // Slots in one cell at the current zoom and resolution.
    virtual int SlotsPerCell() const = 0;
    // Nearest(cell × SlotsPerCell × PixelsPerSlot): the right edge of `cell` and the left
    // edge of cell + 1 (0 for cell 0).
    virtual std::int64_t CellEdge(int cell) const = 0;
    // Top row of track `track`'s row: the heights of the rows above added up.
    virtual std::int64_t TrackTop(int track) const = 0;
    // Height of one track row (header and lane).
    virtual int RowHeight() const = 0;
    // Slot value units per pixel of bar height.
    virtual int ValueScale() const = 0;
};

// The lanes of the window's timeline: its geometry at the current zoom levels, the open
// show's track count and the loaded waveform, which decides the timeline's width.
class TTimelineLaneGeometry final : public ILaneGeometry {
public:
    TTimelineLaneGeometry(const TimelineGeometry& timeline, const ShowDocument& document,
                          const TWavePeaks& peaks)
        : Timeline(timeline), Doc(document), Peaks(peaks) {}

    int CellAtX(std::int64_t x) const override;
    int TrackAtY(std::int64_t y) const override;
    int SlotsPerCell() const override { return Timeline.SlotsPerCell(); }
    std::int64_t CellEdge(int cell) const override;
    std::int64_t TrackTop(int track) const override { return Timeline.LaneRow(track).Top; }
    int RowHeight() const override { return Timeline.LaneHeight(); }
    int ValueScale() const override { return Timeline.ValueScale(); }

private:
    const TimelineGeometry& Timeline;
    const ShowDocument& Doc;
    const TWavePeaks& Peaks;
};

// What the tools show. Every operation is optional.
class IEditingToolHost {
public:
    virtual ~IEditingToolHost() = default;
    // Cell `cell` of `track` changed: repaint its lane between x0 + 1 and x1 (x1 excluded),
    // from the row's top to its bottom line.
    virtual void RepaintCell(int /*track*/, int /*cell*/, std::int64_t /*x0*/,
                             std::int64_t /*x1*/) {}
    // The "Value :" read-out.
    virtual void ShowValueText(const QString& /*text*/) {}
    virtual void ShowToolCursor(TToolCursor /*cursor*/) {}
    // A right press in the lanes: the tool pop-up menu at the pointer.
    virtual void PopupToolMenu() {}
    // The end of a press: records an undo step when the tracks changed.
    virtual void TakeSnapshot() {}
};

class EditingTools {
public:
    EditingTools(ShowDocument& document, const ILaneGeometry& geometry, IEditingToolHost& host,
                 IUserInterface& ui, const Language& language);

    TEditTool EditTool() const { return Tool; }
    // Tags 0..3 select that tool; any other tag selects no tool.
    void SelectTool(int tag);
    std::uint8_t DrawValue() const { return Value; }
    void SetDrawValue(std::uint8_t value) { Value = value; }
    bool MouseDrawing() const { return Drawing; }

    // The mode a press or drag uses: the held modifier's tool (Ctrl rubber, Shift
    // draw-value, Alt draw), else the selected tool.
    static int EffectiveMode(TEditTool tool, TModifierKey modifier);

    // Mouse events of the lanes in content coordinates. The modifier is read at every press
    // and move, so pressing or releasing it mid-drag switches the tool at the next move.
    void MouseDown(Qt::MouseButton button, std::int64_t x, std::int64_t y, TModifierKey modifier);
    void MouseMove(std::int64_t x, std::int64_t y, TModifierKey modifier);
    void MouseUp();

    // One editing step: marks the project modified, then writes the mode's value into every
    // slot of the cell under (x, y) unless nothing is hit, the mode is no tool or the track
    // is locked. Returns true when the cell was written in full.
    bool ApplyTool(int mode, std::int64_t x, std::int64_t y);

    // Read-out and cursor for the pointer at (x, y); nothing while drawing.
    void UpdatePointerFeedback(std::int64_t x, std::int64_t y, TModifierKey modifier);
    // The pointer left the lanes for another control: arrow cursor and "..." read-out.
    void ResetPointerFeedback();

private:
    std::uint8_t ValueFor(int mode, const TFullTrack& track, std::int64_t y,
                          std::int64_t bottom) const;
    // The cell ran past the track's last slot: the warning, once for this event. The drag
    // ends with it, since the release goes to the message box and never reaches the lanes.
    void RefuseCellPastEnd();

    ShowDocument& Doc;
    const ILaneGeometry& Geometry;
    IEditingToolHost& Host;
    IUserInterface& Ui;
    const Language& Lang;
    TEditTool Tool = TEditTool::Draw;
    std::uint8_t Value = 255;
    bool Drawing = false;
};

} // namespace lumivox
