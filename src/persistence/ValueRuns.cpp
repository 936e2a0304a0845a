// The fast paths through a run of value lines: 64-byte blocks with SSE2 or AVX-512
// instructions where the processor has them, and eight bytes at a time.
#include "persistence/ValueRuns.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LUMIVOX_AVX512_VALUE_BLOCKS 1
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>

namespace lumivox {

namespace {
// For the eight bytes of `word` (the first in its lowest byte): the index of the first that
// is not an ASCII digit, 8 when all are.
inline int FirstNonDigit(std::uint64_t word) {
    constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr std::uint64_t High = 0x8080808080808080ULL;
    // A digit's byte becomes 0..9 here; any other byte 10..255. The high bit of the sum
    // (taken over the low seven bits, so no byte carries into the next) is set for 10..127,
    // the byte's own high bit for 128..255.
    const std::uint64_t offset = word ^ 0x3030303030303030ULL;
    const std::uint64_t nonDigit = (((offset & Low7) + 0x7676767676767676ULL) | offset) & High;
    return nonDigit == 0 ? 8 : std::countr_zero(nonDigit) / 8;
}

// For the eight bytes of `word`: the high bit of each byte that is a line feed, the others 0.
inline std::uint64_t NewlineBytes(std::uint64_t word) {
    constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
    // A line feed's byte becomes 0 here; adding 0x7F to the low seven bits sets the high
    // bit of every other byte (with the byte's own high bit), without carries between bytes.
    const std::uint64_t offset = word ^ 0x0A0A0A0A0A0A0A0AULL;
    return ~(((offset & Low7) + Low7) | offset) & ~Low7;
}

// For a 64-byte block of a run of value lines, given which of its bytes (one bit a byte, the
// first in bit 0) are digits, CRs and LFs and the same of the block before: a bit for each
// byte at which the block stops being lines of one to three digits ended by CR LF or LF.
inline std::uint64_t ValueBlockFaults(std::uint64_t digits, std::uint64_t returns,
                                      std::uint64_t feeds, std::uint64_t digitsBefore,
                                      std::uint64_t returnsBefore) {
    // Each class shifted by one (two, three) bytes: bit i tells of byte i - 1.
    const std::uint64_t digit1 = digits << 1 | digitsBefore >> 63;
    const std::uint64_t digit2 = digits << 2 | digitsBefore >> 62;
    const std::uint64_t digit3 = digits << 3 | digitsBefore >> 61;
    const std::uint64_t return1 = returns << 1 | returnsBefore >> 63;
    return ~(digits | returns | feeds) |        // another byte
           (feeds & ~(digit1 | return1)) |      // a line end after no digit
           (returns & ~digit1) |                // a CR after no digit
           (return1 & ~feeds) |                 // a CR not before its LF
           (digits & digit1 & digit2 & digit3); // four digits in a row
}

#if defined(__SSE2__)
// One 64-byte block of a run of value lines, one bit a byte (the first in bit 0): which bytes
// are ASCII digits, carriage returns and line feeds; and for each byte, the low byte of the
// number that ends there when it is a line's last digit (with the digits before it on its
// line, at most two, read from this block or the one before).
struct TValueBlock {
    std::uint64_t Digits = 0;
    std::uint64_t Returns = 0;
    std::uint64_t Feeds = 0;
};

class TValueBlockReader {
public:
    // Classifies the 64 bytes at `p`, which follow those of the last call (or start a run),
    // and writes their numbers to Numbers()[16 .. 79]; Numbers()[0 .. 15] keep the last
    // sixteen of the block before.
    TValueBlock Read(const char* p) {
        TValueBlock block;
        const __m128i zero = _mm_set1_epi8('0');
        const __m128i nine = _mm_set1_epi8(9);
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        std::memcpy(Values.data(), Values.data() + 64, 16);
        for (int part = 0; part < 4; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            // A digit's byte less '0' is 0..9, unsigned; every other byte's is above 9.
            const __m128i offset = _mm_sub_epi8(bytes, zero);
            const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(offset, nine), offset);
            const __m128i digit = _mm_and_si128(offset, isDigit);
            // The digit one and two bytes before each byte, across the chunk before; the one
            // two before counts only when the one between is a digit too (else it is
            // another line's). Arithmetic on bytes is modulo 256, as the stored byte is.
            const __m128i digit1 =
                _mm_or_si128(_mm_slli_si128(digit, 1), _mm_srli_si128(Digit, 15));
            const __m128i isDigit1 =
                _mm_or_si128(_mm_slli_si128(isDigit, 1), _mm_srli_si128(IsDigit, 15));
            const __m128i digit2 = _mm_and_si128(
                _mm_or_si128(_mm_slli_si128(digit, 2), _mm_srli_si128(Digit, 14)), isDigit1);
            const __m128i tens = _mm_add_epi8(Times10(digit2), digit1);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(Values.data() + 16 + 16 * part),
                             _mm_add_epi8(Times10(tens), digit));
            Digit = digit;
            IsDigit = isDigit;
            const int shift = 16 * part;
            block.Digits |= Bits(isDigit) << shift;
            block.Returns |= Bits(_mm_cmpeq_epi8(bytes, cr)) << shift;
            block.Feeds |= Bits(_mm_cmpeq_epi8(bytes, lf)) << shift;
        }
        return block;
    }
    const std::uint8_t* Numbers() const { return Values.data(); }

private:
    static __m128i Times10(__m128i x) {
        const __m128i twice = _mm_add_epi8(x, x);
        const __m128i four = _mm_add_epi8(twice, twice);
        return _mm_add_epi8(_mm_add_epi8(four, four), twice);
    }
    static std::uint64_t Bits(__m128i mask) {
        return static_cast<std::uint16_t>(_mm_movemask_epi8(mask));
    }

