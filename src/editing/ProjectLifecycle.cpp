// Project commands in the order the operator sees them happen: prompt, stop, choose, load,
// then refresh the window.
#include "editing/ProjectLifecycle.h"

#include <QFileInfo>

#include <optional>

namespace lumivox {

ProjectLifecycle::ProjectLifecycle(ShowDocument& document, IUserInterface& ui,
                                   IProjectPropertiesEditor& properties, ISongLoader& songs,
                                   IMediaPlayer& player, ProjectFile& file, IProjectShell& shell,
                                   const Language& language)
    : Doc(document), Ui(ui), Properties(properties), Songs(songs), Player(player), File(file),
      Shell(shell), Lang(language) {}

QString ProjectLifecycle::WindowCaption() const {
    return QString::fromLatin1(WindowCaptionPrefix) + Doc.Project.Name;
}

void ProjectLifecycle::ShowCaption() {
    Shell.ShowWindowCaption(WindowCaption());
}

bool ProjectLifecycle::SongFileExists() const {
    return !Doc.Project.Mp3FileName.isEmpty() && QFileInfo(Doc.Project.Mp3FileName).isFile();
}

void ProjectLifecycle::ApplyResolution(int resolutionIndex) {
    Doc.ResolutionIndex = IsValidResolutionIndex(resolutionIndex) ? resolutionIndex : 1;
    Doc.Project.Resolution = Doc.ResolutionIndex;
    Shell.ResolutionChanged();
}

void ProjectLifecycle::TakeTextFields(const TProjectPropertiesData& data) {
    Doc.Project.Subject = data.Subject;
    Doc.Project.Author = data.Author;
    Doc.Project.Copyright = data.Copyright;
    Doc.Project.Customer = data.Customer;
    Doc.Project.CreationDate = data.CreationDate;
    Doc.Project.Comments = data.Comments;
}

void ProjectLifecycle::RefreshAfterCommand() {
    Shell.UpdateCommands();
    Shell.RefreshOutputMenu();
    Doc.RecomputeSolo();
    Shell.SoloChanged();
}

bool ProjectLifecycle::AskSaveChanges() {
    if (Doc.Modified && Ui.Confirm(Tr(TextTable::Messages, MessageText::SaveChanges)))
        return Save();
    return true;
}

void ProjectLifecycle::NewProject() {
    if (!AskSaveChanges())
        return;
    Shell.StopTransport();
    const QString folder = QFileInfo(Doc.Project.Mp3FileName).absolutePath();
    const auto song = Ui.ChooseSong(Doc.Project.Mp3FileName.isEmpty() ? QString() : folder);
    if (song) {
        TProjectPropertiesData data;
        data.Name = Tr(TextTable::CommonTexts, CommonText::NewProject);
        data.Mp3Path = *song;
        data.ResolutionIndex = 1;
        data.ResolutionEnabled = true;
        if (Properties.EditProjectProperties(data, Lang)) {
            if (Songs.LoadSong(*song)) {
                Shell.ClearSelection();
                Doc.ProjectFileName.clear();
                Doc.Modified = true;
                Doc.Project.Name = data.Name;
                ShowCaption();
                Doc.Project.Mp3FileName = *song;
                ApplyResolution(data.ResolutionIndex);
                TakeTextFields(data);
                if (Doc.TrackCount() > 0)
                    RemoveAllTracks(false);
                Shell.ChangesSettled();
            }
            Shell.ClearHistory();
            Shell.TakeSnapshot();
            Shell.ClearClipboard();
        }
    }
    RefreshAfterCommand();
}

void ProjectLifecycle::ProjectProperties() {
    Shell.StopTransport();
    TProjectPropertiesData data;
    data.ResolutionEnabled = false;
    data.Name = Doc.Project.Name;
    data.Mp3Path = Doc.Project.Mp3FileName;
    data.ResolutionIndex = IsValidResolutionIndex(Doc.ResolutionIndex) ? Doc.ResolutionIndex : 1;
    data.Subject = Doc.Project.Subject;
    data.Author = Doc.Project.Author;
    data.Copyright = Doc.Project.Copyright;
    data.Customer = Doc.Project.Customer;
    data.CreationDate = Doc.Project.CreationDate;
    data.Comments = Doc.Project.Comments;
    if (!Properties.EditProjectProperties(data, Lang))
        return;
    Doc.Modified = true;
    Doc.Project.Name = data.Name;
    ShowCaption();
    ApplyResolution(data.ResolutionIndex);
    TakeTextFields(data);
}

void ProjectLifecycle::Open() {
    if (!AskSaveChanges())
        return;
    Shell.StopTransport();
    if (const auto path = Ui.ChooseProject())
        ReadChosenProject(*path);
    RefreshAfterCommand();
}

void ProjectLifecycle::OpenProject(const QString& path) {
    if (!AskSaveChanges())
        return;
    Shell.StopTransport();
    ReadChosenProject(path);
    RefreshAfterCommand();
}

void ProjectLifecycle::ReadChosenProject(const QString& path) {
    ResetProject();
    Doc.ProjectFileName = path;
    if (File.ReadProject(path)) {
        ShowCaption();
        ApplyResolution(Doc.Project.Resolution);
        Shell.ProjectFileUsed(path);
    } else {
        DiscardFailedReading();
    }
    Shell.ClearHistory();
    Shell.TakeSnapshot();
    Shell.ClearClipboard();
}

bool ProjectLifecycle::OpenProjectByName(const QString& path) {
    Doc.ProjectFileName = path;
    const bool ok = File.ReadProject(path);
    if (ok) {
        ShowCaption();
        ApplyResolution(Doc.Project.Resolution);
        Shell.ClearHistory();
        Shell.TakeSnapshot();
        Shell.ProjectFileUsed(path);
    } else {
        DiscardFailedReading();
        Shell.ClearHistory();
        Shell.TakeSnapshot();
    }
    RefreshAfterCommand();
    return ok;
}

bool ProjectLifecycle::RestoreRecoveryCopy(const QString& copyPath, const QString& originalPath) {
    Shell.StopTransport();
    ResetProject();
    Doc.ProjectFileName = copyPath;
    const bool ok = File.ReadProject(copyPath);
    if (ok) {
        // The copy stands for the project it was made of; saving writes that one.
        Doc.ProjectFileName = originalPath;
        Doc.Modified = true;
        ShowCaption();
        ApplyResolution(Doc.Project.Resolution);
    } else {
        DiscardFailedReading();
    }
    Shell.ClearHistory();
    Shell.TakeSnapshot();
    Shell.ClearClipboard();
    RefreshAfterCommand();
    return ok;
}

void ProjectLifecycle::DiscardFailedReading() {
    Shell.BeginBulkUpdate();
    Shell.ClearSelection();
    if (Doc.TrackCount() > 0)
        RemoveAllTracks(false);
    Doc.ResetRecord(Tr(TextTable::CommonTexts, CommonText::NewProject));
    Doc.ProjectFileName.clear();
    Doc.Modified = false;
    Songs.CloseSong();
    Shell.EndBulkUpdate();
    ShowCaption();
}

void ProjectLifecycle::RemoveAllTracks(bool withProgress) {
    std::optional<ScopedProgress> progress;
    if (withProgress)
        progress.emplace(Ui, Tr(TextTable::CommonTexts, CommonText::DeletingTracks));
    Doc.RemoveAllTracks([&progress](int remaining, int total) {
        if (progress)
            progress->SetGauge(100 - (total - remaining) * 100 / total);
    });
    Shell.TracksRemoved();
}

void ProjectLifecycle::ResetProject() {
    Shell.BeginBulkUpdate();
    Shell.ClearSelection();
    Doc.Modified = true;
    Doc.ResetRecord(Tr(TextTable::CommonTexts, CommonText::NewProject));
    ShowCaption();
    if (Doc.TrackCount() > 0) {
        RemoveAllTracks(true);
        Shell.RefreshOutputMenu();
    }
    Shell.EndBulkUpdate();
    Shell.ChangesSettled();
}

bool ProjectLifecycle::WriteTo(const QString& path) {
    if (!File.WriteProject(path))
        return false; // the writer has reported why; the project stays modified
    Doc.ProjectFileName = path;
    Doc.Modified = false;
    Shell.ClearHistory();
    Shell.TakeSnapshot();
    Shell.ProjectFileUsed(path);
    Shell.ChangesSettled();
    return true;
}

bool ProjectLifecycle::Save() {
    Shell.StopTransport();
    if (!Doc.ProjectFileName.isEmpty() && QFileInfo::exists(Doc.ProjectFileName)) {
        if (!SongFileExists()) {
            Ui.Warning(Tr(TextTable::Messages, MessageText::Mp3MissingOrNotSelected));
            return false;
        }
        return WriteTo(Doc.ProjectFileName);
    }
    return SaveAs();
}

bool ProjectLifecycle::SaveAs() {
    Shell.StopTransport();
    if (!SongFileExists()) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::Mp3MissingOrNotSelected));
        return false;
    }
    const auto path = Ui.ChooseSaveFile();
    return path && WriteTo(*path);
}

bool ProjectLifecycle::PrepareClose() {
    Shell.StopTransport();
    return AskSaveChanges();
}

void ProjectLifecycle::ReplaceMp3File() {
    Shell.StopTransport();
    if (!Ui.Confirm(Tr(TextTable::Messages, MessageText::ReplaceMp3Warning)))
        return;
    const auto song = Ui.ChooseSong(QFileInfo(Doc.Project.Mp3FileName).absolutePath());
    if (!song)
        return;
    // The project takes the song only once it is open: a song refused or unreadable leaves
    // the project, its tracks and the open song as they were.
    if (Songs.LoadSong(*song)) {
        Doc.Project.Mp3FileName = *song;
        Doc.Modified = true;
        for (auto& track : Doc.Tracks)
            track->Resize(Doc.SlotCount);
        Shell.ClearHistory();
        Shell.TakeSnapshot();
        Shell.ClearClipboard();
    }
    RefreshAfterCommand();
}

TSequenceExport::Result ProjectLifecycle::CreateSeqFile() {
    Shell.StopTransport();
    return Export.Export(Doc, Ui, Lang);
}

} // namespace lumivox
