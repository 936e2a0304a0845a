// Which commands are enabled, computed from the state of the show, the clipboard and the
// undo history; and the tracker that keeps them in step with those three.
#pragma once

#include <QObject>

#include <functional>

namespace lumivox {

class ShowDocument;
class TrackClipboard;
class UndoHistory;

struct TCommandInputs {
    bool SongOpen = false;
    int TrackCount = 0;
    int ClipboardCount = 0;
    int HistoryCount = 0;
    int HistoryCurrent = -1; // 0-based index of the current snapshot, -1 for none
    int SelectedCount = 0;
};

struct TCommandStates {
    bool NewTrack = false;
    bool DeleteTrack = false;
    bool SongCommands = false; // Project Properties, Save, Save as, Create Seq File, Replace MP3
    bool Transport = false;    // go to beginning, play, stop, pause, go to end, record
    bool CutCopy = false;      // in the header menu
    bool Paste = false;        // in both menus
    bool Undo = false;
    bool Redo = false;
    // Cut, Copy and Delete Track of the Edit menu, which act on the selection: the song is
    // open and some track is selected.
    bool Selection = false;

    friend bool operator==(const TCommandStates&, const TCommandStates&) = default;
};

// The one rule of undo and redo over a history of `count` snapshots whose current one is
// `current` (0-based, -1 for none): undo needs a current snapshot past the first, redo one
// before the last.
bool UndoPossible(int count, int current);
bool RedoPossible(int count, int current);

TCommandStates ComputeCommandStates(const TCommandInputs& in);

// Keeps the command states in step with the show's announcements and the changes of the
// undo history and the clipboard, and reports each new set. Whether a song is open is asked
// of `songOpen`; the song opening or closing is followed by an announcement of the show.
class CommandStateTracker : public QObject {
    Q_OBJECT
public:
    CommandStateTracker(const ShowDocument& document, std::function<bool()> songOpen,
                        QObject* parent = nullptr);
    // Follows the history and the clipboard too; either may be null.
    void Follow(const UndoHistory* history, const TrackClipboard* clipboard);

    const TCommandStates& States() const { return Current; }
    // Computes the states again; StatesChanged when they differ from the last ones.
    void Update();

Q_SIGNALS:
    void StatesChanged(const lumivox::TCommandStates& states);

private:
    const ShowDocument& Doc;
    std::function<bool()> SongOpen;
    const UndoHistory* History = nullptr;
    const TrackClipboard* Clipboard = nullptr;
    TCommandStates Current;
};

} // namespace lumivox
