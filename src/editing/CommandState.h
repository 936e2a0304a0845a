// Which commands are enabled, computed from the state of the show, the clipboard and the
// undo history.
#pragma once

namespace lumivox {

struct TCommandInputs {
    bool SongOpen = false;
    int TrackCount = 0;
    int ClipboardCount = 0;
    int HistoryCount = 0;
    int HistoryCurrent = -1; // 0-based index of the current snapshot, -1 for none
};

struct TCommandStates {
    bool NewTrack = false;
    bool DeleteTrack = false;
    bool SongCommands = false; // Project Properties, Save, Save as, Create Seq File, Replace MP3
    bool Transport = false;    // go to beginning, play, stop, pause, go to end, record
    bool CutCopy = false;      // in the Edit menu and the header menu
    bool Paste = false;        // in both menus
    bool Undo = false;
    bool Redo = false;

    friend bool operator==(const TCommandStates&, const TCommandStates&) = default;
};

TCommandStates ComputeCommandStates(const TCommandInputs& in);

} // namespace lumivox
