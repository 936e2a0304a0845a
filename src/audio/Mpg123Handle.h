// libmpg123 set-up shared by everything that decodes: the library's one-time initialisation
// and a handle that closes and frees itself.
#pragma once

#include <mpg123.h>

#include <QString>

#include <memory>
#include <mutex>

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

} // namespace lumivox
