// A whole song decoded with libmpg123 alone, in the player's format (gapless, 16-bit stereo at
// the song's rate, mono duplicated): what playback is compared with.
#pragma once

#include "audio/decode/SongLength.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <mpg123.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace lumivox::test {

inline std::vector<std::int16_t> DecodeWholeSong(const QString& path) {
    std::vector<std::int16_t> samples;
    const std::optional<SongInfo> info = MeasureSong(path);
    if (!info)
        return samples;
    int status = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &status);
    mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0.0);
    mpg123_format_none(handle);
    mpg123_format(handle, info->Rate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    const QByteArray name = QFile::encodeName(path);
    if (mpg123_open(handle, name.constData()) == MPG123_OK) {
        std::vector<std::int16_t> buffer(8192);
        for (;;) {
            std::size_t bytes = 0;
            status = mpg123_read(handle, reinterpret_cast<unsigned char*>(buffer.data()),
                                 buffer.size() * sizeof(std::int16_t), &bytes);
            samples.insert(samples.end(), buffer.begin(),
                           buffer.begin() + static_cast<std::ptrdiff_t>(bytes / 2));
            if (status != MPG123_OK && status != MPG123_NEW_FORMAT)
                break;
        }
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return samples;
}

} // namespace lumivox::test
