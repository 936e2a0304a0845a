// The track commands and the selection rules of the track headers.
#include "editing/TrackCommands.h"

#include "model/TrackRules.h"

#include <QStringList>

#include <algorithm>

namespace lumivox {

TrackCommands::TrackCommands(ShowDocument& document, IUserInterface& ui, ITrackCommandHost& host,
                             const Language& language)
    : Doc(document), Ui(ui), Host(host), Lang(language) {}

const TFullTrack* TrackCommands::PopupTrack() const {
    return PopupNumber() > 0 ? Popup : nullptr;
}

void TrackCommands::SelectTrack(int track) {
    Doc.SetSelected(track, true);
    Doc.SetAnchor(track);
}

void TrackCommands::SelectOnly(int track) {
    if (ValidTrack(track))
        Doc.SelectOnly(track);
}

void TrackCommands::ClearSelection() {
    Doc.SetAnchor(-1);
}

// New tracks.

const TFullTrack* TrackCommands::NewTrack() {
    if (!Host.SongOpen()) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::NoMp3Loaded));
        return nullptr;
    }
    if (Doc.TrackCount() >= MaxTracks) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::CannotAddTracks));
        return nullptr;
    }
    Doc.SetModified(true);
    const TFullTrack* track = Doc.AddTrack(Lang);
    if (track == nullptr)
        return nullptr;
    Doc.SelectOnly(Doc.TrackCount());
    return track;
}

void TrackCommands::NewTrackCommand() {
    if (NewTrack() != nullptr && Doc.Modified())
        Host.TakeSnapshot();
}

// Deleting and selecting.

QString TrackCommands::TrackList(const std::vector<int>& tracks) const {
    // Enough to recognise them; a long list ends with how many more there are.
    constexpr std::size_t Named = 8;
    QStringList names;
    for (std::size_t i = 0; i < tracks.size() && i < Named; ++i)
        names << QStringLiteral("%1 (%2)").arg(tracks[i]).arg(Doc.Track(tracks[i]).Caption);
    QString list = names.join(QStringLiteral(", "));
    if (tracks.size() <= Named)
        return list;
    return Tr(TextTable::HistoryText, HistoryText::MoreTracks)
        .arg(list)
        .arg(static_cast<int>(tracks.size() - Named));
}

void TrackCommands::DeleteSelectedTracks() {
    if (Doc.TrackCount() == 0) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::NoTracksExist));
        return;
    }
    if (Doc.SelectedCount() == 0)
        return;
    // A lock guards a track's values, and deleting the track would lose them all: locked
    // tracks stay, and the question names them. No is the default answer, so a key pressed
    // by mistake deletes nothing.
    std::vector<int> locked;
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        if (Doc.Track(k).Selected && Doc.Track(k).Locked)
            locked.push_back(k);
    if (static_cast<int>(locked.size()) == Doc.SelectedCount()) {
        Ui.Warning(
            Tr(TextTable::HistoryText, HistoryText::AllSelectedLocked).arg(TrackList(locked)));
        return;
    }
    const QString question =
        locked.empty()
            ? Tr(TextTable::Messages, MessageText::DeleteSelectedTracks)
            : Tr(TextTable::HistoryText, HistoryText::DeleteKeepingLocked).arg(TrackList(locked));
    if (!Ui.ConfirmDefaultNo(question))
        return;
    ScopedProgress progress(Ui, Tr(TextTable::CommonTexts, CommonText::DeletingTracks));
    const TBulkUpdate bulk(Doc);
    Doc.SetModified(true);
    for (const int track : locked)
        Doc.SetSelected(track, false);
    if (Popup != nullptr && Popup->Selected)
        Popup = nullptr;
    Doc.RemoveSelectedTracks(
        [this](int remaining, int total) { Ui.ProgressSetGauge(100 - remaining * 100 / total); });
    if (Doc.TrackCount() > 0)
        SelectTrack(std::clamp(Doc.Anchor(), 1, Doc.TrackCount()));
    else
        ClearSelection();
    Host.TakeSnapshot();
    progress.Close();
}

void TrackCommands::SelectAll() {
    if (Doc.TrackCount() == 0)
        return;
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        Doc.SetSelected(k, true);
    Doc.SetAnchor(Doc.TrackCount());
}

bool TrackCommands::MoveSelectedTracks(int direction) {
    if (direction != -1 && direction != 1)
        return false;
    const int count = Doc.TrackCount();
    const TFullTrack* anchor = ValidTrack(Doc.Anchor()) ? &Doc.Track(Doc.Anchor()) : nullptr;
    bool moved = false;
    // Each run of selected tracks trades places with the unselected track beside it, which
    // belongs to no other run; runs are taken from the side they move to.
    const bool up = direction < 0;
    for (int k = up ? 1 : count; k >= 1 && k <= count;) {
        if (!Doc.Track(k).Selected) {
            k -= direction;
            continue;
        }
        int end = k; // the run's far end, away from the direction of the move
        while (end - direction >= 1 && end - direction <= count &&
               Doc.Track(end - direction).Selected)
            end -= direction;
        const int beside = k + direction;
        if (beside >= 1 && beside <= count) {
            if (!moved)
                Doc.SetModified(true);
            Doc.MoveTrack(beside, end);
            moved = true;
        }
        k = end - direction;
    }
    if (!moved)
        return false;
    if (anchor != nullptr)
        Doc.SetAnchor(Doc.NumberOf(anchor));
    Host.TakeSnapshot();
    return true;
}

