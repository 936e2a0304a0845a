// The editing step, the mouse handlers of the lanes and the pointer feedback.
#include "editing/EditingTools.h"

#include <algorithm>

namespace lumivox {

EditingTools::EditingTools(ShowDocument& document, IEditingToolHost& host, IUserInterface& ui,
                           const Language& language)
    : Doc(document), Host(host), Ui(ui), Lang(language) {}

void EditingTools::SelectTool(int tag) {
    Tool = tag >= 0 && tag <= 3 ? static_cast<TEditTool>(tag) : TEditTool::None;
}

int EditingTools::EffectiveMode(TEditTool tool, TModifierKey modifier) {
    switch (modifier) {
    case TModifierKey::Ctrl:
        return static_cast<int>(TEditTool::Rubber);
    case TModifierKey::Shift:
        return static_cast<int>(TEditTool::DrawValue);
    case TModifierKey::Alt:
        return static_cast<int>(TEditTool::Draw);
    case TModifierKey::None:
        break;
    }
    return static_cast<int>(tool);
}

bool EditingTools::SelectsRange(TEditTool tool, TModifierKey modifier) {
    // Alt turns snapping over for the gesture and leaves the selection tool selecting.
    return modifier == TModifierKey::Shift ||
           (tool == TEditTool::None &&
            (modifier == TModifierKey::None || modifier == TModifierKey::Alt));
}

void EditingTools::MouseDown(const TLaneHit& hit, TModifierKey modifier) {
    if (hit.Button == Qt::LeftButton) {
        Drawing = true;
        ApplyTool(EffectiveMode(Tool, modifier), hit);
    } else if (hit.Button == Qt::RightButton) {
        Host.PopupToolMenu();
    }
}

void EditingTools::MouseMove(const TLaneHit& hit, TModifierKey modifier) {
    if (Drawing)
        ApplyTool(EffectiveMode(Tool, modifier), hit);
    UpdatePointerFeedback(hit, modifier);
}

void EditingTools::MouseUp() {
    Drawing = false;
    if (Doc.Modified())
        Host.TakeSnapshot();
}

std::uint8_t EditingTools::ValueFor(int mode, const TFullTrack& track, int drawValue) const {
    const bool onOff = track.TrackType == TrackTypeOnOff;
    switch (static_cast<TEditTool>(mode)) {
    case TEditTool::Draw:
        return onOff ? OnValue : static_cast<std::uint8_t>(std::clamp(drawValue, 0, 255));
    case TEditTool::Rubber:
        return OffValue;
    case TEditTool::DrawValue:
        return onOff ? OnValue : Value;
    case TEditTool::None:
        break;
    }
    return 0;
}

bool EditingTools::ApplyTool(int mode, const TLaneHit& hit) {
    Doc.SetModified(true);
    if (mode < 1 || mode > 3)
        return false;
    if (hit.Track < 1 || hit.Track > Doc.TrackCount() || hit.Cell < 1 || hit.Slots.First < 1 ||
        hit.Slots.Last < hit.Slots.First)
        return false;
    const TFullTrack& track = Doc.Track(hit.Track);
    if (track.Locked)
        return false;
    const std::uint8_t v = ValueFor(mode, track, hit.Value);
    Host.ShowValueText(QString::number(v));

    // Cells are whole: the write covers every slot of the cell, and stops at the first slot
    // past the track's end, leaving the slots before it written. The show announces what was
    // written, which repaints it.
    if (Doc.FillSlots(hit.Track, hit.Slots.First, hit.Slots.Last, v) < hit.Slots.Last) {
        RefuseCellPastEnd();
        return false;
    }
    return true;
}

void EditingTools::RefuseCellPastEnd() {
    const bool wasDrawing = Drawing;
    Ui.Warning(Text(TextTable::Messages, MessageText::NoMoreEvents, Lang));
    if (wasDrawing)
        MouseUp();
}

void EditingTools::UpdatePointerFeedback(const TLaneHit& hit, TModifierKey modifier) {
    if (Drawing)
        return;
    std::uint8_t value = 0;
    // The cell must begin on a slot of the track; with one slot per cell that slot is the
    // one whose value the read-out shows.
    if (hit.Track < 1 || hit.Track > Doc.TrackCount() || hit.Cell < 1 || hit.Slots.First < 1 ||
        hit.Slots.Last < hit.Slots.First ||
        !Doc.Track(hit.Track).GetValue(hit.Slots.First, value)) {
        Host.ShowToolCursor(TToolCursor::Default);
        return;
    }
    Host.ShowValueText(hit.Slots.First == hit.Slots.Last ? QString::number(value)
                                                         : QStringLiteral("..."));
    const int mode = SelectsRange(Tool, modifier) ? 0 : EffectiveMode(Tool, modifier);
    Host.ShowToolCursor(static_cast<TToolCursor>(mode));
}

void EditingTools::ResetPointerFeedback() {
    Host.ShowToolCursor(TToolCursor::Default);
    Host.ShowValueText(QStringLiteral("..."));
}

} // namespace lumivox
