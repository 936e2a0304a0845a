// Undo and redo over whole-state snapshots of the tracks, at most twenty deep. Widget-free:
// it restores the tracks in one bulk update of the show, rebuilds them with the track
// commands and reports progress through IUserInterface.
// Snapshots share the slot values of unchanged tracks (copy on write), so a snapshot after a
// small edit costs one track's values, not the whole show's.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/CommandState.h"
#include "editing/TrackCommands.h"
#include "model/ShowDocument.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <deque>
#include <vector>

namespace lumivox {

// Copies the recorded fields of `track` (not its output, selection or live MIDI input) into
// `entry`; the values are shared until one side writes them.
void CopyTrackSettings(const TFullTrack& track, TFullDataTrack& entry);
// Sets the recorded fields of `entry` on `track` (written inside a bulk update of the show),
// except the output, which the caller chooses. The values are shared until one side writes.
void ApplyTrackSettings(const TFullDataTrack& entry, TFullTrack& track);

class UndoHistory : public QObject {
    Q_OBJECT
public:
    // One header-less copy per track, in track order.
    using TSnapshot = std::vector<TFullDataTrack>;
    static constexpr int MaxDepth = 20;

    // Tracks are rebuilt as `commands` makes new tracks (defaults, first free output,
    // selected alone and the anchor, no undo step).
    UndoHistory(ShowDocument& document, IUserInterface& ui, TrackCommands& commands,
                const Language& language, QObject* parent = nullptr);

    // Records the tracks when they differ from the current snapshot or when there is none;
    // drops the redo branch, and the oldest snapshot beyond MaxDepth.
    void TakeSnapshot();
    // True when the tracks differ from the current snapshot in anything but selection,
    // Locked, Mute, Solo and the live MIDI input; false with no current snapshot.
    bool StateDiffers() const;
    void Undo();
    void Redo();
    // Frees every snapshot; no current one.
    void ClearHistory();

    bool CanUndo() const { return UndoPossible(Count(), Current); }
    bool CanRedo() const { return RedoPossible(Count(), Current); }
    int Count() const { return static_cast<int>(Snapshots.size()); }
    // 0-based index of the current snapshot; -1 for none.
    int CurrentIndex() const { return Current; }
    const TSnapshot& Snapshot(int index) const {
        return Snapshots.at(static_cast<std::size_t>(index));
    }
    // Bytes of slot values held by all snapshots, each shared block counted once.
    std::size_t HeldValueBytes() const;

Q_SIGNALS:
    // The snapshots or the current one changed (what Undo and Redo can do).
    void Changed();

private:
    void Step(int target, int progressText);
    void DeleteAllTracks();
    void RestoreSnapshot(const TSnapshot& snapshot, TBulkUpdate& bulk);

    ShowDocument& Doc;
    IUserInterface& Ui;
    TrackCommands& Commands;
    const Language& Lang;
    std::deque<TSnapshot> Snapshots;
    int Current = -1;
};

} // namespace lumivox
