// Copying selected tracks into the clipboard, cutting them and pasting them at the end.
#include "editing/TrackClipboard.h"

#include <algorithm>

namespace lumivox {

TrackClipboard::TrackClipboard(ShowDocument& document, IUserInterface& ui, IEditHistoryHost& host,
                               UndoHistory& history, const Language& language)
    : Doc(document), Ui(ui), Host(host), History(history), Lang(language) {}

void TrackClipboard::Clear() {
    Entries.clear();
    Host.UpdateCommands();
}

void TrackClipboard::CopySelection() {
    Entries.clear();
    for (const auto& track : Doc.Tracks) {
        if (!track->Selected)
            continue;
        TFullDataTrack& entry = Entries.emplace_back(0);
        CopyTrackSettings(*track, entry);
    }
    Host.UpdateCommands();
}

void TrackClipboard::CutSelection() {
    CopySelection();
    ScopedProgress progress(Ui, Text(TextTable::CommonTexts, CommonText::ProcessingCut, Lang));
    Host.BeginBulkUpdate();

    const int selected = static_cast<int>(std::count_if(
        Doc.Tracks.begin(), Doc.Tracks.end(), [](const auto& track) { return track->Selected; }));
    if (Doc.TrackCount() > 0 && selected > 0) {
        Doc.Modified = true;
        Doc.RemoveSelectedTracks([this](int remaining, int total) {
            Ui.ProgressSetGauge(100 - remaining * 100 / total);
        });
        Host.RefreshOutputMenu();
        Host.RepaintLanes();
        if (Doc.TrackCount() > 0)
            Host.SelectOnly(std::clamp(Host.AnchorTrack(), 1, Doc.TrackCount()));
        else
            Host.ClearSelection();
        Host.UpdateLanesHeight();
    }
    Host.UpdateCommands();
    Doc.RecomputeSolo();
    Host.RepaintLanes();
    if (Doc.Modified)
        History.TakeSnapshot();
    progress.Close();
    Host.EndBulkUpdate();
}

void TrackClipboard::PasteClipboard() {
    ScopedProgress progress(Ui, Text(TextTable::CommonTexts, CommonText::ProcessingPaste, Lang));
    Host.BeginBulkUpdate();

    const int n = Count();
    for (int i = 1; i <= n; ++i) {
        if (Doc.TrackCount() >= MaxTracks)
            break;
        TFullTrack* track = Host.NewTrack();
        if (track == nullptr)
            break;
        ApplyTrackSettings(Entries[static_cast<std::size_t>(i - 1)], *track);
        // Entries match the song's slot count; a mismatch must not leave a track of the
        // wrong length in the show.
        track->Resize(Doc.SlotCount);
        Ui.ProgressSetGauge(i * 100 / n);
    }

    Host.UpdateLanesHeight();
    Host.UpdateCommands();
    Host.RefreshOutputMenu();
    Doc.RecomputeSolo();
    Host.RepaintLanes();
    if (Doc.Modified)
        History.TakeSnapshot();
    progress.Close();
    Host.EndBulkUpdate();
}

} // namespace lumivox
