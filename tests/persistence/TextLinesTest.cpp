// Line splitting, encoding detection and strict number parsing of the text files.
#include "persistence/TextLines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace lumivox;

namespace {

TEST(TextLines, SplitsCrLfAndBareLfAndKeepsEmptyLines) {
    const QByteArray bytes("one\r\n\r\ntwo\nthree\r\nlast");
    TextLineReader reader(bytes);
    EXPECT_EQ(reader.NextRaw(), "one");
    EXPECT_EQ(reader.NextRaw(), "");
    EXPECT_EQ(reader.NextRaw(), "two");
    EXPECT_EQ(reader.NextRaw(), "three");
    EXPECT_EQ(reader.LineNumber(), 4);
    EXPECT_EQ(reader.NextRaw(), "last");
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.NextRaw(), "");
    EXPECT_EQ(reader.LineNumber(), 5);
}

TEST(TextLines, NumberLinesAreWholeDecimalsOnly) {
    const QByteArray bytes(
        "0\r\n255\n-2147483648\r\n2147483648\r\n12a\r\n\r\n 5\r\n+7\r\n*****\r\n9");
    TextLineReader reader(bytes);
    std::int32_t value = -1;
    std::string_view raw;
    using N = TextLineReader::NumberLine;
    EXPECT_EQ(reader.NextNumber(value), N::Number);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(reader.NextNumber(value), N::Number);
    EXPECT_EQ(value, 255);
    EXPECT_EQ(reader.NextNumber(value), N::Number);
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_EQ(reader.NextNumber(value, &raw), N::NotANumber);
    EXPECT_EQ(raw, "2147483648");
    EXPECT_EQ(reader.NextNumber(value, &raw), N::NotANumber);
    EXPECT_EQ(raw, "12a");
    EXPECT_EQ(reader.NextNumber(value, &raw), N::NotANumber);
    EXPECT_EQ(raw, "");
    EXPECT_EQ(reader.NextNumber(value), N::NotANumber);
    EXPECT_EQ(reader.NextNumber(value), N::Number);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(reader.NextNumber(value, &raw), N::NotANumber);
    EXPECT_EQ(raw, "*****");
    EXPECT_EQ(reader.LineNumber(), 9);
    EXPECT_EQ(reader.NextNumber(value), N::Number); // no line end at the end of the text
    EXPECT_EQ(value, 9);
    EXPECT_EQ(reader.NextNumber(value), N::End);

    EXPECT_EQ(ParseDecimal("-0"), 0);
    EXPECT_FALSE(ParseDecimal("-"));
    EXPECT_FALSE(ParseDecimal("1 "));
    EXPECT_FALSE(ParseDecimal("0x10"));
}

TEST(TextLines, Utf8WhenValidElseWindows1252) {
    EXPECT_TRUE(IsValidUtf8("plain ascii text, long enough for words", 40));
    const char good[] = "F\xc3\xaate \xe2\x82\xac \xf0\x9f\x8e\x86";
    EXPECT_TRUE(IsValidUtf8(good, sizeof good - 1));
    EXPECT_FALSE(IsValidUtf8("F\xeate", 4));
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf", 2));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80", 3));      // surrogate
    EXPECT_FALSE(IsValidUtf8("abcdefgh\xe2\x82", 10)); // cut short
    EXPECT_EQ(DecodeWindows1252("\x80\x8a\x9f\xe9\x81"), QString::fromUtf8("€ŠŸé\xc2\x81"));

    // A stray byte is found wherever it sits: in a 32-byte step, an 8-byte step or the tail.
    for (int at = 0; at < 100; ++at) {
        QByteArray text(100, '7');
        text[at] = '\xe9';
        EXPECT_FALSE(IsValidUtf8(text.constData(), 100)) << "at " << at;
        text[at] = '\n';
        EXPECT_TRUE(IsValidUtf8(text.constData(), 100)) << "at " << at;
    }

    // A text big enough to be checked in parts: a sequence across where a part would start
    // is valid, a stray byte in any part is found.
    QByteArray big(9 << 20, '5');
    for (qsizetype at = 99; at < big.size(); at += 100)
        big[at] = '\n';
    for (qsizetype at = big.size() / 4 - 1; at + 3 < big.size(); at += big.size() / 4) {
        big[at] = '\xe2';
        big[at + 1] = '\x82';
        big[at + 2] = '\xac';
    }
    EXPECT_TRUE(IsValidUtf8(big.constData(), static_cast<std::size_t>(big.size())));
    for (const qsizetype at : {qsizetype{10}, big.size() / 2 + 7, big.size() - 3}) {
        QByteArray damaged = big;
        damaged[at] = '\xff';
        EXPECT_FALSE(IsValidUtf8(damaged.constData(), static_cast<std::size_t>(damaged.size())))
            << "at " << at;
    }

    const QByteArray latin("Pi\xe8"
                           "ce\r\n");
    TextLineReader reader(latin);
    EXPECT_FALSE(reader.IsUtf8());
    EXPECT_EQ(reader.NextText(), QString::fromUtf8("Pièce"));

    // The choice is the whole text's, however late it is needed and wherever the byte that
    // decides it sits: a line valid as UTF-8 reads as Windows-1252 when a byte far behind it
    // is not, and a copy made before the choice makes the same one.
    QByteArray mixed("Caf\xc3\xa9\r\n");
    mixed += QByteArray(5 << 20, '0') + "\r\n\xe9t\xe9\r\n";
    TextLineReader early(mixed);
    const TextLineReader copy = early;
    EXPECT_EQ(early.NextText(), QString::fromUtf8("CafÃ©"));
    EXPECT_FALSE(copy.IsUtf8());
    mixed.chop(7);
    mixed += "\r\n";
    TextLineReader valid(mixed);
    EXPECT_EQ(valid.NextText(), QString::fromUtf8("Café"));
    EXPECT_TRUE(valid.IsUtf8());
}

