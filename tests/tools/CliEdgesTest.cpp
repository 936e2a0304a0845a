// lumivox-cli and lumivox-demo at the edges, run as a user would: outputs that exist already,
// a full disk, shows longer than the sequence file can name or a show can hold, songs that no
// longer decode, and the help a newcomer asks for.
#include "audio/analysis/BeatCache.h"
#include "audio/decode/MeasuredSongLoader.h"
#include "audio/decode/SongLength.h"
#include "audio/decode/WaveformCache.h"
#include "persistence/ProjectFile.h"
#include "support/ProgramRun.h"
#include "support/ScriptedUserInterface.h"
#include "support/SmallDisk.h"
#include "support/TestSongs.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace lumivox;
using lumivox::test::FileBytes;
using lumivox::test::FixturePath;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::SmallDisk;

namespace {

using lumivox::test::Cli;
using lumivox::test::ProgramRun;

ProgramRun Program(const char* program, const QStringList& args) {
    return lumivox::test::RunProgram(QString::fromUtf8(program), args);
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Writes a project over `song` with one track per entry of `tracks`, each filled by its
// function, and returns its path.
QString WriteShow(const QString& path, const QString& song,
                  const std::vector<std::function<void(TFullTrack&)>>& tracks) {
    ShowDocument doc;
    ScriptedUserInterface ui;
    Language lang = Language::English;
    MeasuredSongLoader songs(doc, ui, lang);
    EXPECT_TRUE(songs.LoadSong(song)) << songs.LastError.toStdString();
    doc.SetProjectName(QStringLiteral("Edge show"));
    doc.SetSongFile(song);
    {
        TBulkUpdate filling(doc);
        for (const auto& fill : tracks) {
            doc.AddTrack(lang);
            fill(filling.Track(doc.TrackCount()));
        }
    }
    ProjectFile file(doc, ui, songs);
    EXPECT_TRUE(file.WriteProject(path));
    return path;
}

class CliEdgesTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Song;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), Song));
    }
    QString Path(const char* name) const { return Dir.filePath(QLatin1String(name)); }
    // A show of `tracks` tracks (some 2 KB each), each with one value set.
    QString Show(const char* name, int tracks = 1) {
        std::vector<std::function<void(TFullTrack&)>> fills(
            static_cast<std::size_t>(tracks), [](TFullTrack& t) { t.SetValue(5, 200); });
        return WriteShow(Path(name), Song, fills);
    }
};

} // namespace

TEST_F(CliEdgesTest, NothingIsReplacedWithoutYes) {
    const QString show = Show("show.PRJ");
    const QString out = Path("out.PRJ");
    ASSERT_TRUE(WriteAll(out, "another show"));
    ProgramRun run = Cli({"convert", show, out});
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(run.Err.trimmed(), QDir::toNativeSeparators(out) +
                                     QStringLiteral(" already exists. Do you want to replace this "
                                                    "file?"));
    EXPECT_EQ(FileBytes(out), QByteArray("another show"));
    run = Cli({"convert", show, out, "--yes"});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(FileBytes(out), FileBytes(show));

    // The demonstration show alike.
    run = Program(LUMIVOX_DEMO_PATH, {Song, out});
    EXPECT_EQ(run.Code, 3);
    EXPECT_EQ(FileBytes(out), FileBytes(show));
    run = Program(LUMIVOX_DEMO_PATH, {Song, out, "--yes"});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(FileBytes(out).contains("Demo Show"));
}

TEST_F(CliEdgesTest, OnAFullDiskConvertAndExportFailAndLeaveTheFilesAsTheyWere) {
    SmallDisk disk(512 * 1024);
    if (!disk.Ready())
        GTEST_SKIP() << disk.Why().toStdString();
    const QString show = Show("show.PRJ", 60); // some 25 KB
    const QString out = disk.Path(QStringLiteral("out.PRJ"));
    const QString seq = disk.Path(QStringLiteral("out.seq"));
    ASSERT_TRUE(WriteAll(out, "the show before"));
    ASSERT_TRUE(WriteAll(seq, "the sequence before"));
    for (const std::int64_t left : {0, 8192}) {
        ASSERT_TRUE(disk.Fill(left));
        ProgramRun run = Cli({"convert", show, out, "--yes"});
        EXPECT_EQ(run.Code, 2) << left;
        EXPECT_FALSE(run.Out.contains("Converted")) << left;
        EXPECT_TRUE(run.Err.contains("there is no space left on the disk"))
            << run.Err.toStdString();
        EXPECT_EQ(FileBytes(out), QByteArray("the show before"));
        run = Cli({"export", show, "-o", seq, "--yes"});
        EXPECT_EQ(run.Code, 2) << left;
        EXPECT_TRUE(run.Err.contains("there is no space left on the disk"))
            << run.Err.toStdString();
        EXPECT_EQ(FileBytes(seq), QByteArray("the sequence before"));
        disk.Free();
    }
}

