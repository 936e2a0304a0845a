// The beat file: its name and places, its text, and finding a song's beats through it.
#include "audio/analysis/BeatCache.h"

#include "audio/analysis/SongBeatAnalysis.h"
#include "persistence/VerifiedFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cmath>

namespace lumivox {

namespace {

const QString BeatExtension = QStringLiteral(".beats");
// A beat file larger than this is no beat file: an hour of song holds some 30,000 times.
constexpr qint64 MaxBeatFileBytes = 64 * 1024 * 1024;
// The fastest tempo a beat file may hold, in beats per minute.
constexpr double MaxBeatFileTempo = 400;

QByteArray TimeText(double ms) {
    return QByteArray::number(ms, 'f', 1);
}

// Reads "KEY VALUE..." from `line` into `values`; false unless the key matches and every value
// is a number.
bool ReadFields(const QByteArray& line, const char* key, int count, QList<double>& values) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() != count + 1 || fields[0] != key)
        return false;
    values.clear();
    for (int i = 1; i <= count; ++i) {
        bool ok = false;
        const double value = fields[i].toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return false;
        values << value;
    }
    return true;
}

// Reads "KEY N" and the N ascending, non-negative times after it from `lines` at `at`.
bool ReadTimes(const QList<QByteArray>& lines, qsizetype& at, const char* key,
               std::vector<double>& times) {
    QList<double> header;
    if (at >= lines.size() || !ReadFields(lines[at++], key, 1, header))
        return false;
    const double count = header[0];
    if (count < 0 || count != std::floor(count) || count > static_cast<double>(lines.size() - at))
        return false;
    times.clear();
    times.reserve(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < static_cast<qsizetype>(count); ++i) {
        bool ok = false;
        const double ms = lines[at++].toDouble(&ok);
        if (!ok || !std::isfinite(ms) || ms < 0 || (!times.empty() && ms <= times.back()))
            return false;
        times.push_back(ms);
    }
    return true;
}

} // namespace

QString BeatFileFor(const QString& songPath) {
    const QString changed = ChangeFileExt(songPath, BeatExtension);
    return changed == songPath ? songPath + BeatExtension : changed;
}

QString BeatFileBesidePeaks(const QString& peakPath, const QString& songPath) {
    return QFileInfo(peakPath).absolutePath() + QLatin1Char('/') +
           QFileInfo(BeatFileFor(songPath)).fileName();
}

// The beat file follows the peak file: beside the song when its folder is writable, else in
// the same per-user folder, under the same name rules.
QString TCachePlaces::UserBeatFile(const QString& songPath) const {
    if (UserCacheFolder.isEmpty())
        return QString();
    return UserCacheFolderFor(songPath) + QLatin1Char('/') +
           QFileInfo(BeatFileFor(songPath)).fileName();
}

QString TCachePlaces::BeatFileForWriting(const QString& songPath) const {
    return BeatFileBesidePeaks(PeakFileForWriting(songPath), songPath);
}

QStringList TCachePlaces::BeatFileCandidates(const QString& songPath) const {
    QStringList candidates{BeatFileFor(songPath)};
    if (!UserCacheFolder.isEmpty())
        candidates << UserBeatFile(songPath);
    return candidates;
}

std::optional<TBeatSource> BeatSourceOf(const QString& songPath) {
    const QFileInfo info(songPath);
    if (!info.isFile())
        return std::nullopt;
    return TBeatSource{info.size(), info.lastModified().toMSecsSinceEpoch()};
}

QByteArray FormatBeatFile(const TBeatFile& file) {
    QByteArray text;
    const auto& beats = file.Beats;
    text.reserve(64 + 10 * static_cast<qsizetype>(beats.BeatsMs.size() + beats.OnsetsMs.size()));
    text += BeatFileMagic;
    text += "\nsource " + QByteArray::number(file.Source.Size) + ' ' +
            QByteArray::number(file.Source.ModifiedMs) + '\n';
    text += "tempo " + QByteArray::number(beats.TempoBpm, 'f', 3) + '\n';
    auto times = [&text](const char* key, const std::vector<double>& list) {
        text +=
            QByteArray(key) + ' ' + QByteArray::number(static_cast<qsizetype>(list.size())) + '\n';
        for (double ms : list)
            text += TimeText(ms) + '\n';
    };
    times("beats", beats.BeatsMs);
    times("onsets", beats.OnsetsMs);
    text += "end\n";
    return text;
}

