// Splitting, decoding and number parsing for the line-oriented text files.
#include "persistence/TextLines.h"

#include "persistence/ValueRuns.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

namespace lumivox {

namespace {

bool IsValidUtf8Run(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    constexpr std::uint64_t HighBits = 0x8080808080808080ULL;
    std::size_t i = 0;
    while (i < size) {
        // Plain ASCII goes 32 bytes at a time, then eight: project files are almost all
        // digits, and one test of four words' union keeps the loop at the memory's pace.
        if (i + 32 <= size) {
            std::uint64_t words[4];
            std::memcpy(words, bytes + i, sizeof words);
            if (((words[0] | words[1] | words[2] | words[3]) & HighBits) == 0) {
                i += 32;
                continue;
            }
        }
        if (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if ((word & HighBits) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length;
        std::uint32_t minimum;
        std::uint32_t code;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            minimum = 0x80;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            minimum = 0x800;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            minimum = 0x10000;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > size)
            return false;
        for (int k = 1; k < length; ++k) {
            const unsigned char next = bytes[i + static_cast<std::size_t>(k)];
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

} // namespace

unsigned ThreadsForBytes(std::size_t bytes, std::size_t bytesPerThread) {
    const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1u);
    const std::size_t worth = bytesPerThread == 0 ? 1 : bytes / bytesPerThread;
    return static_cast<unsigned>(
        std::clamp<std::size_t>(worth, 1, std::min<std::size_t>(cores, 4)));
}

bool IsValidUtf8(const char* data, std::size_t size) {
    // A big text is cut into parts right after line feeds, which no multi-byte sequence
    // holds, and the parts are checked on threads of their own: the text is valid when
    // every part is.
    const std::size_t parts = ThreadsForBytes(size, std::size_t{4} << 20);
    if (parts <= 1)
        return IsValidUtf8Run(data, size);
    std::vector<std::size_t> cuts{0};
    for (std::size_t p = 1; p < parts; ++p) {
        const std::size_t from = std::max(cuts.back(), size / parts * p);
        const auto* feed = static_cast<const char*>(std::memchr(data + from, '\n', size - from));
        if (feed == nullptr)
            break;
        cuts.push_back(static_cast<std::size_t>(feed - data) + 1);
    }
    cuts.push_back(size);
    std::vector<char> valid(cuts.size() - 1, 0);
    {
        std::vector<std::jthread> threads;
        for (std::size_t p = 1; p + 1 < cuts.size(); ++p)
            threads.emplace_back([&, p] {
                valid[p] = IsValidUtf8Run(data + cuts[p], cuts[p + 1] - cuts[p]) ? 1 : 0;
            });
        valid[0] = IsValidUtf8Run(data, cuts[1]) ? 1 : 0;
    }
    return std::ranges::all_of(valid, [](char v) { return v != 0; });
}

QString DecodeWindows1252(std::string_view bytes) {
    // 0x80..0x9F differ from Latin-1; 0 marks the five bytes Windows-1252 leaves undefined,
    // which are kept as the C1 control of the same number.
    static constexpr char16_t HighControls[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString text;
    text.resize(static_cast<qsizetype>(bytes.size()));
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        char16_t unit = byte;
        if (byte >= 0x80 && byte <= 0x9F && HighControls[byte - 0x80] != 0)
            unit = HighControls[byte - 0x80];
        out[i] = QChar(unit);
    }
    return text;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

TextLineReader::TextLineReader(const QByteArray& bytes)
    : Data(bytes.constData()), Size(static_cast<std::size_t>(bytes.size())) {}

TextLineReader::TextLineReader(std::string_view bytes, bool utf8)
    : Data(bytes.data()), Size(bytes.size()), Kind(utf8 ? Encoding::Utf8 : Encoding::Windows1252) {}

bool TextLineReader::IsUtf8() const {
    if (Kind == Encoding::Unknown)
        Kind = IsValidUtf8(Data, Size) ? Encoding::Utf8 : Encoding::Windows1252;
    return Kind == Encoding::Utf8;
}

std::string_view TextLineReader::NextRaw() {
    if (Position >= Size)
        return {};
    ++Line;
    const char* start = Data + Position;
    const auto* end = static_cast<const char*>(std::memchr(start, '\n', Size - Position));
    std::size_t length;
    if (end == nullptr) {
        length = Size - Position;
        Position = Size;
    } else {
        length = static_cast<std::size_t>(end - start);
        Position += length + 1;
    }
    if (length > 0 && start[length - 1] == '\r')
        --length;
    return {start, length};
}

TextLineReader::NumberLine TextLineReader::NextNumber(std::int32_t& value, std::string_view* raw) {
    if (Position >= Size)
        return NumberLine::End;
    // Fast path: sign, up to ten digits, then the line end or the end of the text.
    const char* start = Data + Position;
    const char* end = Data + Size;
    const char* p = start;
    bool negative = false;
    if (*p == '-' || *p == '+') {
        negative = *p == '-';
        ++p;
    }
    const char* digits = p;
    std::int64_t number = 0;
    while (p < end && p - digits < 11 && *p >= '0' && *p <= '9') {
        number = number * 10 + (*p - '0');
        ++p;
    }
    const bool haveDigits = p > digits && p - digits <= 10;
    std::size_t terminator = 0;
    bool atLineEnd = false;
    if (p == end) {
        atLineEnd = true;
    } else if (*p == '\n') {
        atLineEnd = true;
        terminator = 1;
    } else if (*p == '\r' && p + 1 < end && p[1] == '\n') {
        atLineEnd = true;
        terminator = 2;
    }
    if (negative)
        number = -number;
    if (haveDigits && atLineEnd && number <= std::numeric_limits<std::int32_t>::max() &&
        number >= std::numeric_limits<std::int32_t>::min()) {
        ++Line;
        Position = static_cast<std::size_t>(p - Data) + terminator;
        value = static_cast<std::int32_t>(number);
        return NumberLine::Number;
    }
    const std::string_view line = NextRaw();
    if (raw)
        *raw = line;
    return NumberLine::NotANumber;
}

std::size_t TextLineReader::ReadByteRun(std::uint8_t* out, std::size_t capacity) {
    std::size_t count = ReadValueBlocks(Data, Size, Position, Line, out, capacity);
    for (;;) {
        count = ReadValueWords(Data, Size, Position, Line, out, capacity, count);
        // Anything else (a sign, more digits, the text's last bytes) goes the general way;
        // a line that is not a number ends the run unread.
        const std::size_t start = Position;
        const int line = Line;
        std::int32_t value = 0;
        std::string_view raw;
        const NumberLine kind = NextNumber(value, &raw);
        if (kind != NumberLine::Number) {
            Position = start;
            Line = line;
            return count;
        }
        if (count < capacity)
            out[count] = static_cast<std::uint8_t>(value);
        ++count;
    }
}

QString TextLineReader::Decode(std::string_view raw) const {
    if (std::ranges::all_of(raw, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
    if (IsUtf8())
        return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
    return DecodeWindows1252(raw);
}

QString TextLineReader::NextText() {
    return Decode(NextRaw());
}

void AppendLine(QByteArray& out, const QString& text) {
    out.append(text.toUtf8());
    out.append("\r\n", 2);
}

void AppendLine(QByteArray& out, std::string_view text) {
    out.append(text.data(), static_cast<qsizetype>(text.size()));
    out.append("\r\n", 2);
}

} // namespace lumivox
