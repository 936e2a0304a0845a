// The WAV reader: header check, chunk walking and bounded reads of the sample data.
#include "audio/decode/WaveFile.h"

#include <QtEndian>

#include <algorithm>

namespace lumivox {

namespace {

constexpr std::int64_t RiffHeaderBytes = 12;
constexpr std::int64_t ChunkHeaderBytes = 8;
// A format chunk is a few dozen bytes; more than this is a damaged length, not a format.
constexpr std::int64_t MaxFormatBytes = 64 * 1024;

std::uint16_t Le16(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + offset);
}

std::uint32_t Le32(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + offset);
}

} // namespace

void TWaveFileStream::Open(const QString& path) {
    if (File.isOpen())
        throw EWaveStreamError(AlreadyOpenText);
    File.setFileName(path);
    if (!File.open(QIODevice::ReadOnly))
        throw EWaveStreamError(QStringLiteral("%1: %2").arg(path, File.errorString()));
    Fmt.clear();
    Start = 0;
    Length = 0;
    Pos = 0;
    FilePos = -1;
    try {
        const QByteArray header = File.read(RiffHeaderBytes);
        if (header.size() != RiffHeaderBytes || !header.startsWith("RIFF") ||
            header.mid(8, 4) != "WAVE")
            throw EWaveStreamError(InvalidText);
        ReadChunks();
    } catch (...) {
        Close();
        throw;
    }
}

void TWaveFileStream::ReadChunks() {
    const std::int64_t fileSize = File.size();
    std::int64_t position = RiffHeaderBytes;
    while (position + ChunkHeaderBytes <= fileSize && File.seek(position)) {
        const QByteArray header = File.read(ChunkHeaderBytes);
        if (header.size() != ChunkHeaderBytes)
            break;
        // An identifier of four zero bytes ends the list, as the end of the file does.
        if (Le32(header, 0) == 0)
            break;
        const QByteArray id = header.left(4);
        const std::int64_t length = Le32(header, 4);
        const std::int64_t body = position + ChunkHeaderBytes;
        const std::int64_t present = std::max<std::int64_t>(0, fileSize - body);
        if (id == "fmt ") {
            Fmt = File.read(std::min({length, present, MaxFormatBytes}));
        } else if (id == "data") {
            Start = body;
            Length = std::min(length, present);
        }
        // Chunks follow one another without padding after odd lengths.
        position = body + length;
    }
}

void TWaveFileStream::Close() {
    File.close();
    Fmt.clear();
    Start = 0;
    Length = 0;
    Pos = 0;
    FilePos = -1;
}

TWaveFormat TWaveFileStream::Format() const {
    TWaveFormat format;
    if (Fmt.size() < 16)
        return format;
    format.FormatTag = Le16(Fmt, 0);
    format.Channels = Le16(Fmt, 2);
    format.SamplesPerSec = Le32(Fmt, 4);
    format.AvgBytesPerSec = Le32(Fmt, 8);
    format.BlockAlign = Le16(Fmt, 12);
    format.BitsPerSample = Le16(Fmt, 14);
    return format;
}

void TWaveFileStream::SetPosition(std::int64_t position) {
    Pos = std::clamp<std::int64_t>(position, 0, Length);
}

std::int64_t TWaveFileStream::Read(char* buffer, std::int64_t count) {
    if (!File.isOpen())
        throw EWaveStreamError(NotOpenText);
    const std::int64_t wanted = std::min(std::max<std::int64_t>(count, 0), Length - Pos);
    if (wanted <= 0)
        return 0;
    if (FilePos != Start + Pos) {
        if (!File.seek(Start + Pos))
            throw EWaveStreamError(File.errorString());
        FilePos = Start + Pos;
    }
    const std::int64_t got = File.read(buffer, wanted);
    if (got < 0) {
        FilePos = -1;
        throw EWaveStreamError(File.errorString());
    }
    Pos += got;
    FilePos += got;
    return got;
}

} // namespace lumivox
