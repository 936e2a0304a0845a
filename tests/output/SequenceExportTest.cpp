// Sequence export: events, sort, frames and the exact bytes of the written file, with the
// messages and progress steps the command shows.
#include "output/SequenceExport.h"
#include "output/SequenceFile.h"

#include "model/ShowDocument.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace lumivox {
namespace {

using test::ScriptedUserInterface;
using test::WriteAll;
using EventKind = ScriptedUserInterface::Event::Kind;
using Result = TSequenceExport::Result;

QString Msg(int entry) {
    return Text(TextTable::Messages, entry, Language::English);
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}

class SequenceExportTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    ShowDocument Show;
    // The tests build their shows track by track, writing the tracks directly.
    TBulkUpdate Writing{Show};
    ScriptedUserInterface Ui;
    TSequenceExport Exporter;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Show.SetSongFile(Dir.filePath(QStringLiteral("song.mp3")));
        Show.SlotCount = 40;
    }
    QString SeqPath() const { return Dir.filePath(QStringLiteral("song.seq")); }

    // A track on `output` holding `value` from slot `from` to slot `to`, zero elsewhere.
    TFullTrack& AddTrack(std::uint8_t output, int from = 0, int to = -1, std::uint8_t value = 1) {
        Show.AddTrack(Language::English);
        TFullTrack& track = Writing.Track(Show.TrackCount());
        track.Output = output;
        for (int slot = from; slot <= to; ++slot)
            track.SetValue(slot, value);
        return track;
    }

    QByteArray Run(Result expected = Result::Done) {
        EXPECT_EQ(Exporter.Export(Show, Ui, Language::English), expected);
        QFile file(SeqPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// Checks the header and that the event area holds `frames` followed by zero bytes only.
void ExpectFile(const QByteArray& file, int code, const QByteArray& frames) {
    ASSERT_EQ(file.size(), SequenceFileSize);
    EXPECT_EQ(file.left(32), QByteArray(32, ' '));
    const int length = static_cast<int>(frames.size());
    EXPECT_EQ(file.mid(32, 3), Bytes({length >> 8, length & 0xFF, code}));
    EXPECT_EQ(file.mid(35, 32733), QByteArray(32733, ' '));
    EXPECT_EQ(file.mid(SequenceHeaderSize, frames.size()), frames);
    EXPECT_EQ(file.mid(SequenceHeaderSize + frames.size()),
              QByteArray(SequenceHeaderSize - frames.size(), '\0'));
}

TEST(SequenceFrameTest, AddSizeAndOneBasedAccess) {
    TTrameOfContactorEvent frame;
    EXPECT_EQ(frame.GetDataEventX(1), nullptr);
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(frame.add(static_cast<std::uint8_t>(i), 7));
    EXPECT_FALSE(frame.add(1, 1));
    EXPECT_EQ(frame.entries.size(), 256u);
    EXPECT_EQ(frame.Size(), 0); // the count as a byte
    frame.entries.pop_back();
    EXPECT_EQ(frame.Size(), 255);
    EXPECT_EQ(frame.GetDataEventX(0), nullptr);
    EXPECT_EQ(frame.GetDataEventX(1)->contactor, 0);
    EXPECT_EQ(frame.GetDataEventX(255)->contactor, 254);
}

TEST(SequenceFileNameTest, ReplacesOnlyTheLastExtensionOfTheName) {
    EXPECT_EQ(SequenceFileNameFor("/shows/a/song.mp3"), "/shows/a/song.seq");
    EXPECT_EQ(SequenceFileNameFor("/shows/a/song.live.MP3"), "/shows/a/song.live.seq");
    EXPECT_EQ(SequenceFileNameFor("/shows/v1.2/song"), "/shows/v1.2/song.seq");
    EXPECT_EQ(SequenceFileNameFor("C:\\v1.2\\song"), "C:\\v1.2\\song.seq");
    EXPECT_EQ(SequenceFileNameFor(""), "");
}

TEST(SequenceSortTest, StableByTimeAcrossBothHalvesOfTheTime) {
    std::mt19937 random(7);
    std::vector<TContactorEvent> events;
    events.reserve(5000);
    for (int i = 0; i < 5000; ++i) // times share low and high halves often; index in value
        events.push_back({static_cast<std::uint32_t>(random() % 40) * 65530u,
                          static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i)});
    std::vector<TContactorEvent> expected = events;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.time < b.time; });
    TSequenceExport exporter;
    exporter.SetEvents(events);
    exporter.SortEvents();
    ASSERT_EQ(exporter.Events().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(exporter.Events()[i].time, expected[i].time) << i;
        ASSERT_EQ(exporter.Events()[i].contactor, expected[i].contactor) << i;
        ASSERT_EQ(exporter.Events()[i].value, expected[i].value) << i;
    }
}

