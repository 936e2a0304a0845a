// The beat file: its name, its text read back and refused when damaged, and the song's beats
// found through it: reused while current, found again when stale or damaged, and kept in the
// per-user cache folder when the song's folder is read-only.
#include "audio/analysis/BeatCache.h"

#include "ImportTestSupport.h"

#include <QDateTime>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

TBeatFile Sample() {
    return {{583679, 1765286520123}, {120.5, {250, 750.5, 1250}, {249.9, 1000.1}}};
}

TEST(BeatFileTest, NamesNeverTakeTheSongsPlace) {
    EXPECT_EQ(BeatFileFor("/music/a.mp3"), "/music/a.beats");
    EXPECT_EQ(BeatFileFor("/music/a.b.MP3"), "/music/a.b.beats");
    EXPECT_EQ(BeatFileFor("/music/song"), "/music/song.beats");
    EXPECT_EQ(BeatFileFor("/music/loop.beats"), "/music/loop.beats.beats");
    EXPECT_EQ(BeatFileBesidePeaks("/cache/x/a.pks", "/music/a.mp3"), "/cache/x/a.beats");
}

TEST(BeatFileTest, TextReadsBackAsWritten) {
    const QByteArray text = FormatBeatFile(Sample());
    EXPECT_TRUE(text.startsWith("LUMIVOX-BEATS 1\nsource 583679 1765286520123\ntempo 120.500\n"
                                "beats 3\n250.0\n750.5\n1250.0\nonsets 2\n"));
    const std::optional<TBeatFile> back = ParseBeatFile(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Source, Sample().Source);
    EXPECT_EQ(back->Beats, Sample().Beats);
    // Nothing found is a file of its own, not a damaged one.
    const TBeatFile empty{{0, 0}, {}};
    ASSERT_TRUE(ParseBeatFile(FormatBeatFile(empty)));
    EXPECT_TRUE(ParseBeatFile(FormatBeatFile(empty))->Beats.IsEmpty());
    // The fastest tempo a file may hold is still read.
    TBeatFile fastest = Sample();
    fastest.Beats.TempoBpm = 400;
    ASSERT_TRUE(ParseBeatFile(FormatBeatFile(fastest)));
}

TEST(BeatFileTest, DamagedTextIsRefused) {
    const QByteArray good = FormatBeatFile(Sample());
    auto replaced = [&good](const char* from, const char* to) {
        QByteArray text = good;
        return text.replace(from, to);
    };
    const std::vector<std::pair<const char*, QByteArray>> damaged = {
        {"empty", QByteArray()},
        {"cut short", good.left(good.size() / 2)},
        {"no last newline", good.chopped(1)},
        {"other magic", replaced("LUMIVOX-BEATS 1", "LUMIVOX-BEATS 2")},
        {"source without date", replaced("source 583679 1765286520123", "source 583679")},
        {"negative tempo", replaced("tempo 120.500", "tempo -1")},
        {"tempo not a number", replaced("tempo 120.500", "tempo fast")},
        {"tempo past any song", replaced("tempo 120.500", "tempo 1e308")},
        {"tempo just past the fastest", replaced("tempo 120.500", "tempo 400.001")},
        {"beats without a tempo", replaced("tempo 120.500", "tempo 0")},
        {"tempo nan", replaced("tempo 120.500", "tempo nan")},
        {"more beats than lines", replaced("beats 3", "beats 30")},
        {"fewer beats than lines", replaced("beats 3", "beats 2")},
        {"count not whole", replaced("beats 3", "beats 2.5")},
        {"time not a number", replaced("750.5", "7x0.5")},
        {"times out of order", replaced("750.5", "1500.0")},
        {"negative time", replaced("250.0", "-250.0")},
        {"no end", replaced("end\n", "")},
        {"lines after end", good + "250.0\n"},
        {"binary", QByteArray("\x00\x01\x02\n", 4)},
    };
    for (const auto& [what, text] : damaged)
        EXPECT_FALSE(ParseBeatFile(text)) << what;
}

class BeatCacheTest : public ::testing::Test {
protected:
    SongFolder Folder;

    static void Touch(const QString& path, int seconds) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(file.fileTime(QFileDevice::FileModificationTime).addSecs(seconds),
                             QFileDevice::FileModificationTime));
    }
};

