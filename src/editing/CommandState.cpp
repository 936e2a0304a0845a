// The enabling rules of the commands, and following what they depend on.
#include "editing/CommandState.h"

#include "editing/TrackClipboard.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"

namespace lumivox {

bool UndoPossible(int count, int current) {
    return current >= 0 && current < count && count > 1 && current > 0;
}

bool RedoPossible(int count, int current) {
    return current >= 0 && current < count - 1;
}

TCommandStates ComputeCommandStates(const TCommandInputs& in) {
    TCommandStates out;
    out.NewTrack = in.SongOpen && in.TrackCount < MaxTracks;
    out.DeleteTrack = in.SongOpen && in.TrackCount > 0;
    out.SongCommands = in.SongOpen;
    out.Transport = in.SongOpen;
    out.CutCopy = in.SongOpen && in.TrackCount > 0;
    out.Paste = in.ClipboardCount > 0;
    out.Undo = UndoPossible(in.HistoryCount, in.HistoryCurrent);
    out.Redo = RedoPossible(in.HistoryCount, in.HistoryCurrent);
    out.Selection = in.SongOpen && in.SelectedCount > 0;
    return out;
}

CommandStateTracker::CommandStateTracker(const ShowDocument& document,
                                         std::function<bool()> songOpen, QObject* parent)
    : QObject(parent), Doc(document), SongOpen(std::move(songOpen)) {
    auto update = [this] { Update(); };
    connect(&Doc, &ShowDocument::TracksAdded, this, update);
    connect(&Doc, &ShowDocument::TracksRemoved, this, update);
    connect(&Doc, &ShowDocument::ProjectChanged, this, update);
    connect(&Doc, &ShowDocument::Reset, this, update);
    connect(&Doc, &ShowDocument::TrackChanged, this, [this](int, TTrackFields fields) {
        if (fields & TTrackField::Selected)
            Update();
    });
    Current = ComputeCommandStates({});
    Update();
}

void CommandStateTracker::Follow(const UndoHistory* history, const TrackClipboard* clipboard) {
    History = history;
    Clipboard = clipboard;
    if (History)
        connect(History, &UndoHistory::Changed, this, [this] { Update(); });
    if (Clipboard)
        connect(Clipboard, &TrackClipboard::Changed, this, [this] { Update(); });
    Update();
}

void CommandStateTracker::Update() {
    TCommandInputs in;
    in.SongOpen = SongOpen && SongOpen();
    in.TrackCount = Doc.TrackCount();
    in.SelectedCount = Doc.SelectedCount();
    in.ClipboardCount = Clipboard ? Clipboard->Count() : 0;
    in.HistoryCount = History ? History->Count() : 0;
    in.HistoryCurrent = History ? History->CurrentIndex() : -1;
    const TCommandStates states = ComputeCommandStates(in);
    if (states == Current)
        return;
    Current = states;
    Q_EMIT StatesChanged(Current);
}

} // namespace lumivox
