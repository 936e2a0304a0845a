// Running one of the project's programs as a user would, and what it left: its exit code and
// what it printed on each stream.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace lumivox::test {

struct ProgramRun {
    int Code = -1; // -1 when it crashed or did not end in time
    QString Out;
    QString Err;
};

inline ProgramRun RunProgram(const QString& program, const QStringList& args,
                             int timeoutMs = 120000) {
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(timeoutMs)) << program.toStdString();
    ProgramRun run;
    run.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.Err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// lumivox-cli with `args`.
inline ProgramRun Cli(const QStringList& args) {
    return RunProgram(QString::fromUtf8(LUMIVOX_CLI_PATH), args);
}

// A file's bytes; empty when it cannot be read.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace lumivox::test
