// Adding, removing and renumbering tracks of the open show.
#include "model/ShowDocument.h"

#include "model/TrackRules.h"

namespace lumivox {

TFullTrack* ShowDocument::AddTrack(Language language) {
    if (TrackCount() >= MaxTracks)
        return nullptr;
    const std::uint8_t output = FirstFreeOutput(Tracks);
    auto track = std::make_unique<TFullTrack>(SlotCount, HeaderFactory ? HeaderFactory() : nullptr);
    TFullTrack& added = *track;
    Tracks.push_back(std::move(track));
    const int count = TrackCount();

    added.SetLocked(false);
    added.SetMute(false);
    added.SetSolo(false);
    added.SetCaption(Text(TextTable::CommonTexts, CommonText::TrackWord, language) +
                     QString::number(count));
    added.SetNumber(count - 1);
    added.Output = output;
    added.MidiMap.Key = MidiKeyForOutput(output);
    added.SetOutputText(
        OutputText(output, Text(TextTable::CommonTexts, CommonText::All, language)));
    added.SetType(TrackTypeProportional);
    added.SetTypeImage(TrackTypeProportional);
    ApplyPaletteEntry(added, PaletteEntryForCount(count));
    return &added;
}

void ShowDocument::RemoveTrack(int number) {
    if (number < 1 || number > TrackCount())
        return;
    Tracks.erase(Tracks.begin() + (number - 1));
    Renumber();
}

void ShowDocument::RemoveAllTracks(const std::function<void(int remaining, int total)>& removed) {
    const int total = TrackCount();
    while (!Tracks.empty()) {
        Tracks.pop_back();
        if (removed)
            removed(TrackCount(), total);
    }
}

int ShowDocument::RemoveSelectedTracks(
    const std::function<void(int remaining, int selected)>& removed) {
    int selected = 0;
    for (const auto& track : Tracks)
        selected += track->Selected ? 1 : 0;
    int remaining = selected;
    for (std::size_t i = 0; i < Tracks.size();) {
        if (!Tracks[i]->Selected) {
            ++i;
            continue;
        }
        Tracks.erase(Tracks.begin() + static_cast<std::ptrdiff_t>(i));
        --remaining;
        if (removed)
            removed(remaining, selected);
    }
    Renumber();
    return selected;
}

void ShowDocument::Renumber() {
    for (int position = 0; position < TrackCount(); ++position)
        Tracks[static_cast<std::size_t>(position)]->SetNumber(position);
}

void ShowDocument::RecomputeSolo() {
    SoloActive = false;
    for (const auto& track : Tracks)
        if (track->Solo) {
            SoloActive = true;
            break;
        }
}

void ShowDocument::ResetRecord(const QString& newProjectName) {
    Project.Name = newProjectName;
    Project.Mp3FileName.clear();
    Project.Subject.clear();
    Project.Author.clear();
    Project.Copyright.clear();
    Project.Customer.clear();
    Project.CreationDate.clear();
    Project.Comments.clear();
}

} // namespace lumivox
