// The track commands and the selection rules of the track headers.
#include "editing/TrackCommands.h"

#include "model/TrackRules.h"

#include <algorithm>

namespace lumivox {

TrackCommands::TrackCommands(ShowDocument& document, IUserInterface& ui, ITrackCommandHost& host,
                             const Language& language)
    : Doc(document), Ui(ui), Host(host), Lang(language) {}

TFullTrack* TrackCommands::PopupTrack() const {
    if (Popup == nullptr)
        return nullptr;
    for (const auto& track : Doc.Tracks)
        if (track.get() == Popup)
            return track.get();
    return nullptr;
}

int TrackCommands::NumberOf(const ITrackHeader* header) const {
    if (header == nullptr)
        return -1;
    for (int number = 1; number <= Doc.TrackCount(); ++number)
        if (Doc.Track(number).Header.get() == header)
            return number;
    return -1;
}

ICaptionEditor* TrackCommands::EditorOf(const TFullTrack& track) {
    return dynamic_cast<ICaptionEditor*>(track.Header.get());
}

void TrackCommands::DeselectAll() {
    for (auto& track : Doc.Tracks)
        track->SetSeleted(false);
    Anchor = -1;
    Host.DisableSelectionCommands();
}

void TrackCommands::SelectTrack(int track) {
    Doc.Track(track).SetSeleted(true);
    Anchor = track;
    Host.EnableSelectionCommands();
}

void TrackCommands::ClearSelection() {
    Anchor = -1;
    Host.DisableSelectionCommands();
}

// New tracks.

TFullTrack* TrackCommands::NewTrack() {
    if (!Host.SongOpen()) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::NoMp3Loaded));
        return nullptr;
    }
    if (Doc.TrackCount() >= MaxTracks) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::CannotAddTracks));
        return nullptr;
    }
    Doc.Modified = true;
    TFullTrack* track = Doc.AddTrack(Lang);
    if (track == nullptr)
        return nullptr;
    RefreshAfterAdding(*track);
    return track;
}

void TrackCommands::NewTrackCommand() {
    if (NewTrack() != nullptr && Doc.Modified)
        Host.TakeSnapshot();
}

void TrackCommands::TrackAdded(TFullTrack& track) {
    RefreshAfterAdding(track);
}

void TrackCommands::RefreshAfterAdding(TFullTrack& track) {
    int number = Doc.TrackCount();
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        if (&Doc.Track(k) == &track)
            number = k;
    track.SetHeight(Host.LaneHeight());
    Host.TrackRowAdded(Doc.TrackCount());
    DeselectAll();
    SelectTrack(number);
    Host.UpdateLanesHeight();
    Host.UpdateCommands();
    Host.RefreshOutputMenu();
    RecomputeSolo();
}

// Deleting and selecting.

void TrackCommands::DeleteSelectedTracks() {
    if (Doc.TrackCount() == 0) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::NoTracksExist));
        Host.UpdateCommands();
        RecomputeSolo();
        return;
    }
    const int selected = static_cast<int>(std::count_if(
        Doc.Tracks.begin(), Doc.Tracks.end(), [](const auto& track) { return track->Selected; }));
    if (selected > 0 && Ui.Confirm(Tr(TextTable::Messages, MessageText::DeleteSelectedTracks))) {
        ScopedProgress progress(Ui, Tr(TextTable::CommonTexts, CommonText::DeletingTracks));
        Host.BeginBulkUpdate();
        Doc.Modified = true;
        if (Popup != nullptr && Popup->Selected)
            Popup = nullptr;
        Doc.RemoveSelectedTracks([this](int remaining, int total) {
            Ui.ProgressSetGauge(100 - remaining * 100 / total);
        });
        Host.RefreshOutputMenu();
        Host.RepaintLanes();
        if (Doc.TrackCount() > 0) {
            Anchor = std::clamp(Anchor, 1, Doc.TrackCount());
            SelectTrack(Anchor);
        } else {
            ClearSelection();
        }
        Host.TakeSnapshot();
        progress.Close();
        Host.EndBulkUpdate();
    }
    Host.UpdateLanesHeight();
    Host.UpdateCommands();
    RecomputeSolo();
}

void TrackCommands::SelectAll() {
    if (Doc.TrackCount() == 0)
        return;
    for (auto& track : Doc.Tracks)
        track->SetSeleted(true);
    Anchor = Doc.TrackCount();
    Host.EnableSelectionCommands();
}

