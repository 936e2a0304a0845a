// Runs the simulated playback unit on a pseudo-terminal for a test and reads its change log.
#pragma once

#include "lumivox-unit/UnitLog.h"

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
    std::vector<TLoggedChange> Changes() const { return unit::ReadUnitLog(LogPath); }

private:
    QTemporaryDir Dir;
    QString LogPath;
    QProcess Process;
};

} // namespace lumivox::test