TEST(SequenceEncodeTest, FrameRecordsHoldAtMost255Entries) {
    std::vector<TTrameOfContactorEvent> frames(1);
    for (int i = 0; i < 256; ++i)
        frames[0].add(static_cast<std::uint8_t>(i), 1);
    const TEncodedSequence encoded = EncodeSequenceFile(frames, 100);
    EXPECT_EQ(encoded.FrameDataLength, 513u);
    EXPECT_EQ(encoded.Bytes.mid(32, 2), Bytes({0x02, 0x01}));
    EXPECT_EQ(encoded.Bytes.mid(SequenceHeaderSize + 2, 1), Bytes({255}));
    EXPECT_EQ(encoded.Bytes.mid(SequenceHeaderSize + 511, 3), Bytes({254, 1, 0}));
}

TEST(SequenceEncodeTest, ResolutionCodes) {
    const std::vector<TTrameOfContactorEvent> frames(1);
    const std::pair<int, int> cases[] = {{100, 1}, {250, 2}, {500, 3}, {1000, 4}, {0, 4}, {42, 4}};
    for (auto [ms, code] : cases)
        EXPECT_EQ(EncodeSequenceFile(frames, ms).Bytes.at(34), code) << ms;
}

TEST_F(SequenceExportTest, AllZeroTracksGiveOneEmptyFrame) {
    AddTrack(1);
    AddTrack(2);
    ExpectFile(Run(), 1, Bytes({0, 0, 0}));
    EXPECT_TRUE(Exporter.Events().empty());
    EXPECT_EQ(Ui.Texts(EventKind::Information), QStringList{Msg(MessageText::ProcessDone)});
    EXPECT_EQ(Ui.Events.size(), 1u);
}

TEST_F(SequenceExportTest, SingleTrackChangesAndBackToZero) {
    AddTrack(5, 1, 3);
    ExpectFile(Run(), 1, Bytes({0, 3, 1, 5, 1, 0, 0, 1, 5, 0}));
    ASSERT_EQ(Exporter.Events().size(), 2u);
    EXPECT_EQ(Exporter.Events()[1].time, 300u);
    EXPECT_EQ(Exporter.Events()[1].value, 0);
}

TEST_F(SequenceExportTest, FirstChangeLaterLeavesAnEmptyFirstFrame) {
    Show.SetResolution(2); // 500 ms
    AddTrack(9, 11, 39, 200);
    ExpectFile(Run(), 3, Bytes({0, 10, 0, 0, 0, 1, 9, 200}));
    EXPECT_EQ(Exporter.Events().front().time, 5000u);
}

TEST_F(SequenceExportTest, SameSlotGivesOneFrameInTrackOrderWhateverTheTrackState) {
    Show.SetResolution(3); // 1000 ms
    AddTrack(7, 4, 39, 10).SetMute(true);
    AddTrack(3, 4, 39, 20).SetSolo(true);
    AddTrack(7, 4, 39, 30).Locked = true;
    AddTrack(3, 6, 39, 40).TrackType = TrackTypeOnOff;
    ExpectFile(Run(), 4, Bytes({0, 3, 0, 0, 5, 3, 7, 10, 3, 20, 7, 30, 0, 0, 1, 3, 40}));
}