void TrackCommands::HeaderPress(int track, Qt::MouseButton button, TModifierKey modifier) {
    if (!ValidTrack(track))
        return;
    if (button == Qt::RightButton) {
        DeselectAll();
        SelectTrack(track);
        Popup = &Doc.Track(track);
        Host.PopupHeaderMenu(track);
        return;
    }
    if (button != Qt::LeftButton)
        return;
    switch (modifier) {
    case TModifierKey::None:
    case TModifierKey::Alt:
        DeselectAll();
        SelectTrack(track);
        break;
    case TModifierKey::Ctrl: {
        TFullTrack& pressed = Doc.Track(track);
        pressed.SetSeleted(!pressed.Selected);
        Anchor = track;
        const bool any = std::any_of(Doc.Tracks.begin(), Doc.Tracks.end(),
                                     [](const auto& t) { return t->Selected; });
        if (any)
            Host.EnableSelectionCommands();
        else
            Host.DisableSelectionCommands();
        break;
    }
    case TModifierKey::Shift:
        for (auto& t : Doc.Tracks)
            t->SetSeleted(false);
        if (!ValidTrack(Anchor)) {
            SelectTrack(track);
        } else {
            for (int k = std::min(Anchor, track); k <= std::max(Anchor, track); ++k)
                Doc.Track(k).SetSeleted(true);
        }
        break;
    }
}

// Captions.

void TrackCommands::StartCaptionEdit(int track) {
    if (!ValidTrack(track))
        return;
    DeselectAll();
    SelectTrack(track);
    TFullTrack& edited = Doc.Track(track);
    if (ICaptionEditor* editor = EditorOf(edited))
        editor->OpenCaptionEditor(edited.Caption);
}

void TrackCommands::CommitCaptionEdit(int track) {
    if (!ValidTrack(track))
        return;
    TFullTrack& edited = Doc.Track(track);
    ICaptionEditor* editor = EditorOf(edited);
    if (editor == nullptr || !editor->CaptionEditorOpen())
        return;
    const QString text = editor->CaptionEditorText();
    editor->CloseCaptionEditor();
    Doc.Modified = true;
    edited.SetCaption(text);
    Host.TakeSnapshot();
}

void TrackCommands::CommitOpenCaptionEditors() {
    bool changed = false;
    for (auto& track : Doc.Tracks) {
        ICaptionEditor* editor = EditorOf(*track);
        if (editor == nullptr || !editor->CaptionEditorOpen())
            continue;
        const QString text = editor->CaptionEditorText();
        editor->CloseCaptionEditor();
        if (text == track->Caption)
            continue;
        Doc.Modified = true;
        track->SetCaption(text);
        changed = true;
    }
    if (changed)
        Host.TakeSnapshot();
}

// Lock, Mute and Solo.

void TrackCommands::ToggleLock(int track) {
    if (!ValidTrack(track))
        return;
    Doc.Modified = true;
    Doc.Track(track).ToggleLocked();
}

void TrackCommands::ToggleMute(int track) {
    if (!ValidTrack(track))
        return;
    Doc.Modified = true;
    TFullTrack& toggled = Doc.Track(track);
    toggled.SetMute(!toggled.Mute);
    RecomputeSolo();
}

void TrackCommands::ToggleSolo(int track) {
    if (!ValidTrack(track))
        return;
    Doc.Modified = true;
    TFullTrack& toggled = Doc.Track(track);
    toggled.SetSolo(!toggled.Solo);
    RecomputeSolo();
}

void TrackCommands::RecomputeSolo() {
    Doc.RecomputeSolo();
    Host.RepaintLanes();
}

// Type, output and colour.

void TrackCommands::OpenTypeOutputMenu(int track) {
    if (!ValidTrack(track))
        return;
    Popup = &Doc.Track(track);
    Host.PopupTypeOutputMenu(track, Popup->TrackType);
}

void TrackCommands::ChooseType(int tag) {
    TFullTrack* track = PopupTrack();
    if (track == nullptr || (tag != TrackTypeProportional && tag != TrackTypeOnOff))
        return;
    const auto type = static_cast<std::uint8_t>(tag);
    track->SetType(type);
    track->SetTypeImage(type);
    Doc.Modified = true;
    Host.TakeSnapshot();
}

bool TrackCommands::ChooseOutput(int tag) {
    TFullTrack* track = PopupTrack();
    if (track == nullptr || tag < 0 || tag > 255)
        return false;
    for (const auto& other : Doc.Tracks)
        if (other.get() != track && other->Output == tag)
            return false;
    const auto output = static_cast<std::uint8_t>(tag);
    track->Output = output;
    track->SetOutputText(OutputText(output, Tr(TextTable::CommonTexts, CommonText::All)));
    Host.RefreshOutputMenu();
    Host.RepaintLanes();
    Doc.Modified = true;
    Host.TakeSnapshot();
    return true;
}

void TrackCommands::ChooseColor(int tag) {
    TFullTrack* track = PopupTrack();
    if (track == nullptr || tag < 1 || tag > PaletteSize)
        return;
    ApplyPaletteEntry(*track, tag);
    Doc.Modified = true;
    Host.RepaintLanes();
    Host.TakeSnapshot();
}

std::array<bool, 256> TrackCommands::OutputsInUse() const {
    std::array<bool, 256> used{};
    for (const auto& track : Doc.Tracks)
        used[track->Output] = true;
    return used;
}

} // namespace lumivox
