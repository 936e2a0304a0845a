// A small disk of its own for a test: a tmpfs of a given size mounted on a new folder, which
// the test fills up to leave no space (or a few bytes) and so meets a full disk for real.
// Mounting needs the right to; where it is missing, Ready() is false and Why() says so.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace lumivox::test {

class SmallDisk {
public:
    explicit SmallDisk(std::int64_t bytes = 1 << 20) {
        if (!Root.isValid()) {
            Problem = QStringLiteral("no temporary folder");
            return;
        }
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1").arg(bytes), QStringLiteral("lumivox-test"),
                     Root.path()});
        if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0) {
            Problem = QStringLiteral("a tmpfs cannot be mounted here: ") +
                      QString::fromLocal8Bit(mount.readAllStandardError()).trimmed();
            return;
        }
        Mounted = true;
    }
    ~SmallDisk() {
        if (Mounted) {
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), Root.path()});
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Ready() const { return Mounted; }
    QString Why() const { return Problem; }
    QString Path(const QString& name) const { return QDir(Root.path()).filePath(name); }

    // Bytes a user may still write.
    std::int64_t FreeBytes() const {
        struct statvfs space {};
        if (::statvfs(QFile::encodeName(Root.path()).constData(), &space) != 0)
            return -1;
        return static_cast<std::int64_t>(space.f_bavail) *
               static_cast<std::int64_t>(space.f_frsize);
    }

    // Fills the disk with a file of its own until `leave` bytes are left free (rounded down to
    // the disk's blocks). True when the disk holds no more than that.
    bool Fill(std::int64_t leave = 0) {
        const QByteArray name = QFile::encodeName(Path(QStringLiteral(".filler")));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        std::int64_t total = 0;
        for (;;) {
            const ssize_t written = ::write(fd, block.constData(), block.size());
            if (written <= 0)
                break;
            total += written;
        }
        bool ok = true;
        if (leave > 0)
            ok = ::ftruncate(fd, total > leave ? total - leave : 0) == 0;
        ::close(fd);
        return ok && FreeBytes() <= leave;
    }
    // Removes what Fill wrote.
    void Free() { QFile::remove(Path(QStringLiteral(".filler"))); }

private:
    QTemporaryDir Root;
    bool Mounted = false;
    QString Problem;
};

} // namespace lumivox::test