std::optional<TBeatFile> ParseBeatFile(const QByteArray& text) {
    if (!text.endsWith('\n'))
        return std::nullopt;
    QList<QByteArray> lines = text.split('\n');
    lines.removeLast(); // what follows the last newline: nothing
    qsizetype at = 0;
    if (lines.isEmpty() || lines[at++] != BeatFileMagic)
        return std::nullopt;
    TBeatFile file;
    QList<double> values;
    if (at >= lines.size() || !ReadFields(lines[at++], "source", 2, values) || values[0] < 0)
        return std::nullopt;
    file.Source = {static_cast<std::int64_t>(values[0]), static_cast<std::int64_t>(values[1])};
    if (at >= lines.size() || !ReadFields(lines[at++], "tempo", 1, values) || values[0] < 0)
        return std::nullopt;
    file.Beats.TempoBpm = values[0];
    if (!ReadTimes(lines, at, "beats", file.Beats.BeatsMs) ||
        !ReadTimes(lines, at, "onsets", file.Beats.OnsetsMs))
        return std::nullopt;
    if (at != lines.size() - 1 || lines[at] != "end")
        return std::nullopt;
    // No music has a tempo past MaxBeatFileTempo, and a song with beats has a tempo: such a
    // file was damaged or written by something else, and the song is analysed again.
    const double tempo = file.Beats.TempoBpm;
    if (tempo > MaxBeatFileTempo || (tempo <= 0 && !file.Beats.BeatsMs.empty()))
        return std::nullopt;
    return file;
}

bool WriteBeatFile(const QString& path, const TBeatFile& file, QString* error) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("no folder");
        return false;
    }
    const QByteArray text = FormatBeatFile(file);
    const TFileError failure = WriteFileVerified(path, text);
    if (failure && error)
        *error = failure.Detail;
    return !failure;
}

std::optional<TSongBeats> ReadCurrentBeatFile(const QString& path, const QString& songPath) {
    const std::optional<TBeatSource> song = BeatSourceOf(songPath);
    QFile in(path);
    if (!song || path.isEmpty() || in.size() > MaxBeatFileBytes || !in.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::optional<TBeatFile> file = ParseBeatFile(in.readAll());
    if (!file || file->Source != *song)
        return std::nullopt;
    return std::move(file->Beats);
}

std::optional<TSongBeats> FindCachedBeats(const QString& songPath, const TCachePlaces& places,
                                          QString* foundIn) {
    for (const QString& candidate : places.BeatFileCandidates(songPath)) {
        if (auto beats = ReadCurrentBeatFile(candidate, songPath)) {
            if (foundIn)
                *foundIn = candidate;
            return beats;
        }
    }
    return std::nullopt;
}

TSongBeatsResult LoadOrFindBeats(const QString& songPath, const TCachePlaces& places,
                                 const TProgress& progress, const std::atomic<bool>* cancel) {
    TSongBeatsResult result;
    if (auto cached = FindCachedBeats(songPath, places, &result.BeatFile)) {
        result.Origin = TBeatsOrigin::Cache;
        result.Beats = std::move(*cached);
        return result;
    }
    // The song as it was before decoding, so a change made meanwhile makes the file stale.
    const std::optional<TBeatSource> source = BeatSourceOf(songPath);
    TBeatsResult found = AnalyseSong(songPath, progress, cancel, &result.Error);
    if (!source || !found.Complete)
        return result;
    result.Origin = TBeatsOrigin::Analysed;
    result.Beats = std::move(found.Beats);
    const QString path = places.BeatFileForWriting(songPath);
    if (WriteBeatFile(path, {*source, result.Beats}, &result.Error))
        result.BeatFile = path;
    return result;
}

} // namespace lumivox
