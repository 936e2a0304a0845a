// Undo and redo over whole-state snapshots of the tracks, twenty steps deep unless the user
// chose another depth, within a memory budget. Widget-free: it restores the tracks in one
// bulk update of the show, rebuilds them with the track commands and reports progress through
// IUserInterface.
// Snapshots cost little: the slot values share their unchanged chunks (copy on write), and a
// snapshot shares its groups of unchanged track entries with the one before it, so a
// snapshot after a one-cell edit holds one chunk, one chunk table and one group of its own.
// Operations over the whole show copy it whole each time, which the budget bounds.
// Each state also keeps what was selected with it (headers, anchor, time range): the
// selection when the state was recorded, then followed while the state stays the current
// one, until the show is edited; undo and redo select it again, so an undone shift puts the
// range back where it was before the shift.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/CommandState.h"
#include "editing/HistoryMemory.h"
#include "editing/TrackCommands.h"
#include "editing/UndoSnapshot.h"
#include "model/ShowDocument.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <deque>

namespace lumivox {

class RangeSelection;

// Copies the recorded fields of `track` (not its output, selection or live MIDI input) into
// `entry`; the values are shared until one side writes them.
void CopyTrackSettings(const TFullTrack& track, TFullDataTrack& entry);
// Sets the recorded fields of `entry` on `track` (written inside a bulk update of the show),
// except the output, which the caller chooses. The values are shared until one side writes.
void ApplyTrackSettings(const TFullDataTrack& entry, TFullTrack& track);

class UndoHistory : public QObject {
    Q_OBJECT
public:
    using TSnapshot = TUndoSnapshot;
    // Undo steps: the history keeps one snapshot more than its depth.
    static constexpr int DefaultDepth = 20;
    static constexpr int MinDepth = 1;
    static constexpr int MaxDepth = 1000;
    static constexpr std::size_t Megabyte = std::size_t{1} << 20;
    static constexpr std::size_t DefaultBudget = 512 * Megabyte;

    // Tracks are rebuilt as `commands` makes new tracks (defaults, first free output,
    // selected alone and the anchor, no undo step). Make the history before any range
    // selection of the same show, so that it hears of an edit before the range follows it.
    UndoHistory(ShowDocument& document, IUserInterface& ui, TrackCommands& commands,
                const Language& language, QObject* parent = nullptr);

    // The time range recorded and restored with each state beside the headers' selection.
    void FollowSelection(RangeSelection& range);

    // Records the tracks and the marks when they differ from the current snapshot or when
    // there is none; drops the redo branch, then the oldest snapshots beyond Depth() steps
    // and beyond the budget.
    void TakeSnapshot();
    // True when the marks or the tracks differ from the current snapshot (the tracks in
    // anything but selection, Locked, Mute, Solo and the live MIDI input); false with no
    // current snapshot.
    bool StateDiffers() const;
    // Each restores the tracks, the marks and the selection of the state before (after).
    void Undo();
    void Redo();
    // Frees every snapshot; no current one.
    void ClearHistory();

    // The most undo steps kept, within MinDepth..MaxDepth.
    int Depth() const { return DepthLimit; }
    // Clamps `depth` and applies it at once: beyond it the oldest snapshots go, then, when
    // the current one would have to go, the newest redo snapshots instead.
    void SetDepth(int depth);
    // The most memory the history may hold beyond the show (see BytesBeyondShow); past it
    // the oldest snapshots go, as beyond the depth, but never the current one.
    std::size_t Budget() const { return BudgetLimit; }
    void SetBudget(std::size_t bytes);

    bool CanUndo() const { return UndoPossible(Count(), Current); }
    bool CanRedo() const { return RedoPossible(Count(), Current); }
    int Count() const { return static_cast<int>(Snapshots.size()); }
    // The undo and redo steps held: one fewer than the snapshots.
    int Steps() const { return Count() > 0 ? Count() - 1 : 0; }
    // 0-based index of the current snapshot; -1 for none.
    int CurrentIndex() const { return Current; }
    const TSnapshot& Snapshot(int index) const {
        return Snapshots.at(static_cast<std::size_t>(index));
    }
    // Bytes of slot values held by all snapshots, each shared chunk counted once.
    std::size_t HeldValueBytes() const { return Memory.ValueBytes(); }
    // Everything the snapshots hold, each shared block counted once (see THistoryMemory).
    std::size_t HeldBytes() const { return Memory.Bytes(); }
    // What the history costs beyond the show itself, which emptying it would give back: the
    // blocks it holds that the show's tracks do not, and its tally of them.
    std::size_t BytesBeyondShow() const;

Q_SIGNALS:
    // The snapshots or the current one changed (what Undo and Redo can do).
    void Changed();

private:
    void Step(int target, int progressText);
    void DeleteAllTracks();
    void RestoreSnapshot(const TSnapshot& snapshot, TBulkUpdate& bulk);
    // Drops snapshots beyond the depth and the budget (see SetDepth and SetBudget).
    void Trim();
    // Drops the oldest snapshot, or the newest when the current one is the oldest.
    void DropOne();
    // Trim for a lowered limit, giving a large release back to the system.
    void TrimToLimits();
    // The show was edited: the current state keeps the selection it had until now.
    void ShowEdited();
    // The selection changed: the current state follows it until the show is edited.
    void SelectionChanged();
    // A bulk update ended: one that changed nothing recorded lets the selection be followed
    // again.
    void BulkUpdateEnded();

    ShowDocument& Doc;
    IUserInterface& Ui;
    TrackCommands& Commands;
    const Language& Lang;
    RangeSelection* Range = nullptr;
    std::deque<TSnapshot> Snapshots;
    THistoryMemory Memory;
    int Current = -1;
    int DepthLimit = DefaultDepth;
    std::size_t BudgetLimit = DefaultBudget;
    bool Edited = false;    // the show was edited since the current state was recorded
    bool Restoring = false; // an undo or redo is putting a state back
};

} // namespace lumivox
