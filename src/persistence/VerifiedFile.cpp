// The verified file writer over the system's calls, so that no error is buffered away: each
// write is a write(2), the flush an fsync(2), the replacement a rename(2).
#include "persistence/VerifiedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumivox {

TFileError TFileError::FromErrno(int code) {
    TFileError error;
    error.Code = code;
    error.Detail = QString::fromLocal8Bit(std::strerror(code));
    return error;
}

namespace {

// The folder of `path`, for the system, so it can be flushed after a rename.
void SyncFolderOf(const QByteArray& path) {
    const int slash = path.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray(slash == 0 ? "/" : ".") : path.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Some file systems cannot flush a folder; the rename has happened all the same.
    ::fsync(fd);
    ::close(fd);
}

} // namespace

TVerifiedFile::TVerifiedFile(const QString& path) : Target(path) {
    // Writing through a link replaces the file it points to, not the link.
    const QFileInfo info(path);
    if (info.isSymLink() && !info.symLinkTarget().isEmpty())
        Target = info.symLinkTarget();
}

TVerifiedFile::~TVerifiedFile() {
    if (!Committed)
        Discard();
}

bool TVerifiedFile::Fail(int code) {
    if (!LastError)
        LastError = TFileError::FromErrno(code);
    return false;
}

bool TVerifiedFile::Open() {
    Discard();
    LastError = {};
    Committed = false;
    const QFileInfo info(Target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    // A hidden name of our own beside the target; the umask applies as to any new file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        TempName = folder + "/." + name + '.' +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        Descriptor = ::open(TempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Descriptor >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    const int code = errno;
    TempName.clear();
    return Fail(code);
}

bool TVerifiedFile::Write(const char* data, qsizetype size) {
    if (Descriptor < 0)
        return LastError ? false : Fail(EBADF);
    while (size > 0) {
        const ssize_t written = ::write(Descriptor, data, static_cast<std::size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return Fail(errno);
        }
        if (written == 0)
            return Fail(EIO);
        data += written;
        size -= written;
    }
    return true;
}

bool TVerifiedFile::Commit() {
    if (Descriptor < 0)
        return LastError ? false : Fail(EBADF);
    // A replaced file keeps its permissions.
    struct stat old {};
    if (::stat(QFile::encodeName(Target).constData(), &old) == 0)
        ::fchmod(Descriptor, old.st_mode & 07777);
    // A disk that fills while the data is flushed reports it here, not at the write.
    if (::fsync(Descriptor) != 0 && errno != EINVAL && errno != ENOTSUP) {
        Fail(errno);
        Discard();
        return false;
    }
    const int fd = Descriptor;
    Descriptor = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        Fail(errno);
        Discard();
        return false;
    }
    const QByteArray target = QFile::encodeName(Target);
    if (::rename(TempName.constData(), target.constData()) != 0) {
        Fail(errno);
        Discard();
        return false;
    }
    TempName.clear();
    Committed = true;
    SyncFolderOf(target);
    return true;
}

void TVerifiedFile::Discard() {
    if (Descriptor >= 0) {
        ::close(Descriptor);
        Descriptor = -1;
    }
    if (!TempName.isEmpty()) {
        ::unlink(TempName.constData());
        TempName.clear();
    }
}

QString FileErrorText(const TFileError& error, Language language) {
    int entry = 0;
    switch (error.Code) {
    case ENOSPC:
        entry = FileText::NoSpace;
        break;
    case EDQUOT:
        entry = FileText::QuotaFull;
        break;
    case EACCES:
    case EPERM:
        entry = FileText::NotAllowed;
        break;
    case EROFS:
        entry = FileText::ReadOnlyDisk;
        break;
    case EIO:
        entry = FileText::DiskError;
        break;
    case ENOENT:
    case ENOTDIR:
        entry = FileText::NoFolder;
        break;
    case ENAMETOOLONG:
        entry = FileText::NameTooLong;
        break;
    case EFBIG:
        entry = FileText::TooLarge;
        break;
    default:
        return error.Detail.isEmpty() ? QStringLiteral("?") : error.Detail;
    }
    return Text(TextTable::FileText, entry, language);
}

TFileError WriteFileVerified(const QString& path, const QByteArray& bytes) {
    TVerifiedFile file(path);
    if (file.Open() && file.Write(bytes) && file.Commit())
        return {};
    return file.Error();
}

} // namespace lumivox
