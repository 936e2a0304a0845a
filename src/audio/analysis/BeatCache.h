// The beat cache: the beats, tempo and onsets found in a song, kept in a text file beside it
// (or in the per-user cache folder, by the waveform cache's rules) so that they are found once.
//
// The file, SONG.beats (SONG.mp3 gives SONG.beats; a song whose own name ends in .beats gets
// SONG.beats.beats, so the cache never takes the song's place), is UTF-8 text, one item a line:
//
//   LUMIVOX-BEATS 1            magic and format version
//   source SIZE MTIME          the song it was made from: bytes, modification time in ms since
//                              1970-01-01 UTC
//   tempo BPM                  beats per minute, 0 when none was found
//   beats N                    then N lines, one beat time in ms each, ascending
//   onsets M                   then M lines, one onset time in ms each, ascending
//   end
//
// A file whose source is not the song as it is now is stale; one that breaks any rule above
// (a missing line, a count that does not match, a number that does not parse, times out of
// order) is damaged. Either way it is never believed: the song is analysed again and the file
// replaced.
#pragma once

#include "audio/analysis/BeatAnalysis.h"
#include "audio/decode/WaveformCache.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <optional>

namespace lumivox {

inline constexpr char BeatFileMagic[] = "LUMIVOX-BEATS 1";

// The beat file beside `songPath`.
QString BeatFileFor(const QString& songPath);
// The beat file that goes with the peak file `peakPath` of `songPath`: in the peak file's
// folder, named after the song.
QString BeatFileBesidePeaks(const QString& peakPath, const QString& songPath);

// The song a beat file was made from.
struct TBeatSource {
    std::int64_t Size = -1;
    std::int64_t ModifiedMs = 0;
    bool operator==(const TBeatSource&) const = default;
};
// The song as it is now; empty when it does not exist.
std::optional<TBeatSource> BeatSourceOf(const QString& songPath);

struct TBeatFile {
    TBeatSource Source;
    TSongBeats Beats;
};
QByteArray FormatBeatFile(const TBeatFile& file);
// Empty when `text` breaks any rule of the format, or holds a tempo no song has (above
// 400 BPM, or none for a song with beats).
std::optional<TBeatFile> ParseBeatFile(const QByteArray& text);

// Writes the file through a temporary one, so it is either complete or untouched; creates its
// folder. False with `error` set on failure.
bool WriteBeatFile(const QString& path, const TBeatFile& file, QString* error = nullptr);
// The beats in `path` when it is a sound beat file made from `songPath` as it is now.
std::optional<TSongBeats> ReadCurrentBeatFile(const QString& path, const QString& songPath);

// The beats of the first current beat file among the places' candidates for `songPath`, and
// which file held them.
std::optional<TSongBeats> FindCachedBeats(const QString& songPath, const TCachePlaces& places,
                                          QString* foundIn = nullptr);

// How LoadOrFindBeats came by its beats.
enum class TBeatsOrigin { None, Cache, Analysed };
struct TSongBeatsResult {
    TBeatsOrigin Origin = TBeatsOrigin::None; // None: failed or stopped
    TSongBeats Beats;
    QString BeatFile; // the file read or written; empty when it could not be written
    QString Error;    // why nothing was found, or why the file could not be written
};
// The song's beats from a current cache, or found by decoding the song and written to a new
// cache (where the places say); used by the editor's worker and the command-line tool alike.
TSongBeatsResult LoadOrFindBeats(const QString& songPath, const TCachePlaces& places,
                                 const TProgress& progress = {},
                                 const std::atomic<bool>* cancel = nullptr);

} // namespace lumivox
