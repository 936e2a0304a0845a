// The life of the one open project: New, Properties, Open, Save, Save as, the save prompt,
// closing, replacing the song and exporting the sequence file. Widget-free: it changes the
// show, which announces what changed; it talks to the user through IUserInterface and asks
// the window through IProjectShell.
#pragma once

#include "audio/playback/MediaPlayer.h"
#include "core/ProjectProperties.h"
#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "output/SequenceExport.h"
#include "persistence/ProjectFile.h"

#include <QString>

namespace lumivox {

inline constexpr char WindowCaptionPrefix[] = "Lumivox Editor V1.4 - ";

// What the lifecycle asks of the main window: the transport, the history and the clipboard
// that belong to the show, the recent projects and the recovery copy.
class IProjectShell {
public:
    virtual ~IProjectShell() = default;
    virtual void StopTransport() = 0;
    virtual void ClearHistory() = 0;
    virtual void TakeSnapshot() = 0;
    virtual void ClearClipboard() = 0;
    // A project file was read or written: it goes first in the recent projects.
    virtual void ProjectFileUsed(const QString& path) = 0;
    // The show was saved, or replaced by another: its recovery copy is not needed any more.
    virtual void ChangesSettled() = 0;
};

class ProjectLifecycle {
public:
    ProjectLifecycle(ShowDocument& document, IUserInterface& ui,
                     IProjectPropertiesEditor& properties, ISongLoader& songs, IMediaPlayer& player,
                     ProjectFile& file, IProjectShell& shell, const Language& language);

    bool SongOpen() const { return Player.IsOpen(); }
    // The window's title for the show's name; the window follows the name's announcements.
    QString WindowCaption() const;

    // The save prompt: on Yes the project is saved; there is no Cancel. False when the
    // user wanted it saved and it was not (the save failed or its chooser was cancelled):
    // the command that asked must not go on and lose the changes.
    bool AskSaveChanges();

    void NewProject();
    void ProjectProperties();
    void Open();
    // Opens a project without a dialog (start-up, command line). True when it was read.
    bool OpenProjectByName(const QString& path);
    // Opens a project named by the user some other way than the chooser (the recent
    // projects, a file dropped on the window): as Open, with the save prompt first.
    void OpenProject(const QString& path);
    // Opens a recovery copy in place of the project it stands for: named as that project
    // (or untitled), marked modified. True when it was read.
    bool RestoreRecoveryCopy(const QString& copyPath, const QString& originalPath);
    // Empties the project before a file is read.
    void ResetProject();
    // True when the project was written.
    bool Save();
    bool SaveAs();
    // Stops the transport and asks to save a modified project; the window then writes the
    // settings and closes. False when the show was to be saved and was not: the window
    // stays open.
    bool PrepareClose();
    void ReplaceMp3File();
    TSequenceExport::Result CreateSeqFile();
    // Export To: the sequence chooser first, opened beside the song; then the export there.
    TSequenceExport::Result ExportTo();

    // The export's working lists, kept as long as the window.
    TSequenceExport& Exporter() { return Export; }

private:
    QString Tr(TextTable table, int entry) const { return Text(table, entry, Lang); }
    bool SongFileExists() const;
    // Where Save as proposes to write: the project's file, or for a new show a file named
    // after it in its song's folder.
    QString SaveAsSuggestion() const;
    // Writes the project; only a successful write clears Modified and starts a new history.
    bool WriteTo(const QString& path);
    void RemoveAllTracks(bool withProgress);
    // Reads a project file; no track of a show read is selected and there is no anchor. True
    // when it was read.
    bool ReadFile(const QString& path);
    // After a refused reading: the empty project, no song, not modified, under no name, so
    // nothing half read can be saved or exported over the file.
    void DiscardFailedReading();
    void ReadChosenProject(const QString& path);
    // The five text fields and the comments from the dialog.
    void TakeTextFields(const TProjectPropertiesData& data);

    ShowDocument& Doc;
    IUserInterface& Ui;
    IProjectPropertiesEditor& Properties;
    ISongLoader& Songs;
    IMediaPlayer& Player;
    ProjectFile& File;
    IProjectShell& Shell;
    const Language& Lang;
    TSequenceExport Export;
};

} // namespace lumivox
