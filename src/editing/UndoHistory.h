// Undo and redo over whole-state snapshots of the tracks, at most twenty deep. Widget-free:
// it rebuilds tracks through IEditHistoryHost and reports progress through IUserInterface.
// Snapshots share the slot values of unchanged tracks (copy on write), so a snapshot after a
// small edit costs one track's values, not the whole show's.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "editing/TrackCommands.h"
#include "model/ShowDocument.h"

#include <QString>

#include <cstddef>
#include <deque>
#include <vector>

namespace lumivox {

// What the undo history and the track clipboard ask of the window.
class IEditHistoryHost {
public:
    virtual ~IEditHistoryHost() = default;
    // Appends a track exactly as TrackCommands::NewTrack does (defaults, first free output,
    // selected alone and the anchor, no undo step). Null when it was refused.
    virtual TFullTrack* NewTrack() = 0;
    // 1-based number of the anchor track; -1 for none.
    virtual int AnchorTrack() const { return -1; }
    // Selects `track` alone and makes it the anchor; the selection commands follow.
    virtual void SelectOnly(int /*track*/) {}
    // AnchorTrack := none and the selection commands disabled.
    virtual void ClearSelection() {}
    virtual void UpdateLanesHeight() {}
    virtual void UpdateCommands() {}
    virtual void RefreshOutputMenu() {}
    // Repaints the lanes and the header column (tracks, colours or SoloActive changed).
    virtual void RepaintLanes() {}
    virtual void BeginBulkUpdate() {}
    virtual void EndBulkUpdate() {}
};

// The hooks served by the track commands and their window host, for a window that already
// implements ITrackCommandHost.
class TrackCommandsHistoryHost : public IEditHistoryHost {
public:
    TrackCommandsHistoryHost(TrackCommands& commands, ITrackCommandHost& host)
        : Commands(commands), Host(host) {}

    TFullTrack* NewTrack() override { return Commands.NewTrack(); }
    int AnchorTrack() const override { return Commands.AnchorTrack(); }
    void SelectOnly(int track) override {
        Commands.HeaderPress(track, Qt::LeftButton, TModifierKey::None);
    }
    void ClearSelection() override { Commands.ClearSelection(); }
    void UpdateLanesHeight() override { Host.UpdateLanesHeight(); }
    void UpdateCommands() override { Host.UpdateCommands(); }
    void RefreshOutputMenu() override { Host.RefreshOutputMenu(); }
    void RepaintLanes() override { Host.RepaintLanes(); }
    void BeginBulkUpdate() override { Host.BeginBulkUpdate(); }
    void EndBulkUpdate() override { Host.EndBulkUpdate(); }

private:
    TrackCommands& Commands;
    ITrackCommandHost& Host;
};

// Copies the recorded fields of `track` (not its output, selection or live MIDI input) into
// `entry`; the values are shared until one side writes them.
void CopyTrackSettings(const TFullTrack& track, TFullDataTrack& entry);
// Sets the recorded fields of `entry` on `track` through its setters, so its header follows,
// except the output, which the caller chooses. The values are shared until one side writes.
void ApplyTrackSettings(const TFullDataTrack& entry, TFullTrack& track);

class UndoHistory {
public:
    // One header-less copy per track, in track order.
    using TSnapshot = std::vector<TFullDataTrack>;
    static constexpr int MaxDepth = 20;

    UndoHistory(ShowDocument& document, IUserInterface& ui, IEditHistoryHost& host,
                const Language& language);

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

    bool CanUndo() const { return Current > 0 && Count() > 1; }
    bool CanRedo() const { return Current >= 0 && Current < Count() - 1; }
    int Count() const { return static_cast<int>(Snapshots.size()); }
    // 0-based index of the current snapshot; -1 for none.
    int CurrentIndex() const { return Current; }
    const TSnapshot& Snapshot(int index) const {
        return Snapshots.at(static_cast<std::size_t>(index));
    }
    // Bytes of slot values held by all snapshots, each shared block counted once.
    std::size_t HeldValueBytes() const;

private:
    void Step(int target, int progressText);
    void DeleteAllTracks();
    void RestoreSnapshot(const TSnapshot& snapshot);

    ShowDocument& Doc;
    IUserInterface& Ui;
    IEditHistoryHost& Host;
    const Language& Lang;
    std::deque<TSnapshot> Snapshots;
    int Current = -1;
};

} // namespace lumivox
