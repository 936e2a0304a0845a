// The buffered file reader libmpg123 decodes from, and the song length from the Info tag.
#include "audio/decode/Mpg123Handle.h"

#include <QByteArray>
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

std::uint32_t BigEndian32(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (qsizetype k = at; k < at + 4; ++k)
        value = value << 8 | static_cast<std::uint8_t>(bytes[k]);
    return value;
}

// Where the first MPEG frame begins: after an ID3v2 tag (10 header bytes, a size in 7-bit
// groups and a footer of 10 more when flagged), or at the start.
qint64 FirstFrameOffset(QFile& file) {
    const QByteArray header = file.read(10);
    if (header.size() < 10 || !header.startsWith("ID3"))
        return 0;
    qint64 size = 0;
    for (int k = 6; k < 10; ++k)
        size = size << 7 | (static_cast<std::uint8_t>(header[k]) & 0x7f);
    const bool footer = (static_cast<std::uint8_t>(header[5]) & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

// Bytes of the MPEG stream from `start` to the end of the file, less an ID3v1 tag there.
qint64 StreamBytes(QFile& file, qint64 start) {
    qint64 end = file.size();
    if (end - start >= 128 && file.seek(end - 128) && file.read(3) == "TAG")
        end -= 128;
    return end - start;
}

} // namespace

std::optional<std::int64_t> TaggedFrameCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 start = FirstFrameOffset(file);
    if (!file.seek(start))
        return std::nullopt;
    // The frame header, the CRC, the largest side information and the tag's first fields.
    const QByteArray frame = file.read(4 + 2 + 32 + 16);
    if (frame.size() < 4)
        return std::nullopt;
    const auto b1 = static_cast<std::uint8_t>(frame[1]);
    const auto b3 = static_cast<std::uint8_t>(frame[3]);
    const bool sync = static_cast<std::uint8_t>(frame[0]) == 0xff && (b1 & 0xe0) == 0xe0;
    const int version = (b1 >> 3) & 3; // 3: MPEG 1; 2: MPEG 2; 0: MPEG 2.5
    const bool layer3 = ((b1 >> 1) & 3) == 1;
    if (!sync || !layer3 || version == 1)
        return std::nullopt;
    // The tag follows the frame's side information, whose size depends on version and mode.
    const bool mono = (b3 >> 6) == 3;
    const int sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const bool crc = (b1 & 1) == 0;
    const qsizetype tag = 4 + (crc ? 2 : 0) + sideInfo;
    if (frame.size() < tag + 16)
        return std::nullopt;
    const QByteArray name = frame.mid(tag, 4);
    if (name != "Xing" && name != "Info")
        return std::nullopt;
    // Both counts are needed: the frames for the length, the bytes to know they are this file's.
    constexpr std::uint32_t HasFrames = 1;
    constexpr std::uint32_t HasBytes = 2;
    if ((BigEndian32(frame, tag + 4) & (HasFrames | HasBytes)) != (HasFrames | HasBytes))
        return std::nullopt;
    const std::uint32_t frames = BigEndian32(frame, tag + 8);
    const std::uint32_t bytes = BigEndian32(frame, tag + 12);
    if (frames == 0 || static_cast<qint64>(bytes) != StreamBytes(file, start))
        return std::nullopt;
    return frames;
}

bool MakeLengthExact(mpg123_handle* handle, const QString& path) {
    const std::optional<std::int64_t> frames = TaggedFrameCount(path);
    // libmpg123 reads the tag's frame count too; when it took another, it counts the frames.
    if (frames && static_cast<std::int64_t>(mpg123_framelength(handle)) == *frames)
        return true;
    return mpg123_scan(handle) == MPG123_OK;
}

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