    __m128i Digit = _mm_setzero_si128();   // the last chunk's digits
    __m128i IsDigit = _mm_setzero_si128(); // and which of its bytes were digits
    std::array<std::uint8_t, 80> Values{};
};

// Reads 64 bytes at a time from `position` (a line's start) as ReadByteRun's first step, each
// block checked as a whole to hold nothing but lines of one to three digits ended by CR LF or
// LF, its numbers worked out for all its bytes at once and each line's taken at its end. A
// block holding anything else is left to the paths after this one from the start of the line
// it begins in: `position` and `line` are left there. Returns the lines read; the first
// `capacity` of them went to `out`.
std::size_t ReadValueBlocksSse2(const char* const data, const std::size_t size,
                                std::size_t& position, int& lineNumber, std::uint8_t* out,
                                std::size_t capacity) {
    std::size_t count = 0;
    // The bits carried from the block before tell how it ended; the first starts a line.
    std::size_t lineStart = position;
    std::size_t base = position;
    int line = lineNumber;
    TValueBlockReader reader;
    std::uint64_t digitsBefore = 0;
    std::uint64_t returnsBefore = 0;
    while (base + 64 <= size) {
        const TValueBlock c = reader.Read(data + base);
        if (ValueBlockFaults(c.Digits, c.Returns, c.Feeds, digitsBefore, returnsBefore) != 0)
            break;
        const std::uint64_t return1 = c.Returns << 1 | returnsBefore >> 63;
        // A line's number sits at its last digit: one byte before its LF, two with a CR.
        const std::uint8_t* numbers = reader.Numbers() + 15;
        std::size_t k = count;
        if (count + 64 <= capacity) {
            for (std::uint64_t ends = c.Feeds; ends != 0; ends &= ends - 1) {
                const auto at = static_cast<unsigned>(std::countr_zero(ends));
                out[k++] = numbers[at - (return1 >> at & 1)];
            }
        } else {
            for (std::uint64_t ends = c.Feeds; ends != 0; ends &= ends - 1) {
                const auto at = static_cast<unsigned>(std::countr_zero(ends));
                if (k < capacity)
                    out[k] = numbers[at - (return1 >> at & 1)];
                ++k;
            }
        }
        line += static_cast<int>(k - count);
        count = k;
        if (c.Feeds != 0) {
            lineStart = base + 64 - static_cast<std::size_t>(std::countl_zero(c.Feeds));
        }
        digitsBefore = c.Digits;
        returnsBefore = c.Returns;
        base += 64;
    }
    position = lineStart;
    lineNumber = line;
    return count;
}
#endif

