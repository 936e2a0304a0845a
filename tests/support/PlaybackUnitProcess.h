// Runs the simulated playback unit on a pseudo-terminal for a test and reads its change log.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <cstdint>
#include <vector>

namespace lumivox::test {

struct TLoggedChange {
    std::int64_t ArrivalNs = 0; // steady clock of the 0x1A's arrival
    int Output = 0;
    int Value = 0;
    friend bool operator==(const TLoggedChange& a, const TLoggedChange& b) {
        return a.Output == b.Output && a.Value == b.Value;
    }
};

class PlaybackUnitProcess {
public:
    explicit PlaybackUnitProcess(const QStringList& options = {}) {
        LogPath = Dir.filePath(QStringLiteral("unit.log"));
        Process.setProgram(QString::fromUtf8(LUMIVOX_UNIT_PATH));
        Process.setArguments(
            QStringList{QStringLiteral("--quiet"), QStringLiteral("--log"), LogPath} + options);
        Process.start();
        if (Process.waitForStarted(10000) && Process.waitForReadyRead(10000))
            Path = QString::fromLocal8Bit(Process.readLine()).trimmed();
    }
    ~PlaybackUnitProcess() {
        Process.terminate();
        if (!Process.waitForFinished(5000))
            Process.kill();
    }

    // The pseudo-terminal the editor opens; empty when the unit did not start.
    QString Path;

    // The rs232 changes logged so far, in arrival order.
    std::vector<TLoggedChange> Changes() const {
        std::vector<TLoggedChange> changes;
        QFile log(LogPath);
        if (!log.open(QIODevice::ReadOnly))
            return changes;
        while (!log.atEnd()) {
            const QList<QByteArray> fields = log.readLine().trimmed().split(' ');
            if (fields.size() == 5 && fields[2] == "rs232")
                changes.push_back({fields[0].toLongLong(), fields[3].toInt(), fields[4].toInt()});
        }
        return changes;
    }

private:
    QTemporaryDir Dir;
    QString LogPath;
    QProcess Process;
};

} // namespace lumivox::test
