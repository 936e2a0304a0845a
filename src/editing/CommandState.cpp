// The enabling rules of the commands.
#include "editing/CommandState.h"

#include "model/ProjectClasses.h"

namespace lumivox {

TCommandStates ComputeCommandStates(const TCommandInputs& in) {
    TCommandStates out;
    out.NewTrack = in.SongOpen && in.TrackCount < MaxTracks;
    out.DeleteTrack = in.SongOpen && in.TrackCount > 0;
    out.SongCommands = in.SongOpen;
    out.Transport = in.SongOpen;
    out.CutCopy = in.SongOpen && in.TrackCount > 0;
    out.Paste = in.ClipboardCount > 0;
    const bool hasCurrent = in.HistoryCurrent >= 0 && in.HistoryCurrent < in.HistoryCount;
    out.Undo = hasCurrent && in.HistoryCount > 1 && in.HistoryCurrent > 0;
    out.Redo = hasCurrent && in.HistoryCurrent < in.HistoryCount - 1;
    return out;
}

} // namespace lumivox
