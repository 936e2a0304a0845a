// The marks file kept beside a project, NAME.PRJ.marks: UTF-8 text, one mark a line, its
// time in milliseconds, one space and its name (which may be empty). The project file itself
// knows nothing of it, so older readers of projects are not disturbed.
#pragma once

#include "model/ShowMarks.h"
#include "persistence/VerifiedFile.h"

#include <QByteArray>
#include <QString>

namespace lumivox {

// The marks file of the project at `projectPath`.
QString MarksPathOf(const QString& projectPath);
// Where a marks file that could not be read is put aside before new marks replace it.
QString RefusedMarksBackupPath(const QString& marksPath);

struct TMarksReading {
    enum class Fault {
        None,
        Unreadable, // the file exists but cannot be read; Error says why
        NotATime,   // a line does not start with a whole number of milliseconds
        Negative,   // a line's time is below zero
    };
    TShowMarks Marks;
    Fault Problem = Fault::None;
    int Line = 0;  // 1-based line of a NotATime or Negative fault
    QString Error; // the system's description of an Unreadable fault

    bool Ok() const { return Problem == Fault::None; }
};

// Parses a marks file's bytes. Blank lines are passed over; the first line that is not a
// mark refuses the whole file (no marks are kept from it).
TMarksReading ParseMarks(const QByteArray& bytes);
// Reads the file at `path`; a missing file holds no marks.
TMarksReading ReadMarksFile(const QString& path);

// The text of a marks file holding `marks`.
QByteArray FormatMarks(const TShowMarks& marks);
// Writes `marks` to `path` through a temporary file, so a failed write leaves the previous
// file whole. Without marks the file is removed instead, so no stale marks come back when
// the project is opened again. Returns no error on success, else why it failed.
TFileError WriteMarksFile(const QString& path, const TShowMarks& marks);

} // namespace lumivox
