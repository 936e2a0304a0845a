// The project file: writing version 1.0.3 and reading versions 1.0.0 to 1.0.3, with the
// song relocation flow and the refusals of files the model cannot hold.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "persistence/VerifiedFile.h"

#include <QString>

#include <cstdint>

namespace lumivox {

inline constexpr char ProjectFileVersionText[] = "1.0.3";
inline constexpr int ProjectFileVersionNumber = 103;

// Opens a project's song and sets the document's SlotCount from it. It shows its own
// messages (a missing file, a refused format) and returns false when no song was opened.
class ISongLoader {
public:
    virtual ~ISongLoader() = default;
    virtual bool LoadSong(const QString& mp3Path) = 0;
    // True when the last LoadSong failed because the user cancelled it (the decoding of the
    // song), not because the song could not be used.
    virtual bool LoadCancelled() const { return false; }
    // The length of the song open now in ms; -1 when it is not known.
    virtual std::int64_t SongLengthMs() const { return -1; }
    // Closes the song and forgets its waveform: the show is left without one.
    virtual void CloseSong() = 0;
};

class ProjectFile {
public:
    // `language` is the user interface's, read whenever a message or a progress text is
    // needed, so the file speaks the language the window shows.
    ProjectFile(ShowDocument& document, IUserInterface& ui, ISongLoader& songs,
                const Language& language = DefaultLanguage);

    // Writes the project as version 1.0.3 to a temporary file beside `path`, then replaces
    // `path` with it, so a failed write never damages the previous file; then the show's
    // marks to the marks file beside it (see MarksFile.h). Returns false after reporting an
    // input/output error. Does not change Modified or ProjectFileName.
    bool WriteProject(const QString& path);

    // Reads a project of any supported version into the emptied document, in one bulk update
    // of the show, and the marks from the marks file beside it. Returns false after telling
    // the user why; what was read before a refusal stays in the document. A marks file that
    // cannot be read is refused with a warning: the project opens without marks.
    bool ReadProject(const QString& path);

    // The version line (line 3) of the last file read, as found.
    QString VersionRead() const { return LastVersion; }
    // True when the last reading had to ask for the song again.
    bool SongRelocated() const { return Relocated; }
    // True when the last reading fitted tracks of another length to the song.
    bool TracksFitted() const { return FittedFrom >= 0; }
    // True when the last reading found another number of track blocks than the file's count
    // says, and read every block present.
    bool TrackCountDiffered() const { return CountWritten >= 0; }

private:
    class Reading;

    QString Tr(TextTable table, int entry) const { return Text(table, entry, Lang); }
    bool ReadVersion(const QString& path, int minor);
    // Opens the project's song, offering the song chooser while it is missing or cannot be
    // used; false when the user gave up.
    bool OpenSong(TProjectType& project, const QString& projectPath);
    void ReadMarks(const QString& projectPath);
    TFileError WriteMarks(const QString& marksPath, const TShowMarks& marks);

    ShowDocument& Doc;
    IUserInterface& Ui;
    ISongLoader& Songs;
    const Language& Lang;
    QString LastVersion;
    bool Relocated = false;
    int FittedFrom = -1;   // value lines of the first track that did not match the song
    int CountWritten = -1; // the file's track count, when other than the blocks it holds
    // A marks file refused at the last reading: left as it is until the show's marks change,
    // then saved aside before new marks replace it.
    QString RefusedMarks;
};

} // namespace lumivox
