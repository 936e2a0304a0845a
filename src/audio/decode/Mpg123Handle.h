// libmpg123 set-up shared by everything that decodes: the library's one-time initialisation
// and a handle that closes and frees itself.
#pragma once

#include <mpg123.h>

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace lumivox {

inline void InitialiseDecoderLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
#if MPG123_API_VERSION < 46
        mpg123_init();
#endif
    });
}

struct Mpg123HandleDeleter {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};

using Mpg123Handle = std::unique_ptr<mpg123_handle, Mpg123HandleDeleter>;

// Opens `path` on `handle` through a buffered reader of our own. Left to itself, libmpg123
// reads a file a few bytes at a time: scanning an hour-long song for its exact length took
// some 275,000 reads and five times as long. The file is closed with the handle.
bool OpenMpg123File(mpg123_handle* handle, const QString& path);

// The number of MPEG frames the Info or Xing tag in the first frame of `path` gives, when the
// tag also gives the stream's byte count and that count is the file's own (less its ID3
// tags): a file cut short or appended to since it was encoded gives none. Empty too for a
// file without such a tag.
std::optional<std::int64_t> TaggedFrameCount(const QString& path);

// Makes mpg123_length exact on `handle`, opened on `path` with its format read. With a
// trustworthy tag (TaggedFrameCount) libmpg123 knows the frame count already and nothing is
// read; otherwise the whole stream is scanned, a few bytes per frame, which takes a hundred
// thousand reads for an hour-long song. Either way the length is the same number of samples.
// False when the scan fails.
bool MakeLengthExact(mpg123_handle* handle, const QString& path);

} // namespace lumivox
