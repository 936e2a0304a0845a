// Reading sequence files back: valid exports, each kind of damage, and arbitrary bytes.
#include "output/SequenceFile.h"

#include <gtest/gtest.h>

#include <random>

namespace lumivox {
namespace {

using P = SequenceProblem;

// The two frames of a track on output 5 holding 1 at slots 1 to 3, as exported.
QByteArray ExampleFile(int resolutionMs = 100) {
    std::vector<TTrameOfContactorEvent> frames(2);
    frames[0].slot = 3;
    frames[0].add(5, 1);
    frames[1].add(5, 0);
    return EncodeSequenceFile(frames, resolutionMs).Bytes;
}

std::vector<P> Kinds(const TSequenceFileInfo& info) {
    std::vector<P> kinds;
    for (const TSequenceIssue& issue : info.Problems)
        kinds.push_back(issue.Kind);
    return kinds;
}

void SetLength(QByteArray& bytes, int length) {
    bytes[32] = static_cast<char>(length >> 8);
    bytes[33] = static_cast<char>(length & 0xFF);
}

TEST(SequenceFileTest, ReadsAnExportedFileWithoutProblems) {
    const TSequenceFileInfo info = ParseSequenceFile(ExampleFile());
    EXPECT_TRUE(info.Problems.empty());
    EXPECT_TRUE(info.PrefixIsSpaces);
    EXPECT_EQ(info.LengthField, 10);
    EXPECT_EQ(info.ParsedLength, 10);
    EXPECT_EQ(info.ResolutionCode, 1);
    EXPECT_EQ(info.ResolutionMs, 100);
    ASSERT_EQ(info.Frames.size(), 2u);
    EXPECT_EQ(info.Frames[0].Slot, 3);
    EXPECT_EQ(info.Frames[1].Offset, SequenceHeaderSize + 5);
    ASSERT_EQ(info.Frames[1].Entries.size(), 1u);
    EXPECT_EQ(info.Frames[1].Entries[0].contactor, 5);
    EXPECT_EQ(info.Frames[1].Entries[0].value, 0);
}

TEST(SequenceFileTest, ResolutionCodes) {
    for (int ms : {100, 250, 500, 1000})
        EXPECT_EQ(ParseSequenceFile(ExampleFile(ms)).ResolutionMs, ms);
    QByteArray bytes = ExampleFile();
    bytes[34] = 7;
    const TSequenceFileInfo info = ParseSequenceFile(bytes);
    EXPECT_EQ(info.ResolutionMs, 0);
    EXPECT_EQ(Kinds(info), std::vector<P>{P::UnknownResolution});
}

TEST(SequenceFileTest, ShortFilesStopAtTheHeader) {
    for (int size : {0, 20, 34}) {
        const TSequenceFileInfo info = ParseSequenceFile(ExampleFile().left(size));
        EXPECT_EQ(Kinds(info), (std::vector<P>{P::WrongFileSize, P::HeaderTruncated})) << size;
        EXPECT_TRUE(info.Frames.empty());
    }
    const TSequenceFileInfo info = ParseSequenceFile(ExampleFile().left(35));
    EXPECT_EQ(info.LengthField, 10);
    EXPECT_EQ(Kinds(info), (std::vector<P>{P::WrongFileSize, P::LengthMismatch}));
}

TEST(SequenceFileTest, FrameCutByTheEndOfTheFile) {
    for (int kept : {1, 2, 3, 4}) { // bytes left of the second frame, its count byte is third
        const TSequenceFileInfo info =
            ParseSequenceFile(ExampleFile().left(SequenceHeaderSize + 5 + kept));
        EXPECT_EQ(Kinds(info),
                  (std::vector<P>{P::WrongFileSize, P::FrameRunsPastEnd, P::LengthMismatch}))
            << kept;
        EXPECT_EQ(info.Frames.size(), 1u);
        EXPECT_EQ(info.ParsedLength, 5);
    }
}

TEST(SequenceFileTest, DamagedHeaderLengthAndTail) {
    QByteArray bytes = ExampleFile();
    bytes[10] = 'x';
    bytes[40] = 0;
    bytes[40000] = 1;
    TSequenceFileInfo info = ParseSequenceFile(bytes);
    EXPECT_FALSE(info.PrefixIsSpaces);
    EXPECT_EQ(Kinds(info),
              (std::vector<P>{P::HeaderNotSpaces, P::HeaderNotSpaces, P::NonZeroAfterFrames}));
    EXPECT_EQ(info.Problems[1].Offset, 40);
    EXPECT_EQ(info.Problems[2].Offset, 40000);

    bytes = ExampleFile();
    SetLength(bytes, 7); // the second frame starts inside the length and ends beyond it
    info = ParseSequenceFile(bytes);
    EXPECT_EQ(Kinds(info), (std::vector<P>{P::FrameRunsPastLength, P::LengthMismatch}));
    EXPECT_EQ(info.Frames.size(), 2u);

    SetLength(bytes, 5);
    info = ParseSequenceFile(bytes);
    EXPECT_EQ(Kinds(info), std::vector<P>{P::NonZeroAfterFrames});
    EXPECT_EQ(info.Problems[0].Offset, SequenceHeaderSize + 7); // the count byte of frame 2
}

TEST(SequenceFileTest, ArbitraryBytesStayWithinTheData) {
    std::mt19937 random(11);
    const QByteArray good = ExampleFile();
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) { // garbage of any size, often with a header-sized prefix
            bytes.resize(random() % 70000);
            for (char& byte : bytes)
                byte = static_cast<char>(random());
        } else { // a valid file with random bytes changed and its end cut anywhere
            bytes = good;
            for (int i = 0; i < 20; ++i)
                bytes[SequenceHeaderSize + random() % 600] = static_cast<char>(random());
            SetLength(bytes, static_cast<int>(random() % 65536));
            bytes.truncate(SequenceHeaderSize + random() % (SequenceHeaderSize + 1));
        }
        const TSequenceFileInfo info = ParseSequenceFile(bytes);
        qsizetype frameBytes = 0;
        for (const TSequenceFrame& frame : info.Frames) {
            ASSERT_EQ(frame.Offset, SequenceHeaderSize + frameBytes);
            frameBytes += 3 + 2 * static_cast<qsizetype>(frame.Entries.size());
        }
        ASSERT_EQ(frameBytes, info.ParsedLength);
        ASSERT_LE(SequenceHeaderSize + info.ParsedLength,
                  std::max(bytes.size(), qsizetype{SequenceHeaderSize}));
        ASSERT_EQ(info.HasProblem(P::WrongFileSize), bytes.size() != SequenceFileSize);
    }
}

} // namespace
} // namespace lumivox
