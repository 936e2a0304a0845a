// The waveform cache files on hand-made data: the date value, the peak records built from a
// WAV file, the loading into WavePeaks, and where the files go.
#include "audio/decode/WaveformCache.h"
#include "audio/decode/WaveFile.h"

#include "ImportTestSupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

using Frames = std::vector<std::pair<std::int16_t, std::int16_t>>;

Frames Block(std::int16_t left, std::int16_t right, int frames = PeakBlockFrames) {
    return Frames(static_cast<std::size_t>(frames), {left, right});
}

Frames Join(std::initializer_list<Frames> parts) {
    Frames all;
    for (const Frames& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class PeakFileTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;

    // Builds the peak records of a 16-bit stereo WAV holding `frames` (plus `extra` bytes).
    QByteArray Build(const Frames& frames, const QByteArray& extra = {}) {
        const QString path = Dir.filePath(QStringLiteral("build.wav"));
        EXPECT_TRUE(WriteFile(path, RiffWave(Chunk("fmt ", FormatBody(2, 44100)) +
                                             Chunk("data", StereoFrames(frames) + extra))));
        TWaveFileStream wave;
        wave.Open(path);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const std::int64_t records = BuildPeakFile(wave, out);
        EXPECT_EQ(records * PeakRecordBytes, out.data().size());
        return out.data();
    }

    static QByteArray Record(int leftMin, int leftMax, int rightMin, int rightMax) {
        const char bytes[PeakRecordBytes] = {static_cast<char>(leftMin),
                                             static_cast<char>(leftMax),
                                             static_cast<char>(rightMin),
                                             static_cast<char>(rightMax),
                                             0,
                                             0};
        return QByteArray(bytes, PeakRecordBytes);
    }
};

TEST(DateFileTest, DateValueCountsDaysFrom1899AtTwoSecondResolution) {
    const QDateTime noon(QDate(2024, 3, 1), QTime(12, 0, 2));
    EXPECT_DOUBLE_EQ(DateTimeValue(noon), 45352 + 43202 / 86400.0);
    // Odd seconds and milliseconds fall to the even second below.
    EXPECT_EQ(DateTimeValue(QDateTime(QDate(2024, 3, 1), QTime(12, 0, 3, 999))),
              DateTimeValue(noon));
    EXPECT_NE(DateTimeValue(QDateTime(QDate(2024, 3, 1), QTime(12, 0, 4))), DateTimeValue(noon));
    EXPECT_EQ(DateTimeValue(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_EQ(DateTimeValue(QDateTime(QDate(1900, 1, 1), QTime(6, 0))), 2.25);
}

TEST(DateFileTest, WritesEightLittleEndianBytesAndReadsOnlyThose) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("song.nfo"));
    ASSERT_TRUE(WriteDateFile(path, 45352 + 43202 / 86400.0));
    EXPECT_EQ(ReadFile(path).toHex(), "918b30001025e640");
    EXPECT_EQ(ReadDateFile(path), 45352 + 43202 / 86400.0);

    for (const int size : {0, 7, 9}) {
        ASSERT_TRUE(WriteFile(path, QByteArray(size, '\1')));
        EXPECT_FALSE(ReadDateFile(path).has_value()) << size;
    }
    EXPECT_FALSE(ReadDateFile(dir.filePath(QStringLiteral("none.nfo"))).has_value());
}

TEST(PeakValueTest, TakesTheHighByteOfEachSample) {
    EXPECT_EQ(PeakValue(0x00FF), 0); // a loud low byte alone is near silence
    EXPECT_EQ(PeakValue(0x0100), 1);
    EXPECT_EQ(PeakValue(0x7FFF), 127);
    EXPECT_EQ(PeakValue(-1), -1);
    EXPECT_EQ(PeakValue(-256), -1);
    EXPECT_EQ(PeakValue(-257), -2);
    EXPECT_EQ(PeakValue(-32768), -128);

    // Minimum and maximum start at 0, so a block entirely above zero keeps minimum 0.
    const QByteArray positive = StereoFrames({{0x1000, 0x2000}, {0x3000, 0x0100}});
    const TPeakRecord up = PeakOfBlock(positive.constData(), static_cast<int>(positive.size()));
    EXPECT_EQ(up.LeftMin, 0);
    EXPECT_EQ(up.LeftMax, 0x30);
    EXPECT_EQ(up.RightMin, 0);
    EXPECT_EQ(up.RightMax, 0x20);
    const QByteArray negative = StereoFrames({{-0x1000, -0x7000}, {-0x3000, -0x0100}});
    const TPeakRecord down = PeakOfBlock(negative.constData(), static_cast<int>(negative.size()));
    EXPECT_EQ(down.LeftMin, -0x30);
    EXPECT_EQ(down.LeftMax, 0);
    EXPECT_EQ(down.RightMin, -0x70);
    EXPECT_EQ(down.RightMax, 0);
    EXPECT_EQ(down.LeftEnd, 0);
    EXPECT_EQ(down.RightEnd, 0);
}

TEST_F(PeakFileTest, WholeBlocksGiveOneRecordMoreRepeatingTheLast) {
    // Three blocks of 512 bytes: four records, the fourth from an empty read.
    const QByteArray pks =
        Build(Join({Block(0x1000, -0x1000), Block(0x2000, -0x2000), Block(0x3000, -0x3000)}));
    EXPECT_EQ(pks, Record(0, 0x10, -0x10, 0) + Record(0, 0x20, -0x20, 0) +
                       Record(0, 0x30, -0x30, 0) + Record(0, 0x30, -0x30, 0));

    // No data at all still gives one record, of zeros.
    EXPECT_EQ(Build({}), Record(0, 0, 0, 0));
}

TEST_F(PeakFileTest, AShortLastBlockKeepsTheRestOfTheBlockBefore) {
    // The third block holds 32 quiet frames; its other 96 frames are the loud second block's.
    const QByteArray pks =
        Build(Join({Block(0x0100, 0x0100), Block(-0x5000, 0x5000), Block(0x0200, -0x0200, 32)}));
    ASSERT_EQ(pks.size(), 3 * PeakRecordBytes);
    EXPECT_EQ(pks.mid(12), Record(-0x50, 0x02, -0x02, 0x50));
    // A trailing partial frame is ignored as a sample but still counts as data.
    EXPECT_EQ(Build(Block(0x0100, 0x0100), QByteArray(2, '\x7f')).size(), 2 * PeakRecordBytes);
}

TEST_F(PeakFileTest, RefusesWavesThatAreNot16BitStereo) {
    const QString path = Dir.filePath(QStringLiteral("mono.wav"));
    for (const QByteArray& format :
         {FormatBody(1, 44100), FormatBody(2, 44100, 8), FormatBody(2, 44100, 24), QByteArray()}) {
        const QByteArray fmt = format.isEmpty() ? QByteArray() : Chunk("fmt ", format);
        ASSERT_TRUE(WriteFile(path, RiffWave(fmt + Chunk("data", QByteArray(1024, '\1')))));
        TWaveFileStream wave;
        wave.Open(path);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        try {
            BuildPeakFile(wave, out);
            ADD_FAILURE() << "accepted format " << format.toHex().constData();
        } catch (const EWaveStreamError& error) {
            EXPECT_EQ(error.Text(), "Wave is invalid");
        }
        EXPECT_TRUE(out.data().isEmpty());
    }
}

TEST_F(PeakFileTest, LoadingGivesEndMaximumAndMinimumPairsSignExtended) {
    const QString path = Dir.filePath(QStringLiteral("song.pks"));
    const QByteArray bytes = QByteArray::fromHex("fd05f909fe07" // -3 5 -7 9, ends -2 7
                                                 "807f80ff0000" // -128 127 -128 -1
                                                 "0102");       // a partial record
    ASSERT_TRUE(WriteFile(path, bytes));
    TWavePeaks peaks{{42, 42}};
    std::vector<std::int64_t> progress;
    ASSERT_TRUE(LoadPeakFile(path, peaks, [&](std::int64_t done, std::int64_t total) {
        progress.push_back(done * 10 + total);
        return true;
    }));
    const TWavePeaks expected{{-2, -2}, {5, 9}, {-3, -7}, {0, 0}, {127, -1}, {-128, -128}};
    EXPECT_EQ(peaks, expected);
    EXPECT_EQ(PeakRecordCount(peaks), 2);
    EXPECT_EQ(progress, (std::vector<std::int64_t>{12, 22}));

    // A missing file leaves the waveform as it was.
    EXPECT_FALSE(LoadPeakFile(Dir.filePath(QStringLiteral("none.pks")), peaks));
    EXPECT_EQ(peaks, expected);
    EXPECT_FALSE(LoadPeakFile(QString(), peaks));
    EXPECT_EQ(peaks, expected);
}

// An hour's peak file is converted on several threads: every record lands in its own place,
// and the gauge still ends full.
TEST_F(PeakFileTest, ABigFileLoadsEveryRecordInItsPlace) {
    const QString path = Dir.filePath(QStringLiteral("hour.pks"));
    constexpr int records = 1'000'003; // six megabytes, not a multiple of any thread count
    QByteArray bytes(records * PeakRecordBytes, Qt::Uninitialized);
    for (int r = 0; r < records; ++r)
        for (int b = 0; b < PeakRecordBytes; ++b)
            bytes[r * PeakRecordBytes + b] = static_cast<char>((r * 7 + b * 31) % 251);
    ASSERT_TRUE(WriteFile(path, bytes));
    TWavePeaks peaks;
    std::int64_t lastDone = -1;
    std::int64_t lastTotal = -1;
    ASSERT_TRUE(LoadPeakFile(path, peaks, [&](std::int64_t done, std::int64_t total) {
        EXPECT_GT(done, lastDone);
        lastDone = done;
        lastTotal = total;
        return true;
    }));
    ASSERT_EQ(PeakRecordCount(peaks), records);
    EXPECT_EQ(lastDone, lastTotal);
    const auto byte = [&bytes](int r, int b) {
        return static_cast<std::int8_t>(bytes[r * PeakRecordBytes + b]);
    };
    for (int r = 0; r < records; ++r) {
        const auto at = static_cast<std::size_t>(r) * PairsPerRecord;
        ASSERT_EQ(peaks[at], TPeakPair(byte(r, 4), byte(r, 4))) << r;
        ASSERT_EQ(peaks[at + 1], TPeakPair(byte(r, 1), byte(r, 3))) << r;
        ASSERT_EQ(peaks[at + 2], TPeakPair(byte(r, 0), byte(r, 2))) << r;
    }
}

TEST(CacheFileNameTest, ReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(PeakFileFor("/music/song.mp3"), "/music/song.pks");
    EXPECT_EQ(PeakFileFor("/music/Song.MP3"), "/music/Song.pks");
    EXPECT_EQ(PeakFileFor("/music/live.2019.mp3"), "/music/live.2019.pks");
    EXPECT_EQ(PeakFileFor("/music.d/song"), "/music.d/song.pks");
    EXPECT_EQ(DateFileFor("/music/song.pks"), "/music/song.nfo");
}

TEST(CachePlacesTest, UsesThePerUserFolderWhenTheSongsFolderIsNotWritable) {
    TCachePlaces places;
    places.UserCacheFolder = QStringLiteral("/home/u/.cache/lumivox-editor");
    places.ProgramFolder = QStringLiteral("/opt/lumivox");
    QStringList writable{QStringLiteral("/music/mine"), QStringLiteral("/opt/lumivox")};
    places.IsWritable = [&writable](const QString& folder) { return writable.contains(folder); };

    EXPECT_EQ(places.PeakFileForWriting("/music/mine/a.mp3"), "/music/mine/a.pks");
    const QString shared = places.PeakFileForWriting("/music/shared/a.mp3");
    EXPECT_TRUE(shared.startsWith("/home/u/.cache/lumivox-editor/waveforms/"))
        << shared.toStdString();
    EXPECT_TRUE(shared.endsWith("/a.pks"));
    // Songs of the same name in different folders never share a cache; one folder always
    // maps to the same place.
    EXPECT_NE(places.UserPeakFile("/music/other/a.mp3"), shared);
    EXPECT_EQ(places.UserPeakFile("/music/shared/b.mp3"),
              shared.left(shared.lastIndexOf('/')) + "/b.pks");
    EXPECT_EQ(places.PeakFileCandidates("/music/shared/a.mp3"),
              (QStringList{"/music/shared/a.pks", shared}));

    EXPECT_EQ(places.TempFolder(), "/opt/lumivox");
    writable.removeAll(QStringLiteral("/opt/lumivox"));
    QTemporaryDir dir;
    places.UserCacheFolder = dir.filePath(QStringLiteral("cache"));
    EXPECT_EQ(places.TempFolder(), places.UserCacheFolder);
    EXPECT_TRUE(QFileInfo(places.UserCacheFolder).isDir());

    // Without a per-user folder the cache stays beside the song.
    places.UserCacheFolder.clear();
    EXPECT_EQ(places.PeakFileForWriting("/music/shared/a.mp3"), "/music/shared/a.pks");
    EXPECT_EQ(places.PeakFileCandidates("/music/shared/a.mp3"), QStringList{"/music/shared/a.pks"});
}

TEST(CachePlacesTest, ProbesFoldersByCreatingAFile) {
    QTemporaryDir dir;
    EXPECT_TRUE(FolderIsWritable(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_FALSE(FolderIsWritable(dir.filePath(QStringLiteral("none"))));
    ASSERT_TRUE(WriteFile(dir.filePath(QStringLiteral("file")), "x"));
    EXPECT_FALSE(FolderIsWritable(dir.filePath(QStringLiteral("file"))));

    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_EQ(chmod(QFile::encodeName(locked).constData(), 0555), 0);
    const bool stillWritable = FolderIsWritable(locked);
    chmod(QFile::encodeName(locked).constData(), 0755);
    if (stillWritable)
        GTEST_SKIP() << "a read-only folder is still writable for this user (root)";
    EXPECT_FALSE(stillWritable);
}

} // namespace
