// Measuring a song with libmpg123: sample rate, channels and the exact (gapless) length.
// The project reader, the import and the player all take a song's length from here, so the
// slot count never differs between them.
#pragma once

#include "core/LanguageTables.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace lumivox {

struct SongInfo {
    long Rate = 0; // samples per second
    int Channels = 0;
    std::int64_t Samples = 0;  // sample frames, encoder delay and padding removed
    std::int64_t LengthMs = 0; // Samples * 1000 / Rate
};

// Opens the song and takes its length from the encoder's Info tag, or, for a file without one
// that matches it, from a scan of the whole stream. Empty when the file cannot be opened or holds
// no MPEG audio; `error` then receives the decoder's text.
std::optional<SongInfo> MeasureSong(const QString& path, QString* error = nullptr);

// True when the file opens and its first frame is MPEG audio: a quick check, without the scan
// of the whole stream MeasureSong makes.
bool SongDecodes(const QString& path);

// Number of 100 ms slots a song of `lengthMs` gives: length div 100 + 1.
int SlotCountForLength(std::int64_t lengthMs);

// The longest song a show can hold: one whose slot count is MaxSlotCount.
std::int64_t LongestSongMs();
// The message refusing the song at `path`, `lengthMs` long, as longer than a show can hold;
// empty when it fits.
QString SongTooLongMessage(const QString& path, std::int64_t lengthMs, Language language);

} // namespace lumivox
