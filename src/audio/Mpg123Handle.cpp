// The buffered file reader libmpg123 decodes from.
#include "audio/Mpg123Handle.h"

#include <QFile>

#include <cstdio>

namespace lumivox {

namespace {

// Big enough that a scan of the whole song makes few system calls.
constexpr std::size_t ReaderBuffer = std::size_t{1} << 20;

mpg123_ssize_t ReadFile(void* file, void* buffer, std::size_t bytes) {
    auto* stream = static_cast<std::FILE*>(file);
    const std::size_t got = std::fread(buffer, 1, bytes, stream);
    if (got == 0 && std::ferror(stream))
        return -1;
    return static_cast<mpg123_ssize_t>(got);
}

off_t SeekFile(void* file, off_t offset, int whence) {
    auto* stream = static_cast<std::FILE*>(file);
    if (fseeko(stream, offset, whence) != 0)
        return -1;
    return ftello(stream);
}

void CloseFile(void* file) {
    std::fclose(static_cast<std::FILE*>(file));
}

} // namespace

bool OpenMpg123File(mpg123_handle* handle, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    std::FILE* file = std::fopen(name.constData(), "rb");
    if (!file)
        return false;
    std::setvbuf(file, nullptr, _IOFBF, ReaderBuffer);
    if (mpg123_replace_reader_handle(handle, ReadFile, SeekFile, CloseFile) != MPG123_OK) {
        std::fclose(file);
        return false;
    }
    // From here on the handle owns the file: closing the handle closes it.
    return mpg123_open_handle(handle, file) == MPG123_OK;
}

} // namespace lumivox
