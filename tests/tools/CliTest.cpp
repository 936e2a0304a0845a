// lumivox-cli run as a user would: real songs, real project files, exit codes and output.
#include "audio/decode/MeasuredSongLoader.h"
#include "audio/decode/SongLength.h"
#include "output/SequenceExport.h"
#include "persistence/ProjectFile.h"
#include "support/ClickTracks.h"
#include "support/ProgramRun.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox;
using lumivox::test::Clicks120;
using lumivox::test::FileBytes;
using lumivox::test::FixturePath;
using lumivox::test::MatchBeats;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::TBeatMatch;

namespace {

using CliRun = lumivox::test::ProgramRun;
using lumivox::test::Cli;

class CliTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Song;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Song = Dir.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("song_60_05s.mp3"), Song));
    }

    // Writes a project over the song with `tracks` tracks filled by `fill`.
    QString MakeProject(const char* name, int tracks,
                        const std::function<void(TFullTrack&, int)>& fill) {
        ShowDocument doc;
        ScriptedUserInterface ui;
        Language lang = Language::English;
        MeasuredSongLoader songs(doc, ui, lang);
        EXPECT_TRUE(songs.LoadSong(Song));
        doc.SetProjectName(QStringLiteral("CLI show"));
        doc.SetSongFile(Song);
        TProjectTexts texts;
        texts.Comments = QStringList{QStringLiteral("first"), QStringLiteral("second")};
        doc.SetTexts(texts);
        TBulkUpdate filling(doc);
        for (int k = 1; k <= tracks; ++k) {
            doc.AddTrack(lang);
            fill(filling.Track(k), k);
        }
        ProjectFile file(doc, ui, songs);
        QString path = Dir.filePath(QLatin1String(name));
        EXPECT_TRUE(file.WriteProject(path));
        return path;
    }
};