// A run read at once gives what NextNumber gives line by line: the same values (as bytes),
// the same count, and the same place and line number after it, whatever mix of line ends,
// lengths, signs and damage the text holds and wherever it ends.
TEST(TextLines, ByteRunReadsWhatNumberLinesRead) {
    const char* const forms[] = {"0",    "7",          "42",         "255",  "007",   "1000", "-3",
                                 "+12",  "99999",      "12a",        "",     "*****", "1:",   "2\r",
                                 "\xe9", "2147483648", "4294967295", "1\r2", "\r",    "\n"};
    const char* const ends[] = {"\r\n", "\n"};
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    // The paths this processor has, each tried on every text; the widest is left allowed.
    struct WidestAgain {
        ~WidestAgain() { NarrowByteRunPath(ByteRunPath::Avx512); }
    } widestAgain;
    std::vector<ByteRunPath> paths;
    for (const ByteRunPath path : {ByteRunPath::Words, ByteRunPath::Sse2, ByteRunPath::Avx512}) {
        if (NarrowByteRunPath(path) == path)
            paths.push_back(path);
    }
    ASSERT_FALSE(paths.empty());
    for (int round = 0; round < 1500; ++round) {
        QByteArray text;
        // Every third text is a long run in which anything else is rare, as in a value block
        // of a show, so that runs go on over many blocks of bytes before they meet it.
        const bool longRun = round % 3 == 0;
        const int lines = static_cast<int>(next() % (longRun ? 700 : 80));
        for (int l = 0; l < lines; ++l) {
            // Mostly short numbers, as a value block holds, now and then anything else.
            const bool usual = longRun ? next() % 300 != 0 : next() % 8 < 6;
            const std::size_t form = usual ? next() % 4 : next() % std::size(forms);
            text += forms[form];
            if (l + 1 < lines || next() % 2)
                text += ends[next() % 2];
        }
        const std::size_t capacity = next() % (longRun ? 800 : 90);

        TextLineReader lineByLine(text);
        std::vector<std::uint8_t> expected;
        std::size_t expectedCount = 0;
        for (;;) {
            TextLineReader probe = lineByLine;
            std::int32_t value = 0;
            if (probe.NextNumber(value) != TextLineReader::NumberLine::Number)
                break;
            lineByLine = probe;
            if (expectedCount++ < capacity)
                expected.push_back(static_cast<std::uint8_t>(value));
        }

        // Every path this processor has reads the same.
        for (const ByteRunPath path : paths) {
            NarrowByteRunPath(path);
            TextLineReader atOnce(text);
            std::vector<std::uint8_t> got(capacity, 0xAA);
            const std::size_t count = atOnce.ReadByteRun(got.data(), capacity);
            got.resize(std::min(count, capacity));
            const QByteArray shown =
                QByteArray::number(static_cast<int>(path)) + ": " + text.toHex();
            ASSERT_EQ(count, expectedCount) << shown.constData();
            EXPECT_EQ(got, expected) << shown.constData();
            TextLineReader after = lineByLine;
            EXPECT_EQ(atOnce.LineNumber(), after.LineNumber()) << shown.constData();
            EXPECT_EQ(atOnce.NextRaw(), after.NextRaw()) << shown.constData();
            EXPECT_EQ(atOnce.AtEnd(), after.AtEnd());
        }
    }
}

} // namespace
