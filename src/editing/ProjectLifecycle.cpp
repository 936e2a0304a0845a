// Project commands in the order the operator sees them happen: prompt, stop, choose, load;
// the window follows what the show announces.
#include "editing/ProjectLifecycle.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <optional>

namespace lumivox {

namespace {

QString AbsolutePath(const QString& path) {
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

} // namespace

ProjectLifecycle::ProjectLifecycle(ShowDocument& document, IUserInterface& ui,
                                   IProjectPropertiesEditor& properties, ISongLoader& songs,
                                   IMediaPlayer& player, ProjectFile& file, IProjectShell& shell,
                                   const Language& language)
    : Doc(document), Ui(ui), Properties(properties), Songs(songs), Player(player), File(file),
      Shell(shell), Lang(language) {}

QString ProjectLifecycle::WindowCaption() const {
    return QString::fromLatin1(WindowCaptionPrefix) + Doc.Project().Name;
}

bool ProjectLifecycle::SongFileExists() const {
    return !Doc.Project().Mp3FileName.isEmpty() && QFileInfo(Doc.Project().Mp3FileName).isFile();
}

void ProjectLifecycle::TakeTextFields(const TProjectPropertiesData& data) {
    TProjectTexts texts;
    texts.Subject = data.Subject;
    texts.Author = data.Author;
    texts.Copyright = data.Copyright;
    texts.Customer = data.Customer;
    texts.CreationDate = data.CreationDate;
    texts.Comments = data.Comments;
    Doc.SetTexts(texts);
}

bool ProjectLifecycle::ReadFile(const QString& path) {
    if (!File.ReadProject(path))
        return false;
    // Nothing is selected in a show just opened, so that Delete or Cut pressed before any
    // choice touches no track.
    for (int k = 1; k <= Doc.TrackCount(); ++k)
        Doc.SetSelected(k, false);
    Doc.SetAnchor(-1);
    return true;
}

bool ProjectLifecycle::AskSaveChanges() {
    if (Doc.Modified() && Ui.Confirm(Tr(TextTable::Messages, MessageText::SaveChanges)))
        return Save();
    return true;
}

void ProjectLifecycle::NewProject() {
    if (!AskSaveChanges())
        return;
    Shell.StopTransport();
    const QString folder = QFileInfo(Doc.Project().Mp3FileName).absolutePath();
    const auto song = Ui.ChooseSong(Doc.Project().Mp3FileName.isEmpty() ? QString() : folder);
    if (song) {
        TProjectPropertiesData data;
        data.Name = Tr(TextTable::CommonTexts, CommonText::NewProject);
        data.Mp3Path = *song;
        data.ResolutionIndex = 1;
        data.ResolutionEnabled = true;
        if (Properties.EditProjectProperties(data, Lang)) {
            if (Songs.LoadSong(*song)) {
                Doc.SetAnchor(-1);
                Doc.ProjectFileName.clear();
                Doc.SetModified(true);
                Doc.SetProjectName(data.Name);
                Doc.SetSongFile(*song);
                Doc.SetResolution(data.ResolutionIndex);
                TakeTextFields(data);
                Doc.SetMarks({});
                if (Doc.TrackCount() > 0)
                    RemoveAllTracks(false);
                Shell.ChangesSettled();
            }
            Shell.ClearHistory();
            Shell.TakeSnapshot();
            Shell.ClearClipboard();
        }
    }
}

void ProjectLifecycle::ProjectProperties() {
    Shell.StopTransport();
    TProjectPropertiesData data;
    data.ResolutionEnabled = false;
    data.Name = Doc.Project().Name;
    data.Mp3Path = Doc.Project().Mp3FileName;
    data.ResolutionIndex =
        IsValidResolutionIndex(Doc.ResolutionIndex()) ? Doc.ResolutionIndex() : 1;
    data.Subject = Doc.Project().Subject;
    data.Author = Doc.Project().Author;
    data.Copyright = Doc.Project().Copyright;
    data.Customer = Doc.Project().Customer;
    data.CreationDate = Doc.Project().CreationDate;
    data.Comments = Doc.Project().Comments;
    if (!Properties.EditProjectProperties(data, Lang))
        return;
    Doc.SetModified(true);
    Doc.SetProjectName(data.Name);
    Doc.SetResolution(data.ResolutionIndex);
    TakeTextFields(data);
}

void ProjectLifecycle::Open() {
    if (!AskSaveChanges())
        return;
    Shell.StopTransport();
    if (const auto path = Ui.ChooseProject())
        ReadChosenProject(*path);
}

void ProjectLifecycle::OpenProject(const QString& path) {
    if (!AskSaveChanges())
        return;
    Shell.StopTransport();
    ReadChosenProject(path);
}

void ProjectLifecycle::ReadChosenProject(const QString& chosen) {
    const QString path = AbsolutePath(chosen);
    ResetProject();
    Doc.ProjectFileName = path;
    if (ReadFile(path)) {
        Doc.SetResolution(Doc.Project().Resolution);
        Shell.ProjectFileUsed(path);
    } else {
        DiscardFailedReading();
    }
    Shell.ClearHistory();
    Shell.TakeSnapshot();
    Shell.ClearClipboard();
}

bool ProjectLifecycle::OpenProjectByName(const QString& named) {
    // Held absolute from here on, so the recent projects and the next start find it from any
    // folder.
    const QString path = AbsolutePath(named);
    Doc.ProjectFileName = path;
    const bool ok = ReadFile(path);
    if (ok) {
        Doc.SetResolution(Doc.Project().Resolution);
        Shell.ClearHistory();
        Shell.TakeSnapshot();
        Shell.ProjectFileUsed(path);
    } else {
        DiscardFailedReading();
        Shell.ClearHistory();
        Shell.TakeSnapshot();
    }
    return ok;
}

bool ProjectLifecycle::RestoreRecoveryCopy(const QString& copyPath, const QString& originalPath) {
    Shell.StopTransport();
    ResetProject();
    Doc.ProjectFileName = copyPath;
    const bool ok = ReadFile(copyPath);
    if (ok) {
        // The copy stands for the project it was made of; saving writes that one.
        Doc.ProjectFileName = originalPath;
        Doc.SetModified(true);
        Doc.SetResolution(Doc.Project().Resolution);
    } else {
        DiscardFailedReading();
    }
    Shell.ClearHistory();
    Shell.TakeSnapshot();
    Shell.ClearClipboard();
    return ok;
}

void ProjectLifecycle::DiscardFailedReading() {
    const TBulkUpdate bulk(Doc);
    Doc.SetAnchor(-1);
    if (Doc.TrackCount() > 0)
        RemoveAllTracks(false);
    Doc.ResetRecord(Tr(TextTable::CommonTexts, CommonText::NewProject));
    Doc.SetMarks({});
    Doc.ProjectFileName.clear();
    Doc.SetModified(false);
    Songs.CloseSong();
}

void ProjectLifecycle::RemoveAllTracks(bool withProgress) {
    std::optional<ScopedProgress> progress;
    if (withProgress)
        progress.emplace(Ui, Tr(TextTable::CommonTexts, CommonText::DeletingTracks));
    Doc.RemoveAllTracks([&progress](int remaining, int total) {
        if (progress)
            progress->SetGauge(100 - (total - remaining) * 100 / total);
    });
}

void ProjectLifecycle::ResetProject() {
    {
        const TBulkUpdate bulk(Doc);
        Doc.SetAnchor(-1);
        Doc.SetModified(true);
        Doc.ResetRecord(Tr(TextTable::CommonTexts, CommonText::NewProject));
        Doc.SetMarks({});
        if (Doc.TrackCount() > 0)
            RemoveAllTracks(true);
    }
    Shell.ChangesSettled();
}

bool ProjectLifecycle::WriteTo(const QString& chosen) {
    const QString path = AbsolutePath(chosen);
    if (!File.WriteProject(path))
        return false; // the writer has reported why; the project stays modified
    Doc.ProjectFileName = path;
    Doc.SetModified(false);
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
    const auto path = Ui.ChooseSaveFile(SaveAsSuggestion());
    if (!path)
        return false;
    // Another project of that name is replaced only when the user says so; saving again under
    // the show's own name is no replacement.
    const QFileInfo chosen(*path);
    const bool ownFile =
        !Doc.ProjectFileName.isEmpty() &&
        chosen.absoluteFilePath() == QFileInfo(Doc.ProjectFileName).absoluteFilePath();
    if (chosen.exists() && !ownFile &&
        !Ui.Confirm(QDir::toNativeSeparators(*path) +
                    Tr(TextTable::Messages, MessageText::AlreadyExistsReplace)))
        return false;
    return WriteTo(*path);
}

QString ProjectLifecycle::SaveAsSuggestion() const {
    // The project's own folder and name once it has them; a new show goes beside its song,
    // under the show's name.
    if (!Doc.ProjectFileName.isEmpty())
        return QFileInfo(Doc.ProjectFileName).absoluteFilePath();
    QString name = Doc.Project().Name.trimmed();
    static const QRegularExpression unsafe(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = Tr(TextTable::CommonTexts, CommonText::NewProject);
    const QString folder = QFileInfo(Doc.Project().Mp3FileName).absolutePath();
    return QDir(folder).filePath(name + QStringLiteral(".PRJ"));
}

bool ProjectLifecycle::PrepareClose() {
    Shell.StopTransport();
    return AskSaveChanges();
}

void ProjectLifecycle::ReplaceMp3File() {
    Shell.StopTransport();
    if (!Ui.Confirm(Tr(TextTable::Messages, MessageText::ReplaceMp3Warning)))
        return;
    const auto song = Ui.ChooseSong(QFileInfo(Doc.Project().Mp3FileName).absolutePath());
    if (!song)
        return;
    // The project takes the song only once it is open: a song refused or unreadable leaves
    // the project, its tracks and the open song as they were.
    if (Songs.LoadSong(*song)) {
        Doc.SetSongFile(*song);
        Doc.SetModified(true);
        Doc.ResizeTracks(Doc.SlotCount);
        Shell.ClearHistory();
        Shell.TakeSnapshot();
        Shell.ClearClipboard();
    }
}

TSequenceExport::Result ProjectLifecycle::CreateSeqFile() {
    Shell.StopTransport();
    return Export.Export(Doc, Ui, Lang);
}

TSequenceExport::Result ProjectLifecycle::ExportTo() {
    Shell.StopTransport();
    if (Doc.Project().Mp3FileName.isEmpty()) {
        Ui.Warning(Tr(TextTable::Messages, MessageText::NoMp3Loaded));
        return TSequenceExport::Result::Failed;
    }
    const auto chosen = Ui.ChooseSequenceFile(SequenceFileNameFor(Doc.Project().Mp3FileName),
                                              Tr(TextTable::FileText, FileText::SequenceFilter));
    if (!chosen)
        return TSequenceExport::Result::Declined;
    return Export.Export(Doc, Ui, Lang, *chosen);
}

} // namespace lumivox