TEST_F(CliTest, InfoAsJsonDescribesTheShow) {
    const QString project = MakeProject("info.PRJ", 2, [](TFullTrack& t, int k) {
        t.TrackType = k == 2 ? TrackTypeOnOff : TrackTypeProportional;
        t.SetMute(k == 2);
        for (int j = 1; j <= 10 * k; ++j)
            t.SetValue(j, 200);
    });
    const CliRun run = Cli({"info", project, "--json", "--values"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QJsonObject show = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    EXPECT_EQ(show["version"].toString(), "1.0.3");
    EXPECT_EQ(show["name"].toString(), "CLI show");
    EXPECT_EQ(show["song"].toString(), Song);
    EXPECT_EQ(show["resolution_ms"].toInt(), 100);
    EXPECT_EQ(show["slot_count"].toInt(), 601);
    EXPECT_EQ(show["comments"].toArray().size(), 2);
    for (const char* key :
         {"subject", "author", "copyright", "customer", "creation_date", "reserved"})
        EXPECT_TRUE(show[key].isString()) << key;
    const QJsonArray tracks = show["tracks"].toArray();
    ASSERT_EQ(tracks.size(), 2);
    const QJsonObject second = tracks[1].toObject();
    EXPECT_EQ(second["caption"].toString(), "Track 2");
    EXPECT_EQ(second["output"].toInt(), 2);
    EXPECT_EQ(second["type"].toString(), "onoff");
    EXPECT_TRUE(second["mute"].toBool());
    EXPECT_FALSE(second["solo"].toBool());
    EXPECT_EQ(second["header_color"].toInteger(), 0xFF0000);
    EXPECT_EQ(second["key"].toInt(), 2);
    EXPECT_EQ(second["controller"].toInt(), 1);
    EXPECT_TRUE(second["use_key"].toBool());
    EXPECT_EQ(second["nonzero"].toInt(), 20);
    const QJsonArray values = second["values"].toArray();
    ASSERT_EQ(values.size(), 601);
    EXPECT_EQ(values[19].toInt(), 200);
    EXPECT_EQ(values[20].toInt(), 0);
    EXPECT_EQ(tracks[0].toObject()["type"].toString(), "proportional");

    const CliRun text = Cli({"info", project});
    ASSERT_EQ(text.Code, 0);
    EXPECT_TRUE(text.Out.contains("Slot count:    601"));
    EXPECT_TRUE(text.Out.contains("non-zero slots: 20"));
}

TEST_F(CliTest, ExportWritesBesideTheSongAndAsksBeforeReplacing) {
    const QString project = MakeProject("export.PRJ", 1, [](TFullTrack& t, int) {
        t.Output = 5;
        for (int j = 1; j <= 3; ++j)
            t.SetValue(j, 1);
    });
    const QString seq = Dir.filePath(QStringLiteral("song.seq"));
    CliRun run = Cli({"export", project});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(run.Out.trimmed(), "Process done!");
    const QByteArray first = FileBytes(seq);
    ASSERT_EQ(first.size(), 65536);

    // Replacing needs --yes; without it nothing is written and the question is shown.
    QFile::remove(seq);
    QFile marker(seq);
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write("keep");
    marker.close();
    run = Cli({"export", project});
    EXPECT_EQ(run.Code, 3);
    EXPECT_TRUE(run.Err.contains(seq + " already exists. Do you want to replace this file?"))
        << run.Err.toStdString();
    EXPECT_EQ(FileBytes(seq), QByteArray("keep"));
    run = Cli({"export", project, "--yes"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(FileBytes(seq), first);

    const QString other = Dir.filePath(QStringLiteral("other.seq"));
    run = Cli({"export", project, "-o", other});
    EXPECT_EQ(run.Code, 0);
    EXPECT_EQ(FileBytes(other), first);

    // dump-seq reads back the single-track example: slot 3 then slot 0.
    run = Cli({"dump-seq", other, "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QJsonObject dump = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    EXPECT_EQ(dump["size"].toInt(), 65536);
    EXPECT_EQ(dump["length"].toInt(), 10);
    const QJsonArray frames = dump["frames"].toArray();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0].toObject()["slot"].toInt(), 3);
    EXPECT_EQ(frames[0].toObject()["entries"].toArray()[0].toArray(), (QJsonArray{5, 1}));
    EXPECT_EQ(frames[1].toObject()["slot"].toInt(), 0);
    EXPECT_EQ(frames[1].toObject()["entries"].toArray()[0].toArray(), (QJsonArray{5, 0}));
    EXPECT_TRUE(dump["problems"].toArray().isEmpty());
}

TEST_F(CliTest, TooManyEventsStillWritesAndSaysSo) {
    // 60 tracks switching at every slot of 601: far more than 32,767 bytes of frames.
    const QString project = MakeProject("busy.PRJ", 60, [](TFullTrack& t, int) {
        for (int j = 1; j < 601; ++j)
            t.SetValue(j, j % 2 ? 255 : 0);
    });
    const CliRun run = Cli({"export", project});
    EXPECT_EQ(run.Code, 4);
    EXPECT_TRUE(run.Out.startsWith("Process done! But there are too many events"));
    // What fits is written as a whole file of the unit's size.
    const QString seq = Dir.filePath(QStringLiteral("song.seq"));
    EXPECT_EQ(QFileInfo(seq).size(), SequenceFileSize);
    const CliRun dump = Cli({"dump-seq", seq});
    EXPECT_EQ(dump.Code, 0) << dump.Err.toStdString();
}

TEST_F(CliTest, ConvertsOldVersionsAndRelocatesMissingSongs) {
    QByteArray old = "Lumivox Project File of Vostrel\r\nFile version : \r\n1.0.0\r\n*****\r\n"
                     "Old\r\n/gone/away.mp3\r\n3\r\n\r\n\r\n\r\n\r\n\r\n\r\n0\r\n*****\r\n1\r\n"
                     "*****\r\nLamp\r\n9\r\n1\r\nNo\r\nNo\r\nNo\r\n";
    for (int j = 1; j <= MaxSlotCount; ++j)
        old += j <= 3 ? "255\r\n" : "0\r\n";
    old += "*****\r\n";
    const QString oldPath = Dir.filePath(QStringLiteral("old.PRJ"));
    QFile file(oldPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(old);
    file.close();

    const QString converted = Dir.filePath(QStringLiteral("new.PRJ"));
    CliRun run = Cli({"convert", oldPath, converted});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains("MP3 file : \"/gone/away.mp3\" of your project was remove"));
    EXPECT_FALSE(QFile::exists(converted));

    run = Cli({"convert", oldPath, converted, "--song", Song});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    run = Cli({"info", converted, "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    const QJsonObject show = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    EXPECT_EQ(show["version"].toString(), "1.0.3");
    EXPECT_EQ(show["song"].toString(), Song);
    EXPECT_EQ(show["resolution_ms"].toInt(), 1000);
    const QJsonObject lamp = show["tracks"].toArray()[0].toObject();
    EXPECT_EQ(lamp["output"].toInt(), 9);
    EXPECT_EQ(lamp["nonzero"].toInt(), 3);
    EXPECT_EQ(lamp["key"].toInt(), 1); // an old file keeps the new track's MIDI key
}

TEST_F(CliTest, PeaksBuildsTheCacheOnceAsProjectsOpenSongs) {
    const std::int64_t records = MeasureSong(Song)->Samples * 4 / 512 + 1;
    const QString pks = Dir.filePath(QStringLiteral("song.pks"));
    CliRun run = Cli({"peaks", Song});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Records:    %1\n").arg(records)))
        << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains("Length:     60050 ms\n"));
    EXPECT_TRUE(run.Out.contains("Slot count: 601\n"));
    EXPECT_TRUE(run.Out.contains("Cache:      built\n"));
    EXPECT_TRUE(run.Out.contains("Peak file:  " + pks));
    EXPECT_EQ(QFileInfo(pks).size(), records * 6);
    EXPECT_EQ(QFileInfo(Dir.filePath(QStringLiteral("song.nfo"))).size(), 8);

    run = Cli({"peaks", Song});
    ASSERT_EQ(run.Code, 0);
    EXPECT_TRUE(run.Out.contains("Cache:      reused\n"));

    // Reading a project opens its song the same way: a lost cache is built again.
    const QString project = MakeProject("peaks.PRJ", 1, [](TFullTrack&, int) {});
    ASSERT_TRUE(QFile::remove(pks));
    run = Cli({"info", project, "--json"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_EQ(QFileInfo(pks).size(), records * 6);
}

TEST_F(CliTest, PeaksBuildsTheWaveformOfASongAtAnotherRateAt44kHz) {
    const QString wide = Dir.filePath(QStringLiteral("wide.mp3"));
    ASSERT_TRUE(QFile::copy(FixturePath("song_48k.mp3"), wide));
    const std::optional<SongInfo> info = MeasureSong(wide);
    ASSERT_EQ(info->Rate, 48000);
    const std::int64_t records = (info->Samples * 44100 + 24000) / 48000 / 128 + 1;
    const CliRun run = Cli({"peaks", wide});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Records:    %1\n").arg(records)))
        << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Length:     %1 ms\n").arg(info->LengthMs)));
    EXPECT_TRUE(run.Out.contains("Song rate:  48000 Hz\n")) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains("Cache:      built\n"));
    EXPECT_EQ(QFileInfo(Dir.filePath(QStringLiteral("wide.pks"))).size(), records * 6);
}

TEST_F(CliTest, PeaksRefusesSongsItCannotUse) {
    CliRun run = Cli({"peaks", FixturePath("not_an_mp3.mp3")});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains("Input stream error")) << run.Err.toStdString();

    run = Cli({"peaks", Dir.filePath(QStringLiteral("gone.mp3"))});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains("MP3 file does not exist!"));

    EXPECT_EQ(Cli({"peaks"}).Code, 1);
    EXPECT_EQ(Cli({"peaks", Song, Song}).Code, 1);
    EXPECT_TRUE(Cli({"--help"}).Out.contains("peaks SONG"));
}

TEST_F(CliTest, RefusalsAndUsageGiveTheirExitCodes) {
    QByteArray bad = FileBytes(MakeProject("bad.PRJ", 0, [](TFullTrack&, int) {}));
    bad.replace("\r\n1\r\n\r\n", "\r\n9\r\n\r\n"); // resolution line
    const QString badPath = Dir.filePath(QStringLiteral("bad2.PRJ"));
    QFile file(badPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bad);
    file.close();
    CliRun run = Cli({"info", badPath});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains("(line 7): the resolution 9 is not 1, 2 or 3."))
        << run.Err.toStdString();

    run = Cli({"info", Dir.filePath(QStringLiteral("none.PRJ"))});
    EXPECT_EQ(run.Code, 2);
    EXPECT_TRUE(run.Err.contains("cannot be read"));

    EXPECT_EQ(Cli({}).Code, 1);
    EXPECT_EQ(Cli({"frobnicate"}).Code, 1);
    EXPECT_EQ(Cli({"info"}).Code, 1);
    EXPECT_EQ(Cli({"export", badPath, "--bogus"}).Code, 1);
    run = Cli({"--help"});
    EXPECT_EQ(run.Code, 0);
    EXPECT_TRUE(run.Out.contains("dump-seq FILE"));
}

} // namespace

namespace {

class CliBeatsTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    QString Song;

    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Song = Dir.filePath(QStringLiteral("clicks.mp3"));
        ASSERT_TRUE(QFile::copy(FixturePath("clicks_120.mp3"), Song));
    }

    static std::vector<double> Times(const QJsonArray& array) {
        std::vector<double> times;
        for (const auto& value : array)
            times.push_back(value.toDouble());
        return times;
    }
    static void ExpectOnTheClicks(const std::vector<double>& times, const char* what) {
        const TBeatMatch match = MatchBeats(times, Clicks120(), 30, 3000);
        EXPECT_GE(match.Recall(), 0.9) << what << ": " << match.Matched << " of " << match.Clicks;
        EXPECT_GE(match.Precision(), 0.9) << what << ": " << match.Beats;
    }
};

TEST_F(CliBeatsTest, PrintsTheTempoThenTheBeatsAndWithOnsetsTheOnsetsMarked) {
    const CliRun run = Cli({"beats", Song, "--onsets"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Err.isEmpty()) << run.Err.toStdString();
    QStringList lines = run.Out.split('\n');
    ASSERT_EQ(lines.takeLast(), QString());
    ASSERT_GT(lines.size(), 40);
    bool ok = false;
    EXPECT_NEAR(lines.takeFirst().toDouble(&ok), 120, 2);
    EXPECT_TRUE(ok);
    std::vector<double> beats;
    std::vector<double> onsets;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("onset "))) {
            onsets.push_back(line.mid(6).toDouble(&ok));
        } else {
            EXPECT_TRUE(onsets.empty()) << "a beat after the onsets: " << line.toStdString();
            beats.push_back(line.toDouble(&ok));
        }
        EXPECT_TRUE(ok) << line.toStdString();
    }
    ExpectOnTheClicks(beats, "beats");
    ExpectOnTheClicks(onsets, "onsets");
    // Kept beside the song for the editor, and read from there the next time.
    const QString beatFile = Dir.filePath(QStringLiteral("clicks.beats"));
    ASSERT_TRUE(QFileInfo::exists(beatFile));
    const QDateTime written = QFileInfo(beatFile).lastModified();
    const CliRun again = Cli({"beats", Song, "--onsets"});
    EXPECT_EQ(again.Out, run.Out);
    EXPECT_EQ(QFileInfo(beatFile).lastModified(), written);
    // Without --onsets only the tempo and the beats.
    const CliRun plain = Cli({"beats", Song});
    EXPECT_EQ(plain.Out.split('\n').size(), static_cast<qsizetype>(beats.size()) + 2);
    EXPECT_FALSE(plain.Out.contains(QLatin1String("onset")));
}

