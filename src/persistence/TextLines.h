// Line-oriented text files: splitting bytes into lines ended by CR LF or a bare LF, decoding
// them as UTF-8 or, for files that are not valid UTF-8, as Windows-1252, and strict parsing
// of the decimal numbers they hold.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lumivox {

bool IsValidUtf8(const char* data, std::size_t size);

// How many threads, the caller's included, share a task of `bytes` bytes when each thread is
// worth `bytesPerThread` of it: at least one, at most four and no more than the cores.
unsigned ThreadsForBytes(std::size_t bytes, std::size_t bytesPerThread);
QString DecodeWindows1252(std::string_view bytes);

// The ways TextLineReader::ReadByteRun can go through a run of value lines, narrowest first:
// eight bytes at a time, or 64 with SSE2 or AVX-512 instructions. It takes the widest this
// processor has unless narrowed.
enum class ByteRunPath : std::uint8_t { Words, Sse2, Avx512 };
// Allows ReadByteRun no path wider than `widest` (so that tests and benchmarks can compare
// the paths on one machine), and returns the one it now takes.
ByteRunPath NarrowByteRunPath(ByteRunPath widest);

// A whole decimal number: an optional sign and at least one digit, nothing else, within
// the signed 32-bit range.
std::optional<std::int32_t> ParseDecimal(std::string_view text);

class TextLineReader {
public:
    // Keeps a reference to `bytes`, which must outlive the reader. The encoding is decided
    // once for the whole text, when a line that is not plain ASCII is first decoded (plain
    // ASCII reads the same either way, so a text of it is never checked).
    explicit TextLineReader(const QByteArray& bytes);
    // A reader of part of a text whose encoding is already known.
    TextLineReader(std::string_view bytes, bool utf8);

    bool AtEnd() const { return Position >= Size; }
    // The next line without its line end; empty view at the end of the text.
    std::string_view NextRaw();
    QString NextText();
    // 1-based number of the line last returned by NextRaw or NextText.
    int LineNumber() const { return Line; }
    bool IsUtf8() const;
    // The whole text, and the offset in it of the next line to read.
    std::string_view Whole() const { return {Data, Size}; }
    std::size_t Offset() const { return Position; }
    // Goes on reading at `offset` (a line's start, within the text). The lines skipped are
    // not counted: LineNumber goes on from the last line read.
    void SkipTo(std::size_t offset) { Position = offset < Size ? offset : Size; }
    QString Decode(std::string_view raw) const;

    enum class NumberLine { Number, NotANumber, End };
    // Reads the next line as a whole decimal number (see ParseDecimal), on a fast path for
    // the long runs of value lines. On NotANumber, `raw` (when given) receives the line.
    NumberLine NextNumber(std::int32_t& value, std::string_view* raw = nullptr);
    // Reads the run of number lines that starts here, up to the first line that is not a
    // whole decimal number (left unread) or the end of the text, and returns how many it
    // read. The first `capacity` of them go to `out` as their low byte, as a cast of
    // NextNumber's value gives; the others are only counted. A track's value block is one
    // such run, read 64 or eight bytes at a time (persistence/ValueRuns.h).
    std::size_t ReadByteRun(std::uint8_t* out, std::size_t capacity);

private:
    const char* Data;
    std::size_t Size;
    std::size_t Position = 0;
    int Line = 0;
    // Whether the whole text is UTF-8: decided on first need, copies keep what is known.
    enum class Encoding : std::uint8_t { Unknown, Utf8, Windows1252 };
    mutable Encoding Kind = Encoding::Unknown;
};

// Appends `text` as UTF-8 followed by CR LF.
void AppendLine(QByteArray& out, const QString& text);
void AppendLine(QByteArray& out, std::string_view text);
inline void AppendLine(QByteArray& out, const char* text) {
    AppendLine(out, std::string_view(text));
}

} // namespace lumivox
