// Snapshots of the tracks, their comparison, and undo and redo by restoring them.
#include "editing/UndoHistory.h"

#include "editing/RangeSelection.h"

#include <algorithm>

namespace lumivox {

void CopyTrackSettings(const TFullTrack& track, TFullDataTrack& entry) {
    entry.Values = track.Values;
    entry.TrackType = track.TrackType;
    entry.Locked = track.Locked;
    entry.Mute = track.Mute;
    entry.Solo = track.Solo;
    entry.Caption = track.Caption;
    entry.HeaderColor = track.HeaderColor;
    entry.CaptionColor = track.CaptionColor;
    entry.LaneColor = track.LaneColor;
    entry.LaneBackColor = track.LaneBackColor;
    entry.MidiMap.Channel = track.MidiMap.Channel;
    entry.MidiMap.Controller = track.MidiMap.Controller;
    entry.MidiMap.Key = track.MidiMap.Key;
    entry.MidiMap.UseVelocity = track.MidiMap.UseVelocity;
    entry.MidiMap.UseKey = track.MidiMap.UseKey;
}

void ApplyTrackSettings(const TFullDataTrack& entry, TFullTrack& track) {
    track.TrackType = entry.TrackType;
    track.Locked = entry.Locked;
    // Mute before Solo: each setter clears the other when set, so the pair lands as recorded.
    track.SetMute(entry.Mute);
    track.SetSolo(entry.Solo);
    track.Caption = entry.Caption;
    track.HeaderColor = entry.HeaderColor;
    track.CaptionColor = entry.CaptionColor;
    track.LaneColor = entry.LaneColor;
    track.LaneBackColor = entry.LaneBackColor;
    // The five stored map fields; the live controller value stays the track's own.
    track.MidiMap.Channel = entry.MidiMap.Channel;
    track.MidiMap.Controller = entry.MidiMap.Controller;
    track.MidiMap.Key = entry.MidiMap.Key;
    track.MidiMap.UseVelocity = entry.MidiMap.UseVelocity;
    track.MidiMap.UseKey = entry.MidiMap.UseKey;
    track.Values = entry.Values;
}

namespace {

// The header fields a snapshot records: a change of one is an edit. Lock, Mute, Solo and
// arming are not, as StateDiffers does not compare them.
constexpr TTrackFields RecordedFields = TTrackField::Caption | TTrackField::Type |
                                        TTrackField::Output | TTrackField::Colors |
                                        TTrackField::MidiMap;

// A release of this much or more is handed back to the system at once.
constexpr std::size_t ReleaseWorthReturning = 8 * UndoHistory::Megabyte;

bool StoredMapDiffers(const TMidiMap& a, const TMidiMap& b) {
    return a.Channel != b.Channel || a.Controller != b.Controller || a.Key != b.Key ||
           a.UseVelocity != b.UseVelocity || a.UseKey != b.UseKey;
}

// Locked, Mute and Solo are recorded but deliberately not compared.
bool TrackDiffers(const TFullTrack& track, const TFullDataTrack& entry) {
    return track.Output != entry.Output || track.TrackType != entry.TrackType ||
           track.Caption != entry.Caption || track.HeaderColor != entry.HeaderColor ||
           track.CaptionColor != entry.CaptionColor || track.LaneColor != entry.LaneColor ||
           track.LaneBackColor != entry.LaneBackColor ||
           StoredMapDiffers(track.MidiMap, entry.MidiMap) || !(track.Values == entry.Values);
}

// The entry records `track` as it is now, the fields left out of the comparison included.
bool EntryRecords(const TFullTrack& track, const TFullDataTrack& entry) {
    return track.Locked == entry.Locked && track.Mute == entry.Mute && track.Solo == entry.Solo &&
           !TrackDiffers(track, entry);
}

} // namespace

UndoHistory::UndoHistory(ShowDocument& document, IUserInterface& ui, TrackCommands& commands,
                         const Language& language, QObject* parent)
    : QObject(parent), Doc(document), Ui(ui), Commands(commands), Lang(language) {
    connect(&Doc, &ShowDocument::TrackChanged, this, [this](int, TTrackFields fields) {
        if (fields & RecordedFields)
            ShowEdited();
        else if (fields & TTrackField::Selected)
            SelectionChanged();
    });
    auto edited = [this] { ShowEdited(); };
    connect(&Doc, &ShowDocument::SlotsChanged, this, edited);
    connect(&Doc, &ShowDocument::TracksAdded, this, edited);
    connect(&Doc, &ShowDocument::TracksRemoved, this, edited);
    connect(&Doc, &ShowDocument::TracksMoved, this, edited);
    connect(&Doc, &ShowDocument::MarksChanged, this, edited);
    // A bulk update announces nothing until it ends: its beginning may be an edit.
    connect(&Doc, &ShowDocument::BulkUpdateStarted, this, edited);
    connect(&Doc, &ShowDocument::Reset, this, [this] { BulkUpdateEnded(); });
}

void UndoHistory::FollowSelection(RangeSelection& range) {
    Range = &range;
    connect(&range, &RangeSelection::Changed, this, [this] { SelectionChanged(); });
}

void UndoHistory::ShowEdited() {
    if (Restoring || Current < 0 || Edited)
        return;
    // The anchor changes without an announcement: it is taken as it stands before the edit.
    Snapshots[static_cast<std::size_t>(Current)].Chosen.Anchor = Doc.Anchor();
    Edited = true;
}

void UndoHistory::SelectionChanged() {
    if (Restoring || Current < 0 || Edited)
        return;
    Snapshots[static_cast<std::size_t>(Current)].Chosen = CaptureSelection(Doc, Range);
}

void UndoHistory::BulkUpdateEnded() {
    if (Restoring || Current < 0)
        return;
    if (Edited && !StateDiffers())
        Edited = false;
    SelectionChanged();
}

bool UndoHistory::StateDiffers() const {
    if (Current < 0)
        return false;
    const TSnapshot& current = Snapshots[static_cast<std::size_t>(Current)];
    if (Doc.TrackCount() != static_cast<int>(current.size()) || !(Doc.Marks() == current.Marks()))
        return true;
    // Values shared with the snapshot compare equal at once; the rest byte by byte.
    for (int i = 0; i < Doc.TrackCount(); ++i)
        if (TrackDiffers(Doc.Track(i + 1), current[static_cast<std::size_t>(i)]))
            return true;
    return false;
}

void UndoHistory::TakeSnapshot() {
    if (Current >= 0 && !StateDiffers()) {
        // Nothing recorded changed: the current state goes on following the selection.
        Edited = false;
        SelectionChanged();
        return;
    }

    // A group whose tracks the current snapshot records as they are is shared with it.
    const TSnapshot* previous =
        Current >= 0 ? &Snapshots[static_cast<std::size_t>(Current)] : nullptr;
    const std::size_t count = static_cast<std::size_t>(Doc.TrackCount());
    TSnapshot snapshot;
    snapshot.Count = count;
    if (previous != nullptr && previous->Marks() == Doc.Marks())
        snapshot.MarkList = previous->MarkList;
    else
        snapshot.MarkList = std::make_shared<const TShowMarks>(Doc.Marks());
    snapshot.Groups.reserve((count + TSnapshot::GroupSize - 1) / TSnapshot::GroupSize);
    for (std::size_t first = 0; first < count; first += TSnapshot::GroupSize) {
        const std::size_t end = std::min(count, first + TSnapshot::GroupSize);
        const std::size_t group = first / TSnapshot::GroupSize;
        if (previous != nullptr && group < previous->Groups.size() &&
            previous->Groups[group]->size() == end - first) {
            bool same = true;
            for (std::size_t i = first; i < end && same; ++i)
                same = EntryRecords(Doc.Track(static_cast<int>(i) + 1), (*previous)[i]);
            if (same) {
                snapshot.Groups.push_back(previous->Groups[group]);
                continue;
            }
        }
        auto entries = std::make_shared<TSnapshot::TGroup>();
        entries->reserve(end - first);
        for (std::size_t i = first; i < end; ++i) {
            const TFullTrack& track = Doc.Track(static_cast<int>(i) + 1);
            TFullDataTrack& entry = entries->emplace_back(0);
            CopyTrackSettings(track, entry);
            entry.Output = track.Output;
        }
        snapshot.Groups.push_back(std::move(entries));
    }
    snapshot.Chosen = CaptureSelection(Doc, Range);

    if (Current >= 0)
        while (Count() > Current + 1) {
            Memory.Remove(Snapshots.back());
            Snapshots.pop_back();
        }
    Snapshots.push_back(std::move(snapshot));
    Memory.Add(Snapshots.back());
    Current = Count() - 1;
    Edited = false;
    Trim();
    Q_EMIT Changed();
}

void UndoHistory::SetDepth(int depth) {
    const int clamped = std::clamp(depth, MinDepth, MaxDepth);
    if (clamped == DepthLimit)
        return;
    DepthLimit = clamped;
    TrimToLimits();
}

void UndoHistory::SetBudget(std::size_t bytes) {
    if (bytes == BudgetLimit)
        return;
    BudgetLimit = bytes;
    TrimToLimits();
}

void UndoHistory::TrimToLimits() {
    const int before = Count();
    const std::size_t held = Memory.Bytes();
    Trim();
    if (Count() == before)
        return;
    if (held - Memory.Bytes() >= ReleaseWorthReturning)
        ReturnFreeMemoryToSystem();
    Q_EMIT Changed();
}

void UndoHistory::Trim() {
    while (Count() > DepthLimit + 1)
        DropOne();
    // The show's own blocks are counted in Bytes() too, so within the budget by that
    // measure the history is within it, without walking the show.
    while (Count() > 1 && Memory.Bytes() + Memory.TallyBytes() > BudgetLimit &&
           BytesBeyondShow() > BudgetLimit)
        DropOne();
}

void UndoHistory::DropOne() {
    if (Current > 0) {
        Memory.Remove(Snapshots.front());
        Snapshots.pop_front();
        --Current;
    } else {
        Memory.Remove(Snapshots.back());
        Snapshots.pop_back();
    }
}

std::size_t UndoHistory::BytesBeyondShow() const {
    return Memory.Bytes() - Memory.SharedWith(Doc) + Memory.TallyBytes();
}

void UndoHistory::Undo() {
    if (CanUndo())
        Step(Current - 1, CommonText::ProcessingUndo);
}

void UndoHistory::Redo() {
    if (CanRedo())
        Step(Current + 1, CommonText::ProcessingRedo);
}

void UndoHistory::Step(int target, int progressText) {
    ScopedProgress progress(Ui, Text(TextTable::CommonTexts, progressText, Lang));
    Restoring = true;
    {
        TBulkUpdate bulk(Doc);
        // Copied, so the restore cannot be disturbed by anything done to the history meanwhile.
        const TSnapshot snapshot = Snapshots[static_cast<std::size_t>(target)];
        if (Doc.TrackCount() != static_cast<int>(snapshot.size()))
            DeleteAllTracks();
        RestoreSnapshot(snapshot, bulk);
        Doc.SetMarks(snapshot.Marks());
        RestoreHeaderSelection(snapshot.Chosen, Doc);
        Current = target;
        // An undo or redo always changes the tracks or the marks, so the project needs saving
        // either way.
        Doc.SetModified(true);
    }
    // After the Reset, which the range follows on its own first.
    RestoreBand(Snapshots[static_cast<std::size_t>(target)].Chosen, Range);
    Restoring = false;
    Edited = false;
    SelectionChanged();
    Q_EMIT Changed();
    progress.Close();
}

void UndoHistory::DeleteAllTracks() {
    const int initial = Doc.TrackCount();
    if (initial == 0)
        return;
    Doc.SetModified(true);
    Commands.ClearSelection();
    Doc.RemoveAllTracks(
        [this](int remaining, int total) { Ui.ProgressSetGauge(50 - remaining * 50 / total); });
}

void UndoHistory::RestoreSnapshot(const TSnapshot& snapshot, TBulkUpdate& bulk) {
    const int n = static_cast<int>(snapshot.size());
    for (int i = 1; i <= n; ++i) {
        // Rebuilding appends the tracks one by one, so the new one is always track i.
        if (Doc.TrackCount() != n && Commands.NewTrack() == nullptr)
            return; // refused (no song): the tracks rebuilt so far remain
        TFullTrack& track = bulk.Track(i);
        const TFullDataTrack& entry = snapshot[static_cast<std::size_t>(i - 1)];
        track.Output = entry.Output;
        ApplyTrackSettings(entry, track);
        Ui.ProgressSetGauge(50 + i * 50 / n);
    }
}

void UndoHistory::ClearHistory() {
    const bool large = BytesBeyondShow() >= ReleaseWorthReturning;
    Snapshots.clear();
    Memory.Clear();
    Current = -1;
    Edited = false;
    if (large)
        ReturnFreeMemoryToSystem();
    Q_EMIT Changed();
}

} // namespace lumivox
