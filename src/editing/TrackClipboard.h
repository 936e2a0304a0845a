// Cut, Copy and Paste of whole tracks through a clipboard inside the program. Widget-free:
// it adds tracks with the track commands, in one bulk update of the show per Cut and Paste,
// and records one undo step for each.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"

#include <QObject>

#include <vector>

namespace lumivox {

class TrackClipboard : public QObject {
    Q_OBJECT
public:
    TrackClipboard(ShowDocument& document, IUserInterface& ui, TrackCommands& commands,
                   UndoHistory& history, const Language& language, QObject* parent = nullptr);

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

Q_SIGNALS:
    // The entries changed (what Paste can do).
    void Changed();

private:
    ShowDocument& Doc;
    IUserInterface& Ui;
    TrackCommands& Commands;
    UndoHistory& History;
    const Language& Lang;
    std::vector<TFullDataTrack> Entries;
};

} // namespace lumivox
