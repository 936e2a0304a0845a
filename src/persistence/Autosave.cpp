// Recovery copies: where they go, how they are written off the UI thread, and how the next
// start finds the ones a crash left behind.
#include "persistence/Autosave.h"

#include "persistence/MarksFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <cerrno>

namespace lumivox {

namespace {

const QString CopySuffix = QStringLiteral(".PRJ");
const QString InfoSuffix = QStringLiteral(".info");
const QString LockSuffix = QStringLiteral(".lock");

// Beside each copy: the project it stands for and its name, one per line.
TFileError WriteInfo(const QString& copyPath, const QString& original, const QString& name) {
    return WriteFileVerified(copyPath + InfoSuffix,
                             original.toUtf8() + '\n' + name.toUtf8() + '\n');
}

bool SameTrack(const TFullDataTrack& a, const TFullDataTrack& b) {
    return a.Values == b.Values && a.TrackType == b.TrackType && a.Output == b.Output &&
           a.Locked == b.Locked && a.Mute == b.Mute && a.Solo == b.Solo && a.Caption == b.Caption &&
           a.HeaderColor == b.HeaderColor && a.CaptionColor == b.CaptionColor &&
           a.LaneColor == b.LaneColor && a.LaneBackColor == b.LaneBackColor &&
           a.MidiMap == b.MidiMap;
}

} // namespace

bool SameContent(const TProjectSnapshot& a, const TProjectSnapshot& b) {
    const TProjectType& p = a.Project;
    const TProjectType& q = b.Project;
    if (a.SlotCount != b.SlotCount || a.Tracks.size() != b.Tracks.size() || !(a.Marks == b.Marks) ||
        p.Name != q.Name || p.Mp3FileName != q.Mp3FileName || p.Resolution != q.Resolution ||
        p.Subject != q.Subject || p.Author != q.Author || p.Copyright != q.Copyright ||
        p.Customer != q.Customer || p.CreationDate != q.CreationDate || p.Reserved != q.Reserved ||
        p.Comments != q.Comments)
        return false;
    return std::equal(a.Tracks.begin(), a.Tracks.end(), b.Tracks.begin(), SameTrack);
}

QString Autosave::DefaultFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("recovery"));
}

Autosave::Autosave(const ShowDocument& document, const QString& folder, QObject* parent)
    : QObject(parent), Doc(document), Dir(folder.isEmpty() ? DefaultFolder() : folder),
      Session(QUuid::createUuid().toString(QUuid::Id128).left(12)), Timer(new QTimer(this)) {
    Pool.setMaxThreadCount(1);
    Timer->setInterval(60 * 1000);
    connect(Timer, &QTimer::timeout, this, [this] { SaveNow(); });
}

Autosave::~Autosave() {
    Pool.waitForDone();
}

void Autosave::SetInterval(int seconds) {
    Timer->setInterval(std::max(seconds, 1) * 1000);
}

int Autosave::IntervalSeconds() const {
    return Timer->interval() / 1000;
}

void Autosave::Start() {
    Timer->start();
}

void Autosave::Stop() {
    Timer->stop();
}