#if defined(LUMIVOX_AVX512_VALUE_BLOCKS)
// Byte indices into the 128 bytes of the block before followed by this one, for
// _mm512_permutex2var_epi8: byte i of the result is byte i - 1 (i - 2) of this block, the
// block before's last bytes at the start.
constexpr std::array<std::uint8_t, 64> BytesBack(int back) {
    std::array<std::uint8_t, 64> index{};
    for (int i = 0; i < 64; ++i)
        index[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(64 + i - back);
    return index;
}
alignas(64) constexpr std::array<std::uint8_t, 64> OneByteBack = BytesBack(1);
alignas(64) constexpr std::array<std::uint8_t, 64> TwoBytesBack = BytesBack(2);

#define LUMIVOX_AVX512_TARGET                                                                      \
    __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt")))

// Ten times each byte, modulo 256.
LUMIVOX_AVX512_TARGET inline __m512i Times10(__m512i x) {
    const __m512i twice = _mm512_add_epi8(x, x);
    const __m512i four = _mm512_add_epi8(twice, twice);
    return _mm512_add_epi8(_mm512_add_epi8(four, four), twice);
}

// ReadValueBlocksSse2 in a wider form: a block's bytes are classified in one step, and the
// number at each line's LF (its last digit's, one or two bytes back) is packed into `out` by
// one compress instruction instead of a step per line.
LUMIVOX_AVX512_TARGET std::size_t ReadValueBlocksAvx512(const char* const data,
                                                        const std::size_t size,
                                                        std::size_t& position, int& lineNumber,
                                                        std::uint8_t* out, std::size_t capacity) {
    const __m512i zero = _mm512_set1_epi8('0');
    const __m512i nine = _mm512_set1_epi8(9);
    const __m512i cr = _mm512_set1_epi8('\r');
    const __m512i lf = _mm512_set1_epi8('\n');
    const __m512i oneBack = _mm512_load_si512(OneByteBack.data());
    const __m512i twoBack = _mm512_load_si512(TwoBytesBack.data());
    std::size_t count = 0;
    // What is carried from the block before; the first starts a line.
    std::size_t lineStart = position;
    std::size_t base = position;
    int line = lineNumber;
    std::uint64_t digitsBefore = 0;
    std::uint64_t returnsBefore = 0;
    __m512i digitBefore = _mm512_setzero_si512();
    __m512i numberBefore = _mm512_setzero_si512();
    while (base + 64 <= size) {
        const __m512i bytes = _mm512_loadu_si512(data + base);
        // A digit's byte less '0' is 0..9, unsigned; every other byte's is above 9.
        const __m512i offset = _mm512_sub_epi8(bytes, zero);
        const std::uint64_t digits = _mm512_cmple_epu8_mask(offset, nine);
        const std::uint64_t returns = _mm512_cmpeq_epi8_mask(bytes, cr);
        const std::uint64_t feeds = _mm512_cmpeq_epi8_mask(bytes, lf);
        if (ValueBlockFaults(digits, returns, feeds, digitsBefore, returnsBefore) != 0)
            break;
        const std::uint64_t digit1 = digits << 1 | digitsBefore >> 63;
        const std::uint64_t return1 = returns << 1 | returnsBefore >> 63;
        // Each byte's number as the last digit of its line, modulo 256 as the stored byte
        // is: its digit, the one before it and, when that is a digit too, the one before that.
        const __m512i digit = _mm512_maskz_mov_epi8(digits, offset);
        const __m512i tens = _mm512_permutex2var_epi8(digitBefore, oneBack, digit);
        const __m512i hundreds =
            _mm512_maskz_mov_epi8(digit1, _mm512_permutex2var_epi8(digitBefore, twoBack, digit));
        const __m512i number =
            _mm512_add_epi8(Times10(_mm512_add_epi8(Times10(hundreds), tens)), digit);
        // At each LF, the number one byte back, two after a CR; packed in line order.
        const __m512i atFeed =
            _mm512_mask_blend_epi8(return1, _mm512_permutex2var_epi8(numberBefore, oneBack, number),
                                   _mm512_permutex2var_epi8(numberBefore, twoBack, number));
        const __m512i values = _mm512_maskz_compress_epi8(feeds, atFeed);
        const auto found = static_cast<std::size_t>(std::popcount(feeds));
        if (count + 64 <= capacity) {
            _mm512_storeu_si512(out + count, values);
        } else if (count < capacity) {
            alignas(64) std::array<std::uint8_t, 64> packed;
            _mm512_store_si512(packed.data(), values);
            std::memcpy(out + count, packed.data(), std::min(found, capacity - count));
        }
        count += found;
        line += static_cast<int>(found);
        if (feeds != 0)
            lineStart = base + 64 - static_cast<std::size_t>(std::countl_zero(feeds));
        digitsBefore = digits;
        returnsBefore = returns;
        digitBefore = digit;
        numberBefore = number;
        base += 64;
    }
    position = lineStart;
    lineNumber = line;
    return count;
}
#endif

// The widest path this processor has, and the widest allowed (all, unless narrowed).
ByteRunPath WidestOnThisProcessor() {
#if defined(LUMIVOX_AVX512_VALUE_BLOCKS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
        __builtin_cpu_supports("popcnt"))
        return ByteRunPath::Avx512;
#endif
#if defined(__SSE2__)
    return ByteRunPath::Sse2;
#else
    return ByteRunPath::Words;
#endif
}