TEST_F(SequenceExportTest, ProgressTextsGaugeAndClosing) {
    for (int i = 0; i < 3; ++i)
        AddTrack(static_cast<std::uint8_t>(i));
    Run();
    EXPECT_EQ(
        Ui.ProgressTexts,
        (QStringList{Text(TextTable::CommonTexts, CommonText::ProcessingExport, Language::English),
                     Text(TextTable::CommonTexts, CommonText::SortingExport, Language::English)}));
    EXPECT_EQ(Ui.Gauges, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_EQ(Ui.ProgressShows, 1);
    EXPECT_FALSE(Ui.ProgressVisible);
}

TEST_F(SequenceExportTest, ReplaceQuestionNoKeepsTheFileYesReplacesIt) {
    AddTrack(5, 1, 3);
    {
        QFile old(SeqPath());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous");
    }
    EXPECT_EQ(Run(Result::Declined), QByteArray("previous"));
    const QString question = SeqPath() + Msg(MessageText::AlreadyExistsReplace);
    EXPECT_EQ(Ui.Texts(EventKind::Confirm), QStringList{question});
    EXPECT_EQ(Ui.Events.size(), 1u);
    EXPECT_FALSE(Ui.ProgressVisible);

    Ui.ConfirmAnswers = {true};
    EXPECT_EQ(Run().size(), SequenceFileSize);
    EXPECT_EQ(Ui.Texts(EventKind::Information), QStringList{Msg(MessageText::ProcessDone)});
}

TEST_F(SequenceExportTest, APlaceThatCannotBeWrittenOffersAnotherOrFailsClosingProgress) {
    AddTrack(5, 1, 3);
    const QString target = Dir.filePath(QStringLiteral("missing/song.seq"));
    const QString failed =
        Text(TextTable::FileText, FileText::ExportFolderLocked, Language::English)
            .arg(QDir::toNativeSeparators(target),
                 Text(TextTable::FileText, FileText::NoFolder, Language::English));
    // The chooser cancelled: nothing written, the window closed.
    EXPECT_EQ(Exporter.Export(Show, Ui, Language::English, target), Result::Failed);
    EXPECT_EQ(Ui.Texts(EventKind::Warning), QStringList{failed});
    EXPECT_EQ(Ui.Texts(EventKind::ChooseSequenceFile), QStringList{target});
    EXPECT_TRUE(Ui.Texts(EventKind::Information).isEmpty());
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(Exporter.WrittenPath().isEmpty());
    EXPECT_FALSE(Ui.ProgressVisible);

    // Another place chosen: written there whole, and said done; one that exists is asked for.
    const QString elsewhere = Dir.filePath(QStringLiteral("elsewhere.seq"));
    WriteAll(elsewhere, "old");
    Ui.Events.clear();
    Ui.SequenceAnswers.push_back(elsewhere);
    Ui.ConfirmAnswers = {true};
    EXPECT_EQ(Exporter.Export(Show, Ui, Language::English, target), Result::Done);
    EXPECT_EQ(Ui.Texts(EventKind::Confirm).size(), 1);
    EXPECT_EQ(Exporter.WrittenPath(), elsewhere);
    QFile written(elsewhere);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ExpectFile(written.readAll(), 1, Bytes({0, 3, 1, 5, 1, 0, 0, 1, 5, 0}));
    EXPECT_EQ(Ui.Texts(EventKind::Information), QStringList{Msg(MessageText::ProcessDone)});
}

TEST_F(SequenceExportTest, AFolderAsTargetReceivesTheFileNamedAfterTheSong) {
    AddTrack(5, 1, 3);
    QDir(Dir.path()).mkdir(QStringLiteral("out"));
    const QString folder = Dir.filePath(QStringLiteral("out"));
    EXPECT_EQ(SequenceTargetFor(Show.Project().Mp3FileName, folder),
              Dir.filePath(QStringLiteral("out/song.seq")));
    EXPECT_EQ(SequenceTargetFor(Show.Project().Mp3FileName, QString()), SeqPath());
    EXPECT_EQ(Exporter.Export(Show, Ui, Language::English, folder), Result::Done);
    EXPECT_TRUE(QFile::exists(Dir.filePath(QStringLiteral("out/song.seq"))));
}

TEST_F(SequenceExportTest, NoSongNoFile) {
    Show.SetSongFile(QString());
    EXPECT_EQ(Exporter.Export(Show, Ui, Language::English), Result::Failed);
    EXPECT_EQ(Ui.Texts(EventKind::Warning), QStringList{Msg(MessageText::NoMp3Loaded)});
    EXPECT_EQ(Ui.ProgressShows, 0);
}

TEST_F(SequenceExportTest, ListsAreEmptiedAtEachExport) {
    AddTrack(5, 1, 3);
    Run();
    Show.RemoveAllTracks();
    AddTrack(6, 2, 2);
    Ui.ConfirmAnswers = {true};
    ExpectFile(Run(), 1, Bytes({0, 1, 0, 0, 2, 1, 6, 1, 0, 0, 1, 6, 0}));
    EXPECT_EQ(Exporter.Events().size(), 2u);
}

// 255 tracks change together at slots `first`..`last`, `partial` of them at slot last + 1 too;
// with `extraFrame` all change once more at slot last + 3.
class SequenceFullMemoryTest : public SequenceExportTest {
protected:
    void Fill(int first, int last, int partial, bool extraFrame = false) {
        Show.RemoveAllTracks();
        Show.SlotCount = last + (extraFrame ? 4 : 2);
        for (int t = 0; t < MaxTracks; ++t) {
            TFullTrack& track = AddTrack(static_cast<std::uint8_t>(t));
            for (int slot = first; slot < Show.SlotCount; ++slot)
                track.SetValue(slot, 1 + std::min(slot, t < partial ? last + 1 : last) % 2);
            if (extraFrame)
                track.SetValue(last + 3, 9);
        }
    }
};

TEST_F(SequenceFullMemoryTest, ExactlyFullFrameDataIsFollowedByOneZero) {
    Fill(2, 64, 221); // 3 + 63 × 513 + 445 = 32,767 bytes
    const QByteArray file = Run();
    ASSERT_EQ(file.size(), SequenceFileSize);
    EXPECT_EQ(file.mid(32, 2), Bytes({0x7F, 0xFF}));
    EXPECT_EQ(file.right(3), Bytes({220, 2, 0}));
    EXPECT_EQ(Ui.Texts(EventKind::Information), QStringList{Msg(MessageText::ProcessDone)});
}

TEST_F(SequenceFullMemoryTest, AnOverflowKeepsTheFramesThatFitInAFileOfTheFixedSize) {
    Fill(1, 63, 223); // 63 × 513 + 449 = 32,768 bytes: the last frame does not fit
    QByteArray file = Run(Result::TooManyEvents);
    ASSERT_EQ(file.size(), SequenceFileSize);
    EXPECT_EQ(file.mid(32, 2), Bytes({(63 * 513) >> 8, (63 * 513) & 0xFF}));
    // The last frame kept names no next slot, and zero bytes follow it.
    const int last = SequenceHeaderSize + 62 * 513;
    EXPECT_EQ(file.mid(last, 3), Bytes({0, 0, 255}));
    EXPECT_EQ(file.mid(last + 513, 4), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(Ui.Texts(EventKind::Information),
              QStringList{Msg(MessageText::ProcessDoneTooManyEvents)});
    // Read back, it is a whole sequence file.
    const TSequenceFileInfo info = ParseSequenceFile(file);
    EXPECT_TRUE(info.Problems.empty());
    EXPECT_EQ(info.Frames.size(), 63u);

    Fill(1, 63, 224, true); // the frames after the 63 that fit are all dropped
    Ui.ConfirmAnswers = {true};
    file = Run(Result::TooManyEvents);
    ASSERT_EQ(file.size(), SequenceFileSize);
    EXPECT_EQ(file.mid(32, 2), Bytes({(63 * 513) >> 8, (63 * 513) & 0xFF}));
}

TEST_F(SequenceExportTest, AShowLongerThanTheFileCanNameEndsAtTheLastSlotItNames) {
    // Slot 65,536 starts at 0-based slot 65,535, the last a frame can name; the changes after
    // it are left out rather than wrapped to the start of the show.
    Show.SlotCount = 70010;
    AddTrack(5, 11, 65536);    // on at 1 s, off at slot 65,537: that change is past the end
    AddTrack(6, 65536, 65536); // on at the last nameable slot
    AddTrack(7, 70000, 70005); // only past the end
    ExpectFile(Run(Result::SlotsCut), 1, Bytes({0, 10, 0, 0xFF, 0xFF, 1, 5, 1, 0, 0, 1, 6, 1}));
    EXPECT_TRUE(Ui.Texts(EventKind::Information).isEmpty());
    ASSERT_EQ(Ui.Texts(EventKind::Warning).size(), 1);
    EXPECT_EQ(Ui.Texts(EventKind::Warning)[0],
              Text(TextTable::FileText, FileText::SlotLimit, Language::English)
                  .arg(QStringLiteral("01:49:13,500")));
    EXPECT_EQ(Exporter.WrittenPath(), SeqPath());
}

TEST_F(SequenceExportTest, AFewChangesOfALongShowAreNoOverflow) {
    // Four changes over three hours: all nameable, the file is whole.
    Show.SlotCount = 110000;
    AddTrack(1, 60000, 65000);
    AddTrack(2, 100, 200);
    ExpectFile(Run(Result::Done), 1, Bytes({0, 99,   0,    0, 200, 1, 2, 1, 0xEA, 0x5F, 1, 2,
                                            0, 0xFD, 0xE8, 1, 1,   1, 0, 0, 1,    1,    0}));
    EXPECT_EQ(Ui.Texts(EventKind::Information), QStringList{Msg(MessageText::ProcessDone)});
}

} // namespace
} // namespace lumivox