void TrackCommands::HeaderPress(int track, Qt::MouseButton button, TModifierKey modifier) {
    if (!ValidTrack(track))
        return;
    if (button == Qt::RightButton) {
        Doc.SelectOnly(track);
        Popup = &Doc.Track(track);
        Host.PopupHeaderMenu(track);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    switch (modifier) {
    case TModifierKey::None:
    case TModifierKey::Alt:
        Doc.SelectOnly(track);
        break;
    case TModifierKey::Ctrl:
        Doc.SetSelected(track, !Doc.Track(track).Selected);
        Doc.SetAnchor(track);
        break;
    case TModifierKey::Shift: {
        // The range from the anchor; without one, the pressed track alone, which becomes the
        // anchor. Each track is set once, so a range never passes through no selection.
        const int anchor = Doc.Anchor();
        const bool range = ValidTrack(anchor);
        const int first = range ? std::min(anchor, track) : track;
        const int last = range ? std::max(anchor, track) : track;
        for (int k = 1; k <= Doc.TrackCount(); ++k)
            Doc.SetSelected(k, k >= first && k <= last);
        if (!range)
            Doc.SetAnchor(track);
        break;
    }
    }
}

// Captions.

void TrackCommands::StartCaptionEdit(int track) {
    if (!ValidTrack(track))
        return;
    Doc.SelectOnly(track);
    const TFullTrack& edited = Doc.Track(track);
    if (ICaptionEditor* editor = EditorOf(track))
        editor->OpenCaptionEditor(edited.Caption);
}

void TrackCommands::CommitCaptionEdit(int track) {
    if (!ValidTrack(track))
        return;
    ICaptionEditor* editor = EditorOf(track);
    if (editor == nullptr || !editor->CaptionEditorOpen())
        return;
    const QString text = editor->CaptionEditorText();
    editor->CloseCaptionEditor();
    Doc.SetModified(true);
    Doc.SetCaption(track, text);
    Host.TakeSnapshot();
}

void TrackCommands::CommitOpenCaptionEditors() {
    bool changed = false;
    for (int k = 1; k <= Doc.TrackCount(); ++k) {
        ICaptionEditor* editor = EditorOf(k);
        if (editor == nullptr || !editor->CaptionEditorOpen())
            continue;
        const QString text = editor->CaptionEditorText();
        editor->CloseCaptionEditor();
        if (text == Doc.Track(k).Caption)
            continue;
        Doc.SetModified(true);
        Doc.SetCaption(k, text);
        changed = true;
    }
    if (changed)
        Host.TakeSnapshot();
}

// Lock, Mute and Solo.

void TrackCommands::ToggleLock(int track) {
    if (!ValidTrack(track))
        return;
    Doc.SetModified(true);
    Doc.SetLocked(track, !Doc.Track(track).Locked);
}

void TrackCommands::ToggleMute(int track) {
    if (!ValidTrack(track))
        return;
    Doc.SetModified(true);
    Doc.SetMute(track, !Doc.Track(track).Mute);
}

void TrackCommands::ToggleSolo(int track) {
    if (!ValidTrack(track))
        return;
    Doc.SetModified(true);
    Doc.SetSolo(track, !Doc.Track(track).Solo);
}

// Type, output and colour.

void TrackCommands::OpenTypeOutputMenu(int track) {
    if (!ValidTrack(track))
        return;
    Popup = &Doc.Track(track);
    Host.PopupTypeOutputMenu(track, Popup->TrackType);
}

void TrackCommands::ChooseType(int tag) {
    const int number = PopupNumber();
    if (number < 1 || (tag != TrackTypeProportional && tag != TrackTypeOnOff))
        return;
    Doc.SetType(number, static_cast<std::uint8_t>(tag));
    Doc.SetModified(true);
    Host.TakeSnapshot();
}

bool TrackCommands::ChooseOutput(int tag) {
    const int number = PopupNumber();
    if (number < 1 || tag < 0 || tag > 255)
        return false;
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        if (k != number && Doc.Track(k).Output == tag)
            return false;
    Doc.SetOutput(number, static_cast<std::uint8_t>(tag));
    Doc.SetModified(true);
    Host.TakeSnapshot();
    return true;
}

void TrackCommands::ChooseColor(int tag) {
    const int number = PopupNumber();
    if (number < 1 || tag < 1 || tag > PaletteSize)
        return;
    const TPaletteEntry& colours = TrackPalette.at(static_cast<std::size_t>(tag - 1));
    Doc.SetColors(number, colours.Strong, colours.Pale, colours.Strong, colours.Pale);
    Doc.SetModified(true);
    Host.TakeSnapshot();
}

std::array<bool, 256> TrackCommands::OutputsInUse() const {
    std::array<bool, 256> used{};
    for (const TFullTrack* track : Doc.Tracks())
        used[track->Output] = true;
    return used;
}

} // namespace lumivox
