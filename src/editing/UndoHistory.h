// Undo and redo over whole-state snapshots of the tracks, twenty steps deep unless the user
// chose another depth. Widget-free: it restores the tracks in one bulk update of the show, rebuilds
// them with the track commands and reports progress through IUserInterface.
// Snapshots cost little: the slot values share their unchanged chunks (copy on write), and a
// snapshot shares its groups of unchanged track entries with the one before it, so a
// snapshot after a one-cell edit holds one chunk, one chunk table and one group of its own.
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
#include <memory>
#include <vector>

namespace lumivox {

// Copies the recorded fields of `track` (not its output, selection or live MIDI input) into
// `entry`; the values are shared until one side writes them.
void CopyTrackSettings(const TFullTrack& track, TFullDataTrack& entry);
// Sets the recorded fields of `entry` on `track` (written inside a bulk update of the show),
// except the output, which the caller chooses. The values are shared until one side writes.
void ApplyTrackSettings(const TFullDataTrack& entry, TFullTrack& track);

// One header-less copy per track, in track order, held in groups of GroupSize tracks that
// later snapshots share while none of their tracks changes, and the show's marks, shared
// likewise while they do not change.
class TUndoSnapshot {
public:
    static constexpr std::size_t GroupSize = 8;

    std::size_t size() const { return Count; }
    const TFullDataTrack& operator[](std::size_t index) const {
        return (*Groups[index / GroupSize])[index % GroupSize];
    }
    // True when group `group` (of index / GroupSize) is the very same in both.
    bool SharesGroupWith(const TUndoSnapshot& other, std::size_t group) const {
        return group < Groups.size() && group < other.Groups.size() &&
               Groups[group] == other.Groups[group];
    }
    const TShowMarks& Marks() const { return *MarkList; }
    // True when both hold the very same copy of the marks.
    bool SharesMarksWith(const TUndoSnapshot& other) const { return MarkList == other.MarkList; }

private:
    friend class UndoHistory;
    using TGroup = std::vector<TFullDataTrack>;

    std::vector<std::shared_ptr<const TGroup>> Groups;
    std::size_t Count = 0;
    std::shared_ptr<const TShowMarks> MarkList = std::make_shared<const TShowMarks>();
};

class UndoHistory : public QObject {
    Q_OBJECT
public:
    using TSnapshot = TUndoSnapshot;
    // Undo steps: the history keeps one snapshot more than its depth.
    static constexpr int DefaultDepth = 20;
    static constexpr int MinDepth = 1;
    static constexpr int MaxDepth = 1000;

    // Tracks are rebuilt as `commands` makes new tracks (defaults, first free output,
    // selected alone and the anchor, no undo step).
    UndoHistory(ShowDocument& document, IUserInterface& ui, TrackCommands& commands,
                const Language& language, QObject* parent = nullptr);

    // Records the tracks and the marks when they differ from the current snapshot or when
    // there is none; drops the redo branch, and the oldest snapshot beyond Depth() steps.
    void TakeSnapshot();
    // True when the marks or the tracks differ from the current snapshot (the tracks in
    // anything but selection, Locked, Mute, Solo and the live MIDI input); false with no
    // current snapshot.
    bool StateDiffers() const;
    void Undo();
    void Redo();
    // Frees every snapshot; no current one.
    void ClearHistory();

    // The most undo steps kept, within MinDepth..MaxDepth.
    int Depth() const { return DepthLimit; }
    // Clamps `depth` and applies it at once: beyond it the oldest snapshots go, then, when
    // the current one would have to go, the newest redo snapshots instead.
    void SetDepth(int depth);

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
    std::size_t HeldValueBytes() const;
    // Everything the snapshots hold, each shared block counted once: the value chunks, the
    // chunk tables, the groups of track entries and the snapshots' group lists (not the
    // captions' text, which Qt shares with the tracks, nor the heap's own bookkeeping).
    std::size_t HeldBytes() const;

Q_SIGNALS:
    // The snapshots or the current one changed (what Undo and Redo can do).
    void Changed();

private:
    void Step(int target, int progressText);
    void DeleteAllTracks();
    void RestoreSnapshot(const TSnapshot& snapshot, TBulkUpdate& bulk);
    // Drops snapshots beyond the depth (see SetDepth).
    void Trim();

    ShowDocument& Doc;
    IUserInterface& Ui;
    TrackCommands& Commands;
    const Language& Lang;
    std::deque<TSnapshot> Snapshots;
    int Current = -1;
    int DepthLimit = DefaultDepth;
};

} // namespace lumivox
