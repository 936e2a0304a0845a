// Songs for the benchmarks, made once per run with sox and lame: a sweep over pink noise, so
// the encoder has real work in every band.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace lumivox::bench {

struct BenchSong {
    QTemporaryDir Dir;
    QString Mp3;
    QString Error; // empty when the song was made
};

inline bool RunTool(const QString& program, const QStringList& args, QString& error) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error = program + QStringLiteral(" failed: ") +
                QString::fromLocal8Bit(process.readAllStandardError()) + process.errorString();
        return false;
    }
    return true;
}

// Makes `seconds` of 44.1 kHz stereo into song.mp3 with the given lame options.
inline void MakeBenchSong(BenchSong& song, int seconds, const QStringList& lameOptions) {
    const QString wav = song.Dir.filePath(QStringLiteral("source.wav"));
    song.Mp3 = song.Dir.filePath(QStringLiteral("song.mp3"));
    const QString length = QString::number(seconds);
    if (RunTool(QStringLiteral("sox"),
                {"-q", "-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", length, "sine",
                 "110:3520", "synth", length, "pinknoise", "mix", "gain", "-9"},
                song.Error) &&
        RunTool(QStringLiteral("lame"),
                QStringList{"--quiet"} + lameOptions + QStringList{wav, song.Mp3}, song.Error))
        QFile::remove(wav);
}

} // namespace lumivox::bench
