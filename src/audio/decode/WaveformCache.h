// The song's waveform cache: the date file (.nfo), the peak file (.pks) built from a decoded
// WAV file, the peak data WavePeaks loaded from it, and where those files live.
#pragma once

#include "core/PeakScale.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QIODevice;

namespace lumivox {

class TWaveFileStream;

// One (left, right) pair of the waveform data: a peak file holds signed bytes, and an hour's
// song has three million pairs.
using TPeakPair = std::pair<std::int8_t, std::int8_t>;
// The loaded waveform: three pairs per peak record, in this order: end, maximum, minimum.
using TWavePeaks = std::vector<TPeakPair>;

inline constexpr int PeakBlockBytes = 512; // bytes of 16-bit stereo data per record
inline constexpr int PeakRecordBytes = 6;
inline constexpr int DateFileBytes = 8;

// Number of peak records in `peaks`.
inline std::int64_t PeakRecordCount(const TWavePeaks& peaks) {
    return static_cast<std::int64_t>(peaks.size()) / PairsPerRecord;
}

// `path` with its extension (the part after the file name's last dot) replaced by `ext`,
// which includes the dot; appended when the name has no extension.
QString ChangeFileExt(const QString& path, const QString& ext);
inline QString PeakFileFor(const QString& songPath) {
    return ChangeFileExt(songPath, QStringLiteral(".pks"));
}
inline QString DateFileFor(const QString& peakPath) {
    return ChangeFileExt(peakPath, QStringLiteral(".nfo"));
}

// ---- Date file -------------------------------------------------------------------------

// A local date-time as days since 30 December 1899 with the time of day as the fraction, at
// two-second resolution (odd seconds and milliseconds are dropped).
double DateTimeValue(const QDateTime& local);
// The file's local modification time as above; empty when the file does not exist.
std::optional<double> FileDateValue(const QString& path);
// The 8-byte date of a date file; empty unless the file holds exactly 8 bytes.
std::optional<double> ReadDateFile(const QString& path);
// Writes the 8 bytes (a little-endian IEEE-754 double) through a temporary file, so the
// file is either complete or untouched. False with `error` set on failure.
bool WriteDateFile(const QString& path, double value, QString* error = nullptr);

// True when both files of a cache exist, the peak file holds whole records and the date
// file's date equals the song's current modification date.
bool CacheIsCurrent(const QString& peakPath, const QString& songPath);

// ---- Peak file -------------------------------------------------------------------------

// One 6-byte record: minimum and maximum of each channel over a block, then the two end
// values, which are always 0.
struct TPeakRecord {
    std::int8_t LeftMin = 0;
    std::int8_t LeftMax = 0;
    std::int8_t RightMin = 0;
    std::int8_t RightMax = 0;
    std::int8_t LeftEnd = 0;
    std::int8_t RightEnd = 0;
};

// Progress of a long step: (done, total); return false to stop it.
using TProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Reduces one 16-bit sample to the signed 8-bit value a peak record holds: its high byte.
inline std::int8_t PeakValue(std::int16_t sample) {
    return static_cast<std::int8_t>(sample >> 8);
}

// Minimum and maximum per channel of one block of 16-bit stereo frames, both starting at 0.
TPeakRecord PeakOfBlock(const char* block, int bytes);

// Writes the peak records of the open 16-bit stereo WAV `wave` to `out`: one record per
// 512 bytes of data and one more, (data length / 512) + 1 in all; a short or empty read at
// the end reuses the rest of the block before it. Raises EWaveStreamError when the format is
// not 16-bit stereo PCM or a read fails. Returns the number of records written, or -1 when
// `progress` stopped it or `out` refused a write.
std::int64_t BuildPeakFile(TWaveFileStream& wave, QIODevice& out, const TProgress& progress = {});

// Reads the peak file into `peaks` (emptied first): three pairs per whole record, sign-
// extended. Returns false, leaving `peaks` as it was, when the file does not exist or
// cannot be read.
bool LoadPeakFile(const QString& path, TWavePeaks& peaks, const TProgress& progress = {});

// ---- Places ----------------------------------------------------------------------------

// Where the cache and the temporary WAV file go. The cache lives beside the song when its
// folder is writable and in the per-user cache folder otherwise, under a folder named after
// the song's folder so that songs of the same name in different folders never share a
// cache; the file names are the same in both places. The temporary WAV goes into the
// program's folder, or the per-user cache folder when that is not writable.
struct TCachePlaces {
    QString UserCacheFolder; // per-user cache root; empty disables the fallback
    QString ProgramFolder;   // the executable's folder
    std::function<bool(const QString& folder)> IsWritable;

    // The executable's folder, QStandardPaths' cache folder and a real write probe.
    static TCachePlaces Default();

    // The peak file in the per-user cache folder for `songPath`.
    QString UserPeakFile(const QString& songPath) const;
    // Where a new cache for `songPath` is written.
    QString PeakFileForWriting(const QString& songPath) const;
    // Where an existing cache for `songPath` may be found, beside the song first.
    QStringList PeakFileCandidates(const QString& songPath) const;
    // The same three for the song's beat file, which goes wherever its peak file goes.
    QString UserBeatFile(const QString& songPath) const;
    QString BeatFileForWriting(const QString& songPath) const;
    QStringList BeatFileCandidates(const QString& songPath) const;
    // The folder of the per-user cache for songs in the folder of `songPath`.
    QString UserCacheFolderFor(const QString& songPath) const;
    // The folder for temporary WAV files: the program's folder when writable, else the
    // per-user cache folder, else the system's temporary folder.
    QString TempFolder() const;
};

// True when a file can really be created in `folder` (creates and removes a probe file).
bool FolderIsWritable(const QString& folder);

} // namespace lumivox
