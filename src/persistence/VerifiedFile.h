// Writing a file so that it is replaced only by a complete copy: the bytes go to a temporary
// file in the same folder, every write and the flush to the disk are checked, and only then is
// the temporary file renamed over the target. Any failure leaves the previous file byte for
// byte and says why, with the system's error number so the reason can be told in the user's
// language.
#pragma once

#include "core/LanguageTables.h"

#include <QByteArray>
#include <QString>

namespace lumivox {

// Why a file could not be written: the system's error number (0 when the failure had none)
// and its description as the system gives it.
struct TFileError {
    int Code = 0;
    QString Detail;

    bool Failed() const { return Code != 0 || !Detail.isEmpty(); }
    explicit operator bool() const { return Failed(); }
    // The error of the last failed system call.
    static TFileError FromErrno(int code);
};

class TVerifiedFile {
public:
    // The file that will replace `path` (a symbolic link's target when `path` is one).
    explicit TVerifiedFile(const QString& path);
    // Removes the temporary file unless it was committed.
    ~TVerifiedFile();
    TVerifiedFile(const TVerifiedFile&) = delete;
    TVerifiedFile& operator=(const TVerifiedFile&) = delete;

    // Creates the temporary file beside the target. False on failure (see Error()).
    bool Open();
    // Appends bytes; after a failure every later write fails as well.
    bool Write(const char* data, qsizetype size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Flushes the temporary file to the disk, gives it the target's permissions, closes it
    // and renames it over the target. False, leaving the target as it was, on any failure.
    bool Commit();
    // Drops what was written; the target stays as it was.
    void Discard();

    const TFileError& Error() const { return LastError; }
    QString TargetPath() const { return Target; }

private:
    bool Fail(int code);

    QString Target;
    QByteArray TempName; // encoded for the system
    int Descriptor = -1;
    bool Committed = false;
    TFileError LastError;
};

// Why a file could not be written, in `language`: the common reasons (a full disk, no
// permission, a read-only disk...) in the user's words, any other as the system tells it.
QString FileErrorText(const TFileError& error, Language language);

// Writes `bytes` to `path` through a TVerifiedFile; an empty error on success.
TFileError WriteFileVerified(const QString& path, const QByteArray& bytes);

} // namespace lumivox