QString Autosave::CopyPathFor(const QString& projectFileName) const {
    // Named after the project, with a short hash of its full path so two projects of the
    // same name in different folders keep copies of their own.
    if (projectFileName.isEmpty())
        return QDir(Dir).filePath(QStringLiteral("Untitled-") + Session + CopySuffix);
    const QString absolute = QFileInfo(projectFileName).absoluteFilePath();
    const QByteArray hash =
        QCryptographicHash::hash(absolute.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    return QDir(Dir).filePath(QFileInfo(absolute).completeBaseName() + QLatin1Char('-') +
                              QString::fromLatin1(hash) + CopySuffix);
}

void Autosave::HoldLockFor(const QString& copyPath) {
    if (Lock && CopyPath == copyPath)
        return;
    Lock = std::make_unique<QLockFile>(copyPath + LockSuffix);
    Lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (!Lock->tryLock(0))
        Lock.reset();
}

bool Autosave::SaveNow() {
    if (InFlight || !Doc.Modified())
        return false;
    auto snapshot = std::make_shared<const TProjectSnapshot>(SnapshotOf(Doc));
    const QString path = CopyPathFor(Doc.ProjectFileName);
    if (path == CopyPath && LastWritten && SameContent(*snapshot, *LastWritten))
        return false;
    errno = 0;
    if (!QDir().mkpath(Dir)) {
        Q_EMIT CopyFailed(path, TFileError::FromErrno(errno != 0 ? errno : EACCES));
        return false;
    }
    // The show was renamed (saved under a name, or another project opened): the copy under
    // the old name is not needed any more.
    if (!CopyPath.isEmpty() && CopyPath != path)
        RemoveFiles(CopyPath);
    HoldLockFor(path);
    CopyPath = path;
    InFlight = true;
    const QString original = Doc.ProjectFileName.isEmpty()
                                 ? QString()
                                 : QFileInfo(Doc.ProjectFileName).absoluteFilePath();
    const QString name = Doc.Project().Name;
    Pool.start([this, path, original, name, snapshot] {
        // The project first: a copy that cannot be written leaves the previous one whole, with
        // the information beside it that still describes it.
        TFileError error = WriteProjectSnapshot(path, *snapshot);
        // The marks go beside the copy as beside a project, so restoring the copy reads them.
        if (!error)
            error = WriteMarksFile(MarksPathOf(path), snapshot->Marks);
        if (!error)
            error = WriteInfo(path, original, name);
        QMetaObject::invokeMethod(
            this, [this, path, error, snapshot] { Finished(path, error, snapshot); },
            Qt::QueuedConnection);
    });
    return true;
}

void Autosave::Finished(const QString& path, const TFileError& error,
                        std::shared_ptr<const TProjectSnapshot> snapshot) {
    InFlight = false;
    if (error) {
        Q_EMIT CopyFailed(path, error);
        return;
    }
    if (path != CopyPath) {
        RemoveFiles(path); // discarded while it was being written
        return;
    }
    LastWritten = std::move(snapshot);
    Q_EMIT CopyWritten(path);
}

bool Autosave::WaitForWrites(int timeoutMs) {
    if (!Pool.waitForDone(timeoutMs))
        return false;
    // Deliver the result queued by the finished write.
    QCoreApplication::sendPostedEvents(this);
    return !InFlight;
}

void Autosave::RemoveFiles(const QString& copyPath) {
    QFile::remove(copyPath);
    QFile::remove(copyPath + InfoSuffix);
    QFile::remove(MarksPathOf(copyPath));
    if (Lock && copyPath == CopyPath)
        Lock.reset(); // unlocks and removes the lock file
    QFile::remove(copyPath + LockSuffix);
}

void Autosave::Discard() {
    if (!CopyPath.isEmpty() && !InFlight)
        RemoveFiles(CopyPath);
    // A write under way is removed when it finishes (its path no longer matches).
    CopyPath.clear();
    Lock.reset();
    LastWritten.reset();
}

void Autosave::Adopt(const QString& copyPath) {
    Discard();
    HoldLockFor(copyPath);
    CopyPath = copyPath;
}

std::vector<TRecoveryCopy> Autosave::FindCopies(const QString& folder) {
    std::vector<TRecoveryCopy> copies;
    const QDir dir(folder.isEmpty() ? DefaultFolder() : folder);
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*") + CopySuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& file : files) {
        const QString path = file.absoluteFilePath();
        QLockFile lock(path + LockSuffix);
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue; // an editor still running owns it
        lock.unlock();
        TRecoveryCopy copy;
        copy.CopyPath = path;
        copy.Written = file.lastModified();
        QFile info(path + InfoSuffix);
        if (info.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = info.readAll().split('\n');
            copy.OriginalPath = QString::fromUtf8(lines.value(0));
            copy.ProjectName = QString::fromUtf8(lines.value(1));
        }
        if (!copy.OriginalPath.isEmpty()) {
            const QFileInfo original(copy.OriginalPath);
            // Only a project saved strictly later makes the copy stale: file times advance in
            // coarse ticks of the system's clock, so a copy written just after a save can
            // carry the save's very time, and it may hold edits made since.
            if (original.exists() && original.lastModified() > copy.Written) {
                RemoveCopy(copy); // the project was saved after it: nothing to recover
                continue;
            }
        }
        copies.push_back(copy);
    }
    return copies;
}

void Autosave::RemoveCopy(const TRecoveryCopy& copy) {
    QFile::remove(copy.CopyPath);
    QFile::remove(copy.CopyPath + InfoSuffix);
    QFile::remove(MarksPathOf(copy.CopyPath));
    QFile::remove(copy.CopyPath + LockSuffix);
}

} // namespace lumivox
