// Line splitting, encoding detection and strict number parsing of the text files.
#include "persistence/TextLines.h"

#include <gtest/gtest.h>

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

    const QByteArray latin("Pi\xe8"
                           "ce\r\n");
    TextLineReader reader(latin);
    EXPECT_FALSE(reader.IsUtf8());
    EXPECT_EQ(reader.NextText(), QString::fromUtf8("Pièce"));
}

} // namespace
