// The mouse editing tools of the lanes (draw, rubber, draw-value and no tool): the editing
// step that writes whole cells, the value read-out and the tool cursor under the pointer.
// Widget-free: each mouse event arrives as the lanes view's hit (track, cell, slots and the
// draw value under the pointer), the show writes the slots and announces them to the views,
// and the read-out, the cursor and the pop-up menu go through IEditingToolHost.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/KeyboardControl.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowDocument.h"

#include <QString>
#include <Qt>

#include <cstdint>

namespace lumivox {

// Tag 0 writes nothing: in the lanes it is the selection tool, whose drags select time ranges.
enum class TEditTool : std::uint8_t { None = 0, Draw = 1, Rubber = 2, DrawValue = 3 };

// Application cursors: 0 is the arrow, 1..3 the tool cursors.
enum class TToolCursor : std::uint8_t { Default = 0, Draw = 1, Rubber = 2, DrawValue = 3 };

// What the tools ask of the window.
class IEditingToolHost {
public:
    virtual ~IEditingToolHost() = default;
    // The "Value :" read-out.
    virtual void ShowValueText(const QString& text) = 0;
    virtual void ShowToolCursor(TToolCursor cursor) = 0;
    // A right press in the lanes: the tool pop-up menu at the pointer.
    virtual void PopupToolMenu() = 0;
    // The end of a press: records an undo step when the tracks changed.
    virtual void TakeSnapshot() = 0;
};

class EditingTools {
public:
    EditingTools(ShowDocument& document, IEditingToolHost& host, IUserInterface& ui,
                 const Language& language);

    TEditTool EditTool() const { return Tool; }
    // Tags 0..3 select that tool; any other tag selects no tool.
    void SelectTool(int tag);
    std::uint8_t DrawValue() const { return Value; }
    void SetDrawValue(std::uint8_t value) { Value = value; }
    bool MouseDrawing() const { return Drawing; }

    // The mode a press or drag uses: the held modifier's tool (Ctrl rubber, Shift
    // draw-value, Alt draw), else the selected tool.
    static int EffectiveMode(TEditTool tool, TModifierKey modifier);
    // A left press selects a time range instead of writing: with Shift held in any tool, and
    // in the selection tool (no tool) without a modifier or with Alt, which inverts snapping
    // as it does for every gesture. The window routes such a press to
    // the selection, not to MouseDown; a Shift pressed once a drag draws switches it to the
    // draw value as before.
    static bool SelectsRange(TEditTool tool, TModifierKey modifier);

    // Mouse events of the lanes, as hits. The modifier is the keyboard's, read at every press
    // and move, so pressing or releasing it mid-drag switches the tool at the next move.
    void MouseDown(const TLaneHit& hit, TModifierKey modifier);
    void MouseMove(const TLaneHit& hit, TModifierKey modifier);
    void MouseUp();

    // One editing step: marks the project modified, then writes the mode's value into every
    // slot of the hit cell unless nothing is hit, the mode is no tool or the track is locked.
    // Returns true when the cell was written in full.
    bool ApplyTool(int mode, const TLaneHit& hit);

    // Read-out and cursor for the pointer over `hit` (the arrow where a press would select);
    // nothing while drawing.
    void UpdatePointerFeedback(const TLaneHit& hit, TModifierKey modifier);
    // The pointer left the lanes for another control: arrow cursor and "..." read-out.
    void ResetPointerFeedback();

private:
    // The byte `mode` writes on `track` where the draw tool would write `drawValue`.
    std::uint8_t ValueFor(int mode, const TFullTrack& track, int drawValue) const;
    // The cell ran past the track's last slot: the warning, once for this event. The drag
    // ends with it, since the release goes to the message box and never reaches the lanes.
    void RefuseCellPastEnd();

    ShowDocument& Doc;
    IEditingToolHost& Host;
    IUserInterface& Ui;
    const Language& Lang;
    TEditTool Tool = TEditTool::Draw;
    std::uint8_t Value = 255;
    bool Drawing = false;
};

} // namespace lumivox