std::atomic<ByteRunPath> AllowedByteRunPath{ByteRunPath::Avx512};

ByteRunPath ByteRunPathInUse() {
    static const ByteRunPath widest = WidestOnThisProcessor();
    return std::min(widest, AllowedByteRunPath.load(std::memory_order_relaxed));
}
} // namespace

ByteRunPath NarrowByteRunPath(ByteRunPath widest) {
    AllowedByteRunPath.store(widest, std::memory_order_relaxed);
    return ByteRunPathInUse();
}

std::size_t ReadValueBlocks(const char* const data, const std::size_t size, std::size_t& position,
                            int& lineNumber, std::uint8_t* out, std::size_t capacity) {
    switch (ByteRunPathInUse()) {
#if defined(LUMIVOX_AVX512_VALUE_BLOCKS)
    case ByteRunPath::Avx512:
        return ReadValueBlocksAvx512(data, size, position, lineNumber, out, capacity);
#endif
#if defined(__SSE2__)
    case ByteRunPath::Sse2:
        return ReadValueBlocksSse2(data, size, position, lineNumber, out, capacity);
#endif
    default:
        return 0;
    }
}

std::size_t ReadValueWords(const char* const data, const std::size_t size, std::size_t& position,
                           int& lineNumber, std::uint8_t* out, std::size_t capacity,
                           std::size_t count) {
    // Fast path for lines of one to three digits ended by CR LF or LF. The line ends
    // are found eight bytes at a time, apart from the lines' contents, so that each
    // line is parsed on its own instead of after the one before it; a line of any
    // other form stops the path at its start. The position and line number are kept
    // in locals, which the stores to `out` could otherwise alias. Each word read has
    // eight bytes of the text after it, so a line's digits can be read as one word.
    if constexpr (std::endian::native != std::endian::little)
        return count;
    std::size_t lineStart = position;
    std::size_t scan = position;
    int line = lineNumber;
    bool other = false;
    while (!other && scan + 16 <= size) {
        std::uint64_t word;
        std::memcpy(&word, data + scan, 8);
        std::uint64_t ends = NewlineBytes(word);
        while (ends != 0) {
            const std::size_t newline = scan + static_cast<std::size_t>(std::countr_zero(ends) / 8);
            ends &= ends - 1;
            const std::size_t length = newline - lineStart;
            const std::size_t digits = length - (length != 0 && data[newline - 1] == '\r' ? 1 : 0);
            std::uint64_t text;
            std::memcpy(&text, data + lineStart, 8);
            const auto first = static_cast<std::size_t>(FirstNonDigit(text));
            if (!((digits - 1 < 3) & (first == digits))) {
                other = true;
                break;
            }
            const auto d0 = static_cast<unsigned>(text & 0xFF) - '0';
            const auto d1 = static_cast<unsigned>((text >> 8) & 0xFF) - '0';
            const auto d2 = static_cast<unsigned>((text >> 16) & 0xFF) - '0';
            unsigned value = d0;
            value = digits >= 2 ? value * 10 + d1 : value;
            value = digits >= 3 ? value * 10 + d2 : value;
            if (count < capacity)
                out[count] = static_cast<std::uint8_t>(value);
            ++count;
            ++line;
            lineStart = newline + 1;
        }
        if (!other)
            scan += 8;
    }
    position = lineStart;
    lineNumber = line;
    return count;
}

} // namespace lumivox