TEST_F(BeatCacheTest, BeatsAreFoundOnceThenReadWhileTheSongIsUnchanged) {
    const QString song = Folder.AddSong("clicks_120.mp3", "clicks.mp3");
    const TSongBeatsResult first = LoadOrFindBeats(song, Folder.Places);
    ASSERT_EQ(first.Origin, TBeatsOrigin::Analysed) << first.Error.toStdString();
    EXPECT_EQ(first.BeatFile, Folder.Song("clicks.beats"));
    EXPECT_NEAR(first.Beats.TempoBpm, 120, 2);
    EXPECT_EQ(Folder.SongFiles(), (QStringList{"clicks.beats", "clicks.mp3"}));

    const TSongBeatsResult again = LoadOrFindBeats(song, Folder.Places);
    EXPECT_EQ(again.Origin, TBeatsOrigin::Cache);
    EXPECT_EQ(again.BeatFile, first.BeatFile);
    EXPECT_EQ(again.Beats, first.Beats);

    // Touched, the song is analysed again and the file records it as it is now.
    Touch(song, 10);
    EXPECT_FALSE(ReadCurrentBeatFile(first.BeatFile, song));
    const TSongBeatsResult touched = LoadOrFindBeats(song, Folder.Places);
    EXPECT_EQ(touched.Origin, TBeatsOrigin::Analysed);
    EXPECT_EQ(touched.Beats, first.Beats);
    EXPECT_EQ(ReadCurrentBeatFile(first.BeatFile, song), first.Beats);

    // A song of another size under the same date is another song.
    const std::optional<TBeatSource> source = BeatSourceOf(song);
    TBeatFile other{{source->Size + 1, source->ModifiedMs}, {}};
    ASSERT_TRUE(WriteBeatFile(first.BeatFile, other));
    EXPECT_FALSE(ReadCurrentBeatFile(first.BeatFile, song));
}

TEST_F(BeatCacheTest, ADamagedBeatFileIsFoundAgainAndReplaced) {
    const QString song = Folder.AddSong("clicks_120.mp3", "clicks.mp3");
    const TSongBeatsResult first = LoadOrFindBeats(song, Folder.Places);
    ASSERT_EQ(first.Origin, TBeatsOrigin::Analysed);
    const QByteArray good = ReadFile(first.BeatFile);
    QByteArray impossible = good;
    impossible.replace(good.mid(good.indexOf("tempo "), good.indexOf('\n', good.indexOf("tempo ")) -
                                                            good.indexOf("tempo ")),
                       "tempo 1e308");
    ASSERT_NE(impossible, good);
    for (const QByteArray& damage : {good.left(good.size() / 3), QByteArray("garbage\n"),
                                     QByteArray(1000, '\xff'), impossible}) {
        ASSERT_TRUE(WriteFile(first.BeatFile, damage));
        const TSongBeatsResult again = LoadOrFindBeats(song, Folder.Places);
        EXPECT_EQ(again.Origin, TBeatsOrigin::Analysed);
        EXPECT_EQ(again.Beats, first.Beats);
        EXPECT_EQ(ReadFile(first.BeatFile), good);
    }
}

TEST_F(BeatCacheTest, AReadOnlySongFolderKeepsTheBeatFileInThePerUserFolder) {
    const QString song = Folder.AddSong("clicks_120.mp3", "clicks.mp3");
    const QString songFolder = QFileInfo(song).absolutePath();
    Folder.Places.IsWritable = [songFolder](const QString& folder) {
        return folder != songFolder && FolderIsWritable(folder);
    };
    const QString userFile = Folder.Places.UserBeatFile(song);
    EXPECT_EQ(QFileInfo(userFile).absolutePath(),
              QFileInfo(Folder.Places.UserPeakFile(song)).absolutePath());
    const TSongBeatsResult first = LoadOrFindBeats(song, Folder.Places);
    ASSERT_EQ(first.Origin, TBeatsOrigin::Analysed);
    EXPECT_EQ(first.BeatFile, userFile);
    EXPECT_EQ(Folder.SongFiles(), QStringList{"clicks.mp3"});
    EXPECT_EQ(ReadCurrentBeatFile(userFile, song), first.Beats);
    // Found there again, also once the folder has become writable.
    Folder.Places.IsWritable = FolderIsWritable;
    const TSongBeatsResult again = LoadOrFindBeats(song, Folder.Places);
    EXPECT_EQ(again.Origin, TBeatsOrigin::Cache);
    EXPECT_EQ(again.BeatFile, userFile);
}

TEST_F(BeatCacheTest, WhatIsNoSongGivesNoBeatsAndNoFile) {
    const QString text = Folder.AddSong("not_an_mp3.mp3", "text.mp3");
    const TSongBeatsResult result = LoadOrFindBeats(text, Folder.Places);
    EXPECT_EQ(result.Origin, TBeatsOrigin::None);
    EXPECT_FALSE(result.Error.isEmpty());
    EXPECT_EQ(LoadOrFindBeats(Folder.Song("missing.mp3"), Folder.Places).Origin,
              TBeatsOrigin::None);
    EXPECT_EQ(Folder.SongFiles(), QStringList{"text.mp3"});
}

} // namespace
