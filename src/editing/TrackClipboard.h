// Cut, Copy and Paste of whole tracks through a clipboard inside the program. Widget-free:
// it adds tracks through IEditHistoryHost and records one undo step per Cut and Paste.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"

#include <vector>

namespace lumivox {

class TrackClipboard {
public:
    TrackClipboard(ShowDocument& document, IUserInterface& ui, IEditHistoryHost& host,
                   UndoHistory& history, const Language& language);

    // Replaces the clipboard with a copy of every selected track, in track order: settings
    // and values, not the output, the selection or the live MIDI input.
    void CopySelection();
    // CopySelection, then deletes the selected tracks without asking and records an undo
    // step; the selection moves to the anchor track.
    void CutSelection();
    // Appends one track per entry with the first free output and everything else from the
    // entry, stopping silently at MaxTracks; the last one pasted is the only one selected.
    // Records an undo step. The clipboard is kept.
    void PasteClipboard();

    int Count() const { return static_cast<int>(Entries.size()); }
    bool Empty() const { return Entries.empty(); }
    const TFullDataTrack& Entry(int index) const {
        return Entries.at(static_cast<std::size_t>(index));
    }
    // Empties the clipboard (new project, open, song replaced).
    void Clear();

private:
    ShowDocument& Doc;
    IUserInterface& Ui;
    IEditHistoryHost& Host;
    UndoHistory& History;
    const Language& Lang;
    std::vector<TFullDataTrack> Entries;
};

} // namespace lumivox