TEST_F(CliEdgesTest, ExportIntoAFolderNamesTheFileAfterTheSong) {
    const QString show = Show("show.PRJ");
    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("usb")));
    const ProgramRun run = Cli({"export", show, "-o", Path("usb")});
    EXPECT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(QFileInfo(Path("usb/song.seq")).size(), 65536);
}

TEST_F(CliEdgesTest, ASongThatNoLongerDecodesIsReplacedWithSong) {
    const QString show = Show("show.PRJ");
    // 4 KB of zeros in the middle of the song.
    QByteArray bytes = FileBytes(Song);
    bytes.replace(bytes.size() / 2, 4096, QByteArray(4096, '\0'));
    ASSERT_TRUE(WriteAll(Song, bytes));
    ProgramRun run = Cli({"info", show});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("of your project cannot be used")))
        << run.Err.toStdString();
    const QString good = Path("good.mp3");
    ASSERT_TRUE(QFile::copy(FixturePath("song_10s.mp3"), good));
    run = Cli({"info", show, "--song", good, "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QJsonObject info = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    EXPECT_EQ(info["song"].toString(), good);
    EXPECT_EQ(info["tracks"].toArray().size(), 1);
}

TEST_F(CliEdgesTest, HelpVersionAndShortUsageErrors) {
    ProgramRun run = Cli({"--version"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_TRUE(run.Out.startsWith(QStringLiteral("lumivox-cli 1."))) << run.Out.toStdString();
    run = Cli({"export", "--help"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_TRUE(run.Out.startsWith(QStringLiteral("Usage: lumivox-cli export PROJECT")));
    EXPECT_FALSE(run.Out.contains(QStringLiteral("dump-seq"))) << "that command's help only";
    run = Cli({"export", "a.PRJ", "--bogus"});
    EXPECT_EQ(run.Code, 1);
    const QStringList lines = run.Err.trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2) << run.Err.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("lumivox-cli: unknown option --bogus"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("lumivox-cli export --help")));
    run = Cli({"frobnicate"});
    EXPECT_EQ(run.Code, 1);
    EXPECT_EQ(run.Err.trimmed().split(QLatin1Char('\n')).size(), 2);
}

namespace {

// Songs hours long, made quickly: a short low-rate song without an encoder's tag, repeated
// frame for frame, so its length is what a scan of its frames finds.
class LongShowTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QByteArray Chunk;
    std::int64_t ChunkMs = 0;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        const QString wav = Dir.filePath(QStringLiteral("chunk.wav"));
        const QString mp3 = Dir.filePath(QStringLiteral("chunk.mp3"));
        ASSERT_EQ(QProcess::execute(QStringLiteral("sox"),
                                    {"-q", "-n", "-r", "8000", "-c", "1", "-b", "16", wav, "synth",
                                     "60", "sine", "440", "gain", "-20"}),
                  0);
        ASSERT_EQ(QProcess::execute(QStringLiteral("lame"), {"--quiet", "-t", "-b", "8", wav, mp3}),
                  0);
        Chunk = FileBytes(mp3);
        const std::optional<SongInfo> info = MeasureSong(mp3);
        ASSERT_TRUE(info);
        ChunkMs = info->LengthMs;
        ASSERT_GT(ChunkMs, 59000);
    }
    // A song of the chunk repeated until it lasts at least `ms`; its measured length.
    std::int64_t MakeSong(const QString& path, std::int64_t ms) {
        QByteArray song;
        while (song.size() / Chunk.size() * ChunkMs < ms)
            song += Chunk;
        EXPECT_TRUE(WriteAll(path, song));
        const std::optional<SongInfo> info = MeasureSong(path);
        return info ? info->LengthMs : -1;
    }
    // The song as the editor leaves it once it has been opened: a current waveform cache and
    // beat file beside it, so the tool does not spend minutes decoding hours of sine.
    static void MarkOpened(const QString& song, std::int64_t lengthMs) {
        const QString peaks = PeakFileFor(song);
        const std::int64_t records = lengthMs * 44100 / 1000 / 128 + 1;
        ASSERT_TRUE(WriteAll(peaks, QByteArray(static_cast<qsizetype>(records) * 12, '\0')));
        const std::optional<double> date = FileDateValue(song);
        ASSERT_TRUE(date);
        ASSERT_TRUE(WriteDateFile(DateFileFor(peaks), *date));
        const std::optional<TBeatSource> source = BeatSourceOf(song);
        ASSERT_TRUE(source);
        ASSERT_TRUE(WriteBeatFile(BeatFileFor(song), {*source, TSongBeats{}}));
    }
};

} // namespace

TEST_F(LongShowTest, TheExportEndsAtTheLastSlotTheFileCanNameAndDumpSeqAgrees) {
    const QString song = Dir.filePath(QStringLiteral("long.mp3"));
    const std::int64_t length = MakeSong(song, 12'000'000);
    ASSERT_GT(length, 12'000'000);
    ASSERT_LE(length, LongestSongMs());
    ASSERT_NO_FATAL_FAILURE(MarkOpened(song, length));
    // A relay on at 1:40, off at 1:49:13,500 (slot 65,536, the last the file names), on again
    // at 1:56:40 (slot 70,001), which it cannot name.
    const QString project = WriteShow(Dir.filePath(QStringLiteral("long.PRJ")), song,
                                      {[](TFullTrack& t) {
                                           for (int slot = 1001; slot < 65536; ++slot)
                                               t.SetValue(slot, 255);
                                           t.SetValue(70001, 255);
                                       },
                                       [](TFullTrack& t) { t.SetValue(70001, 255); }});
    const QString seq = Dir.filePath(QStringLiteral("long.seq"));
    ProgramRun run = Cli({"export", project, "-o", seq});
    EXPECT_EQ(run.Code, 4) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("the export stops at 01:49:13,500")))
        << run.Err.toStdString();

    run = Cli({"dump-seq", seq, "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QJsonArray frames =
        QJsonDocument::fromJson(run.Out.toUtf8()).object()["frames"].toArray();
    // An empty first frame naming slot 1,000; the relay on, naming 65,535; the relay off,
    // naming none: nothing wrapped to an early slot.
    ASSERT_EQ(frames.size(), 3);
    EXPECT_EQ(frames[0].toObject()["slot"].toInt(), 1000);
    EXPECT_EQ(frames[1].toObject()["slot"].toInt(), 65535);
    EXPECT_EQ(frames[1].toObject()["entries"].toArray(), (QJsonArray{QJsonArray{1, 255}}));
    EXPECT_EQ(frames[2].toObject()["slot"].toInt(), 0);
    EXPECT_EQ(frames[2].toObject()["entries"].toArray(), (QJsonArray{QJsonArray{1, 0}}));
}

TEST_F(LongShowTest, ASongLongerThanAShowCanHoldIsRefusedByName) {
    const QString song = Dir.filePath(QStringLiteral("too-long.mp3"));
    const std::int64_t length = MakeSong(song, LongestSongMs() + 1);
    ASSERT_GT(length, LongestSongMs());
    const QString project = Dir.filePath(QStringLiteral("p.PRJ"));
    ASSERT_TRUE(WriteAll(project, "Lumivox Project File of Vostrel\r\nFile version : \r\n1.0.3\r\n"
                                  "*****\r\nLong\r\n" +
                                      song.toUtf8() +
                                      "\r\n1\r\n\r\n\r\n\r\n\r\n\r\n\r\n0\r\n"
                                      "*****\r\n0\r\n*****\r\n"));
    const ProgramRun run = Cli({"info", project});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains(SongTooLongMessage(song, length, Language::English)))
        << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("longer than the 03:38:26,999 a show can hold")))
        << run.Err.toStdString();
}
