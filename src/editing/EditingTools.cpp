// The editing step, the mouse handlers of the lanes and the pointer feedback.
#include "editing/EditingTools.h"

#include <algorithm>

namespace lumivox {

int TTimelineLaneGeometry::CellAtX(std::int64_t x) const {
    return Timeline.CellAtX(x, static_cast<std::int64_t>(Peaks.size()));
}

int TTimelineLaneGeometry::TrackAtY(std::int64_t y) const {
    return Timeline.TrackAtY(y, Doc.TrackCount(), static_cast<std::int64_t>(Peaks.size()));
}

std::int64_t TTimelineLaneGeometry::CellEdge(int cell) const {
    return Timeline.SlotX(static_cast<std::int64_t>(cell) * Timeline.SlotsPerCell());
}

EditingTools::EditingTools(ShowDocument& document, const ILaneGeometry& geometry,
                           IEditingToolHost& host, IUserInterface& ui, const Language& language)
    : Doc(document), Geometry(geometry), Host(host), Ui(ui), Lang(language) {}

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

void EditingTools::MouseDown(Qt::MouseButton button, std::int64_t x, std::int64_t y,
                             TModifierKey modifier) {
    if (button == Qt::LeftButton) {
        Drawing = true;
        ApplyTool(EffectiveMode(Tool, modifier), x, y);
    } else if (button == Qt::RightButton) {
        Host.PopupToolMenu();
    }
}

void EditingTools::MouseMove(std::int64_t x, std::int64_t y, TModifierKey modifier) {
    if (Drawing)
        ApplyTool(EffectiveMode(Tool, modifier), x, y);
    UpdatePointerFeedback(x, y, modifier);
}

void EditingTools::MouseUp() {
    Drawing = false;
    if (Doc.Modified)
        Host.TakeSnapshot();
}

std::uint8_t EditingTools::ValueFor(int mode, const TFullTrack& track, std::int64_t y,
                                    std::int64_t bottom) const {
    const bool onOff = track.TrackType == TrackTypeOnOff;
    switch (static_cast<TEditTool>(mode)) {
    case TEditTool::Draw: {
        if (onOff)
            return OnValue;
        const std::int64_t v = (bottom - y) * Geometry.ValueScale();
        return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
    }
    case TEditTool::Rubber:
        return OffValue;
    case TEditTool::DrawValue:
        return onOff ? OnValue : Value;
    case TEditTool::None:
        break;
    }
    return 0;
}

bool EditingTools::ApplyTool(int mode, std::int64_t x, std::int64_t y) {
    Doc.Modified = true;
    const int trackNumber = Geometry.TrackAtY(y);
    const int cell = Geometry.CellAtX(x);
    const int slotsPerCell = Geometry.SlotsPerCell();
    if (mode < 1 || mode > 3)
        return false;
    if (trackNumber < 1 || trackNumber > Doc.TrackCount() || cell < 1 || slotsPerCell < 1)
        return false;
    TFullTrack& track = Doc.Track(trackNumber);
    if (track.Locked)
        return false;

    const std::int64_t x0 = Geometry.CellEdge(cell - 1);
    const std::int64_t x1 = Geometry.CellEdge(cell);
    const std::int64_t top = Geometry.TrackTop(trackNumber);
    const std::int64_t bottom = top + Geometry.RowHeight() - 9;
    const std::uint8_t v = ValueFor(mode, track, y, bottom);
    Host.ShowValueText(QString::number(v));

    // Cells are whole: the write covers every slot of the cell, and stops at the first slot
    // past the track's end, leaving the slots before it written.
    const int first = (cell - 1) * slotsPerCell + 1;
    const int last = cell * slotsPerCell;
    const int lastWritable = std::min(last, track.SlotCount() - 1);
    if (lastWritable >= first)
        std::fill(track.Values.Data() + (first - 1), track.Values.Data() + lastWritable, v);
    if (lastWritable < last) {
        RefuseCellPastEnd();
        return false;
    }
    Host.RepaintCell(trackNumber, cell, x0, x1);
    return true;
}

void EditingTools::RefuseCellPastEnd() {
    const bool wasDrawing = Drawing;
    Ui.Warning(Text(TextTable::Messages, MessageText::NoMoreEvents, Lang));
    if (wasDrawing)
        MouseUp();
}

void EditingTools::UpdatePointerFeedback(std::int64_t x, std::int64_t y, TModifierKey modifier) {
    if (Drawing)
        return;
    const int trackNumber = Geometry.TrackAtY(y);
    const int cell = Geometry.CellAtX(x);
    const int slotsPerCell = Geometry.SlotsPerCell();
    std::uint8_t value = 0;
    // The cell must begin on a slot of the track; with one slot per cell that slot is the
    // one whose value the read-out shows.
    if (trackNumber < 1 || trackNumber > Doc.TrackCount() || cell < 1 || slotsPerCell < 1 ||
        !Doc.Track(trackNumber).GetValue((cell - 1) * slotsPerCell + 1, value)) {
        Host.ShowToolCursor(TToolCursor::Default);
        return;
    }
    Host.ShowValueText(slotsPerCell == 1 ? QString::number(value) : QStringLiteral("..."));
    const int mode = EffectiveMode(Tool, modifier);
    Host.ShowToolCursor(static_cast<TToolCursor>(mode));
}

void EditingTools::ResetPointerFeedback() {
    Host.ShowToolCursor(TToolCursor::Default);
    Host.ShowValueText(QStringLiteral("..."));
}

} // namespace lumivox
