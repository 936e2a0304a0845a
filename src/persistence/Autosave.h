// Autosave: while the show is modified, a recovery copy of it is written every so often, as an
// ordinary project file in the per-user data folder, on a thread of its own so editing never
// waits for the disk. A clean save or close removes it; after a crash, a power cut or a
// logout the next start finds it and offers it back.
#pragma once

#include "model/ShowDocument.h"
#include "persistence/ProjectWriter.h"

#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <memory>
#include <vector>

class QTimer;

namespace lumivox {

// A recovery copy left on disk by an editor that did not close cleanly.
struct TRecoveryCopy {
    QString CopyPath;     // the copy, an ordinary project file
    QString OriginalPath; // the project it stands for; empty when it was never saved
    QString ProjectName;
    QDateTime Written;
};

class Autosave : public QObject {
    Q_OBJECT
public:
    // `folder` empty: recovery/ in the per-user data folder.
    explicit Autosave(const ShowDocument& document, const QString& folder = QString(),
                      QObject* parent = nullptr);
    // Waits for a copy being written, so it is never left half done by this process.
    ~Autosave() override;

    QString Folder() const { return Dir; }
    // Seconds between two copies while the show is modified; the timer runs from Start.
    void SetInterval(int seconds);
    int IntervalSeconds() const;
    void Start();
    void Stop();

    // Writes a copy now when the show is modified and differs from the last copy; the
    // snapshot is taken here, the file written on the autosave thread. True when a write
    // was started.
    bool SaveNow();
    // The show was saved, or closed without keeping its changes: its copy goes.
    void Discard();
    // A copy found at start was restored: it is held as this editor's own until the first
    // copy of this run replaces it.
    void Adopt(const QString& copyPath);

    bool Writing() const { return InFlight; }
    // Waits at most `timeoutMs` for the write under way; true when none is left.
    bool WaitForWrites(int timeoutMs);
    // Where the copy of the show as it stands now goes.
    QString CopyPathFor(const QString& projectFileName) const;

    // The copies to offer at start-up, newest first: each is newer than its project (or of
    // a project never saved) and not held by an editor still running. Copies older than
    // their project are removed.
    static std::vector<TRecoveryCopy> FindCopies(const QString& folder = QString());
    static void RemoveCopy(const TRecoveryCopy& copy);
    static QString DefaultFolder();

Q_SIGNALS:
    void CopyWritten(const QString& path);
    void CopyFailed(const QString& path, const lumivox::TFileError& error);

private:
    void Finished(const QString& path, const TFileError& error,
                  std::shared_ptr<const TProjectSnapshot> snapshot);
    void HoldLockFor(const QString& copyPath);
    void RemoveFiles(const QString& copyPath);

    const ShowDocument& Doc;
    QString Dir;
    QString Session; // names the copy of a show never saved, one per running editor
    QTimer* Timer;
    QThreadPool Pool;
    bool InFlight = false;
    QString CopyPath; // the copy this editor wrote last
    std::unique_ptr<QLockFile> Lock;
    std::shared_ptr<const TProjectSnapshot> LastWritten;
};

// True when both snapshots would write the same file.
bool SameContent(const TProjectSnapshot& a, const TProjectSnapshot& b);

} // namespace lumivox
