// Changing the open show and announcing each change: the track list, the tracks' fields and
// values, the project record, and the bulk updates that gather many changes into one Reset.
#include "model/ShowDocument.h"

#include "model/TrackRules.h"

#include <algorithm>

namespace lumivox {

ShowDocument::ShowDocument(QObject* parent) : QObject(parent) {}

ShowDocument::~ShowDocument() = default;

int ShowDocument::SelectedCount() const {
    return static_cast<int>(std::ranges::count_if(List, [](const auto& t) { return t->Selected; }));
}

int ShowDocument::NumberOf(const TFullTrack* track) const {
    if (track == nullptr)
        return -1;
    for (std::size_t i = 0; i < List.size(); ++i)
        if (List[i].get() == track)
            return static_cast<int>(i) + 1;
    return -1;
}

void ShowDocument::Announce(int number, TTrackFields fields) {
    if (BulkDepth > 0)
        return;
    Q_EMIT TrackChanged(number, fields);
}

void ShowDocument::AnnounceNumbers(int first) {
    for (int number = std::max(first, 1); number <= TrackCount(); ++number)
        Announce(number, TTrackField::Number);
}

void ShowDocument::AnnounceProject(TProjectFields fields) {
    if (BulkDepth == 0)
        Q_EMIT ProjectChanged(fields);
}

void ShowDocument::RecomputeSolo() {
    const bool solo = std::ranges::any_of(List, [](const auto& t) { return t->Solo; });
    if (solo == AnySolo)
        return;
    AnySolo = solo;
    if (BulkDepth == 0)
        Q_EMIT SoloActiveChanged(solo);
}

// ---- The track list ------------------------------------------------------------------------

const TFullTrack* ShowDocument::AddTrack(Language language) {
    if (TrackCount() >= MaxTracks)
        return nullptr;
    const std::uint8_t output = FirstFreeOutput(List);
    auto track = std::make_unique<TFullTrack>(SlotCount);
    TFullTrack& added = *track;
    List.push_back(std::move(track));
    const int count = TrackCount();

    added.Caption =
        Text(TextTable::CommonTexts, CommonText::TrackWord, language) + QString::number(count);
    added.Output = output;
    added.MidiMap.Key = MidiKeyForOutput(output);
    added.TrackType = TrackTypeProportional;
    ApplyPaletteEntry(added, PaletteEntryForCount(count));
    if (BulkDepth == 0)
        Q_EMIT TracksAdded(count, count);
    return &added;
}

void ShowDocument::RemoveTrack(int number) {
    if (number < 1 || number > TrackCount())
        return;
    List.erase(List.begin() + (number - 1));
    if (BulkDepth == 0)
        Q_EMIT TracksRemoved(number, number);
    AnnounceNumbers(number);
    RecomputeSolo();
}

void ShowDocument::RemoveAllTracks(const std::function<void(int remaining, int total)>& removed) {
    const int total = TrackCount();
    if (total == 0)
        return;
    while (!List.empty()) {
        List.pop_back();
        if (removed)
            removed(TrackCount(), total);
    }
    if (BulkDepth == 0)
        Q_EMIT TracksRemoved(1, total);
    RecomputeSolo();
}

int ShowDocument::RemoveSelectedTracks(
    const std::function<void(int remaining, int selected)>& removed) {
    const int selected = SelectedCount();
    int remaining = selected;
    int firstRemoved = 0;
    for (std::size_t i = 0; i < List.size();) {
        if (!List[i]->Selected) {
            ++i;
            continue;
        }
        // A run of selected tracks goes at once and is announced as one range.
        std::size_t end = i;
        while (end < List.size() && List[end]->Selected)
            ++end;
        const int first = static_cast<int>(i) + 1;
        const int last = static_cast<int>(end);
        for (std::size_t k = i; k < end; ++k) {
            List.erase(List.begin() + static_cast<std::ptrdiff_t>(i));
            --remaining;
            if (removed)
                removed(remaining, selected);
        }
        if (firstRemoved == 0)
            firstRemoved = first;
        if (BulkDepth == 0)
            Q_EMIT TracksRemoved(first, last);
    }
    if (firstRemoved > 0) {
        AnnounceNumbers(firstRemoved);
        RecomputeSolo();
    }
    return selected;
}

void ShowDocument::MoveTrack(int from, int to) {
    if (from < 1 || from > TrackCount() || to < 1 || to > TrackCount() || from == to)
        return;
    const auto at = [this](int number) { return List.begin() + (number - 1); };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
    const int first = std::min(from, to);
    const int last = std::max(from, to);
    if (BulkDepth == 0)
        Q_EMIT TracksMoved(first, last);
    for (int number = first; number <= last; ++number)
        Announce(number, TTrackField::Number);
}

// ---- One track's header fields ---------------------------------------------------------------

void ShowDocument::SetCaption(int number, const QString& caption) {
    WritableTrack(number).Caption = caption;
    Announce(number, TTrackField::Caption);
}

void ShowDocument::SetType(int number, std::uint8_t trackType) {
    WritableTrack(number).TrackType = trackType;
    Announce(number, TTrackField::Type);
}

void ShowDocument::SetOutput(int number, std::uint8_t output) {
    WritableTrack(number).Output = output;
    Announce(number, TTrackField::Output);
}

void ShowDocument::SetLocked(int number, bool locked) {
    WritableTrack(number).Locked = locked;
    Announce(number, TTrackField::Locked);
}

void ShowDocument::SetMute(int number, bool mute) {
    WritableTrack(number).SetMute(mute);
    Announce(number, TTrackField::Mute | TTrackField::Solo);
    RecomputeSolo();
}

void ShowDocument::SetSolo(int number, bool solo) {
    WritableTrack(number).SetSolo(solo);
    Announce(number, TTrackField::Mute | TTrackField::Solo);
    RecomputeSolo();
}

void ShowDocument::SetColors(int number, TColor header, TColor caption, TColor lane,
                             TColor laneBack) {
    TFullTrack& track = WritableTrack(number);
    track.HeaderColor = header;
    track.CaptionColor = caption;
    track.LaneColor = lane;
    track.LaneBackColor = laneBack;
    Announce(number, TTrackField::Colors);
}

void ShowDocument::SetArmed(int number, bool armed) {
    WritableTrack(number).Armed = armed;
    Announce(number, TTrackField::Armed);
}

void ShowDocument::SetMidiMap(int number, const TMidiMap& map) {
    WritableTrack(number).MidiMap = map;
    Announce(number, TTrackField::MidiMap);
}

void ShowDocument::SetSelected(int number, bool selected) {
    TFullTrack& track = WritableTrack(number);
    if (track.Selected == selected)
        return;
    track.Selected = selected;
    Announce(number, TTrackField::Selected);
}

void ShowDocument::SelectOnly(int number) {
    // The new one first, so that the selection never passes through none.
    SetSelected(number, true);
    for (int k = 1; k <= TrackCount(); ++k)
        if (k != number)
            SetSelected(k, false);
    AnchorTrack = number;
}

// ---- Slot values -------------------------------------------------------------------------

int ShowDocument::FillSlots(int number, int first, int last, std::uint8_t value) {
    TFullTrack& track = WritableTrack(number);
    first = std::max(first, 1);
    const int lastWritable = std::min(last, track.SlotCount() - 1);
    if (lastWritable < first)
        return first - 1;
    track.Values.Fill(first - 1, lastWritable - first + 1, value);
    if (BulkDepth == 0)
        Q_EMIT SlotsChanged(number, first, lastWritable);
    return lastWritable;
}

bool ShowDocument::SetSlot(int number, int slot, std::uint8_t value) {
    if (!WritableTrack(number).SetValue(slot, value))
        return false;
    if (BulkDepth == 0)
        Q_EMIT SlotsChanged(number, slot, slot);
    return true;
}

int ShowDocument::WriteSlots(int number, int firstSlot, const std::uint8_t* values, int count) {
    TFullTrack& track = WritableTrack(number);
    // In 64 bits: a span far past either end must not wrap around into the track.
    const std::int64_t first = std::max<std::int64_t>(firstSlot, 1);
    const std::int64_t last =
        std::min<std::int64_t>(std::int64_t{firstSlot} + count - 1, track.SlotCount() - 1);
    if (values == nullptr || last < first)
        return 0;
    const auto written = static_cast<int>(last - first + 1);
    track.Values.CopyIn(static_cast<int>(first - 1), written, values + (first - firstSlot));
    if (BulkDepth == 0)
        Q_EMIT SlotsChanged(number, static_cast<int>(first), static_cast<int>(last));
    return written;
}

void ShowDocument::ResizeTracks(int slotCount) {
    for (int number = 1; number <= TrackCount(); ++number) {
        TFullTrack& track = WritableTrack(number);
        const int before = track.SlotCount();
        track.Resize(slotCount);
        const int reach = std::max(before, track.SlotCount()) - 1;
        if (BulkDepth == 0 && reach >= 1)
            Q_EMIT SlotsChanged(number, 1, reach);
    }
}

// ---- The project record ----------------------------------------------------------------------

void ShowDocument::SetProjectName(const QString& name) {
    Record.Name = name;
    AnnounceProject(TProjectField::Name);
}

void ShowDocument::SetSongFile(const QString& mp3Path) {
    Record.Mp3FileName = mp3Path;
    AnnounceProject(TProjectField::Song);
}

void ShowDocument::SetTexts(const TProjectTexts& texts) {
    Record.Subject = texts.Subject;
    Record.Author = texts.Author;
    Record.Copyright = texts.Copyright;
    Record.Customer = texts.Customer;
    Record.CreationDate = texts.CreationDate;
    Record.Comments = texts.Comments;
    AnnounceProject(TProjectField::Texts);
}

void ShowDocument::SetResolution(int resolutionIndex) {
    Resolution = IsValidResolutionIndex(resolutionIndex) ? resolutionIndex : 1;
    Record.Resolution = Resolution;
    AnnounceProject(TProjectField::Resolution);
}

void ShowDocument::ResetRecord(const QString& newProjectName) {
    Record.Name = newProjectName;
    Record.Mp3FileName.clear();
    Record.Subject.clear();
    Record.Author.clear();
    Record.Copyright.clear();
    Record.Customer.clear();
    Record.CreationDate.clear();
    Record.Comments.clear();
    AnnounceProject(TProjectField::Name | TProjectField::Song | TProjectField::Texts);
}

void ShowDocument::AnnounceMarks() {
    if (BulkDepth == 0)
        Q_EMIT MarksChanged();
}

void ShowDocument::SetMarks(TShowMarks marks) {
    if (marks == MarkList)
        return;
    MarkList = std::move(marks);
    AnnounceMarks();
}

int ShowDocument::AddMark(int ms, const QString& name) {
    const int index = MarkList.Add(ms, name);
    AnnounceMarks();
    return index;
}

int ShowDocument::MoveMark(int index, int ms) {
    const int moved = MarkList.Move(index, ms);
    if (moved >= 0)
        AnnounceMarks();
    return moved;
}

void ShowDocument::RenameMark(int index, const QString& name) {
    if (MarkList.Rename(index, name))
        AnnounceMarks();
}

void ShowDocument::RemoveMark(int index) {
    if (MarkList.Remove(index))
        AnnounceMarks();
}

void ShowDocument::SetModified(bool modified) {
    if (modified == IsModified)
        return;
    IsModified = modified;
    if (BulkDepth == 0)
        Q_EMIT ModifiedChanged(modified);
}

// ---- Bulk updates -----------------------------------------------------------------------------

void ShowDocument::BeginBulkUpdate() {
    if (BulkDepth++ == 0)
        Q_EMIT BulkUpdateStarted();
}

void ShowDocument::EndBulkUpdate() {
    if (BulkDepth == 0 || --BulkDepth > 0)
        return;
    // Written through TBulkUpdate, the tracks may hold any Solo state now.
    AnySolo = std::ranges::any_of(List, [](const auto& t) { return t->Solo; });
    Q_EMIT Reset();
}

} // namespace lumivox
