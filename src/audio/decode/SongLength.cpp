// Song measurement over libmpg123, with gapless decoding so the length excludes the
// encoder's delay and padding.
#include "audio/decode/SongLength.h"

#include "audio/decode/Mpg123Handle.h"
#include "core/TimeText.h"
#include "model/ProjectClasses.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <climits>

namespace lumivox {

std::optional<SongInfo> MeasureSong(const QString& path, QString* error) {
    InitialiseDecoderLibrary();
    auto fail = [error](const QString& text) -> std::optional<SongInfo> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    int status = MPG123_OK;
    Mpg123Handle handle(mpg123_new(nullptr, &status));
    if (!handle)
        return fail(QString::fromUtf8(mpg123_plain_strerror(status)));
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    if (!OpenMpg123File(handle.get(), path))
        return fail(QString::fromUtf8(mpg123_strerror(handle.get())));
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        !MakeLengthExact(handle.get(), path))
        return fail(QString::fromUtf8(mpg123_strerror(handle.get())));
    const off_t samples = mpg123_length(handle.get());
    if (samples < 0)
        return fail(QString::fromUtf8(mpg123_strerror(handle.get())));
    SongInfo info;
    info.Rate = rate;
    info.Channels = channels;
    info.Samples = static_cast<std::int64_t>(samples);
    info.LengthMs = info.Samples * 1000 / rate;
    return info;
}

bool SongDecodes(const QString& path) {
    InitialiseDecoderLibrary();
    int status = MPG123_OK;
    Mpg123Handle handle(mpg123_new(nullptr, &status));
    if (!handle)
        return false;
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_QUIET, 0.0);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    return OpenMpg123File(handle.get(), path) &&
           mpg123_getformat(handle.get(), &rate, &channels, &encoding) == MPG123_OK && rate > 0;
}

int SlotCountForLength(std::int64_t lengthMs) {
    return static_cast<int>(std::clamp<std::int64_t>(lengthMs / 100 + 1, 0, INT_MAX));
}

std::int64_t LongestSongMs() {
    return std::int64_t{MaxSlotCount} * 100 - 1;
}

QString SongTooLongMessage(const QString& path, std::int64_t lengthMs, Language language) {
    if (lengthMs <= LongestSongMs())
        return {};
    return Text(TextTable::FileText, FileText::SongTooLong, language)
        .arg(QDir::toNativeSeparators(path), FormatShowTime(lengthMs),
             FormatShowTime(LongestSongMs()));
}

} // namespace lumivox