TEST_F(CliBeatsTest, JsonHoldsTheSameTempoAndTimes) {
    const CliRun plain = Cli({"beats", Song});
    const CliRun run = Cli({"beats", Song, "--json", "--onsets"});
    ASSERT_EQ(run.Code, 0) << run.Err.toStdString();
    QJsonParseError error;
    const QJsonObject beats = QJsonDocument::fromJson(run.Out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.Out.toStdString();
    EXPECT_NEAR(beats["tempo_bpm"].toDouble(), 120, 2);
    const std::vector<double> times = Times(beats["beats_ms"].toArray());
    ExpectOnTheClicks(times, "beats");
    ExpectOnTheClicks(Times(beats["onsets_ms"].toArray()), "onsets");
    QStringList lines = plain.Out.split('\n', Qt::SkipEmptyParts);
    EXPECT_DOUBLE_EQ(lines.takeFirst().toDouble(), beats["tempo_bpm"].toDouble());
    ASSERT_EQ(static_cast<std::size_t>(lines.size()), times.size());
    for (std::size_t i = 0; i < times.size(); ++i)
        EXPECT_DOUBLE_EQ(lines[static_cast<qsizetype>(i)].toDouble(), times[i]);

    const CliRun noOnsets = Cli({"beats", Song, "--json"});
    const QJsonObject without = QJsonDocument::fromJson(noOnsets.Out.toUtf8()).object();
    EXPECT_FALSE(without.contains("onsets_ms"));
    EXPECT_EQ(without["beats_ms"].toArray(), beats["beats_ms"].toArray());
}

TEST_F(CliBeatsTest, RefusesWhatIsNoSong) {
    const std::vector<std::pair<QStringList, int>> refused = {
        {{"beats", Dir.filePath(QStringLiteral("gone.mp3"))}, 2},
        {{"beats", FixturePath("not_an_mp3.mp3")}, 2},
        {{"beats", FixturePath("empty.mp3")}, 2},
        {{"beats"}, 1},
        {{"beats", Song, "--tempo"}, 1},
    };
    for (const auto& [args, code] : refused) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.Code, code) << args.join(' ').toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_FALSE(run.Err.isEmpty()) << args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(FixturePath("not_an_mp3.beats")));
}

} // namespace
