// Copying selected tracks into the clipboard, cutting them and pasting them at the end.
#include "editing/TrackClipboard.h"

#include <algorithm>

namespace lumivox {

TrackClipboard::TrackClipboard(ShowDocument& document, IUserInterface& ui, TrackCommands& commands,
                               UndoHistory& history, const Language& language, QObject* parent)
    : QObject(parent), Doc(document), Ui(ui), Commands(commands), History(history), Lang(language) {
}

void TrackClipboard::Clear() {
    Entries.clear();
    Q_EMIT Changed();
}

void TrackClipboard::CopySelection() {
    Entries.clear();
    for (const TFullTrack* track : Doc.Tracks()) {
        if (!track->Selected)
            continue;
        TFullDataTrack& entry = Entries.emplace_back(0);
        CopyTrackSettings(*track, entry);
    }
    Q_EMIT Changed();
}

void TrackClipboard::CutSelection() {
    CopySelection();
    ScopedProgress progress(Ui, Text(TextTable::CommonTexts, CommonText::ProcessingCut, Lang));
    const TBulkUpdate bulk(Doc);

    if (Doc.TrackCount() > 0 && Doc.SelectedCount() > 0) {
        Doc.SetModified(true);
        Doc.RemoveSelectedTracks([this](int remaining, int total) {
            Ui.ProgressSetGauge(100 - remaining * 100 / total);
        });
        if (Doc.TrackCount() > 0)
            Commands.SelectOnly(std::clamp(Doc.Anchor(), 1, Doc.TrackCount()));
        else
            Commands.ClearSelection();
    }
    if (Doc.Modified())
        History.TakeSnapshot();
    progress.Close();
}

void TrackClipboard::PasteClipboard() {
    ScopedProgress progress(Ui, Text(TextTable::CommonTexts, CommonText::ProcessingPaste, Lang));
    TBulkUpdate bulk(Doc);

    const int n = Count();
    for (int i = 1; i <= n; ++i) {
        if (Doc.TrackCount() >= MaxTracks || Commands.NewTrack() == nullptr)
            break;
        TFullTrack& track = bulk.Track(Doc.TrackCount());
        ApplyTrackSettings(Entries[static_cast<std::size_t>(i - 1)], track);
        // Entries match the song's slot count; a mismatch must not leave a track of the
        // wrong length in the show.
        track.Resize(Doc.SlotCount);
        Ui.ProgressSetGauge(i * 100 / n);
    }
    if (Doc.Modified())
        History.TakeSnapshot();
    progress.Close();
}

} // namespace lumivox
