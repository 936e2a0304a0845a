// The WAV reader TWaveFileStream: checks the RIFF/WAVE header, walks the chunks to find the
// format and the sample data, and delivers bytes of the data chunk only.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace lumivox {

// Raised by the WAV reader; carries the text the general error report shows.
class EWaveStreamError : public std::runtime_error {
public:
    explicit EWaveStreamError(const QString& text)
        : std::runtime_error(text.toStdString()), Message(text) {}
    QString Text() const { return Message; }

private:
    QString Message;
};

// The fields of a "fmt " chunk this editor looks at (WAVEFORMATEX, little-endian).
struct TWaveFormat {
    std::uint16_t FormatTag = 0; // 1 = integer PCM
    std::uint16_t Channels = 0;
    std::uint32_t SamplesPerSec = 0;
    std::uint32_t AvgBytesPerSec = 0;
    std::uint16_t BlockAlign = 0;
    std::uint16_t BitsPerSample = 0;
};

class TWaveFileStream {
public:
    static inline const QString InvalidText = QStringLiteral("Wave is invalid");
    static inline const QString AlreadyOpenText = QStringLiteral("Stream has already been opened");
    static inline const QString NotOpenText = QStringLiteral("Stream not opend");

    TWaveFileStream() = default;
    TWaveFileStream(const TWaveFileStream&) = delete;
    TWaveFileStream& operator=(const TWaveFileStream&) = delete;

    // Opens `path` read-only and reads its chunk list. Raises "Wave is invalid" when the
    // file does not start with "RIFF", a length and "WAVE", "Stream has already been
    // opened" when a file is open already, and the system's reason when it cannot be read.
    // A data chunk that claims more bytes than the file holds is cut to what is there.
    void Open(const QString& path);
    void Close();
    bool IsOpen() const { return File.isOpen(); }

    // The "fmt " chunk as read (empty when the file has none) and its decoded fields.
    const QByteArray& FormatChunk() const { return Fmt; }
    TWaveFormat Format() const;

    // Where the sample data starts in the file and how many bytes it holds.
    std::int64_t DataStart() const { return Start; }
    std::int64_t DataLength() const { return Length; }

    // Position within the data chunk, 0..DataLength(); clamped.
    void SetPosition(std::int64_t position);
    std::int64_t Position() const { return Pos; }

    // Reads up to `count` bytes of sample data from the position, never past the data
    // chunk's end; returns the number read (0 at the end). Raises "Stream not opend" when
    // no file is open, and the system's reason on a read error.
    std::int64_t Read(char* buffer, std::int64_t count);

private:
    void ReadChunks();

    QFile File;
    QByteArray Fmt;
    std::int64_t Start = 0;
    std::int64_t Length = 0;
    std::int64_t Pos = 0;
    std::int64_t FilePos = -1; // where the file's read position stands, -1 unknown
};

} // namespace lumivox
