// Runs the simulated playback unit on a pseudo-terminal for a test and reads its change log.
#pragma once

#include "lumivox-unit/UnitLog.h"

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace lumivox::test {

using unit::TLoggedChange;

class PlaybackUnitProcess {
public:
    explicit PlaybackUnitProcess(const QStringList& options = {}) {
        LogPath = Dir.filePath(QStringLiteral("unit.log"));
        StatePath = Dir.filePath(QStringLiteral("unit.state"));
        Process.setProgram(QString::fromUtf8(LUMIVOX_UNIT_PATH));
        Process.setArguments(QStringList{QStringLiteral("--quiet"), QStringLiteral("--log"),
                                         LogPath, QStringLiteral("--state"), StatePath} +
                             options);
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
    std::vector<TLoggedChange> Changes() const { return unit::ReadUnitLog(LogPath); }

    // Stops the unit and returns the level of every output as it wrote them on exit; empty
    // when it wrote none.
    std::vector<int> FinalState() {
        Process.terminate();
        if (!Process.waitForFinished(5000))
            return {};
        std::vector<int> levels;
        QFile state(StatePath);
        if (!state.open(QIODevice::ReadOnly))
            return levels;
        while (!state.atEnd()) {
            const QList<QByteArray> fields = state.readLine().trimmed().split(' ');
            if (fields.size() == 2 && fields[0].toInt() == static_cast<int>(levels.size()))
                levels.push_back(fields[1].toInt());
        }
        return levels;
    }

private:
    QTemporaryDir Dir;
    QString LogPath;
    QString StatePath;
    QProcess Process;
};

} // namespace lumivox::test
