// A song's length without a scan of the whole stream: the encoder's Info tag is trusted only
// when it describes the file as it is, and the length it gives is the scanned one, sample for
// sample, with the tag and without it.
#include "audio/decode/SongLength.h"
#include "audio/decode/Mpg123Handle.h"
#include "support/TestSongs.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mpg123.h>

#include <iterator>
#include <vector>

using namespace lumivox;
using lumivox::test::FixturePath;

namespace {

struct Scanned {
    std::int64_t Frames = -1;  // MPEG frames
    std::int64_t Samples = -1; // sample frames, gapless
};

// What libmpg123 finds by reading every frame of the song, the way the length was always
// taken before the tag was used.
Scanned ScanWholeSong(const QString& path) {
    InitialiseDecoderLibrary();
    Scanned result;
    int status = MPG123_OK;
    Mpg123Handle handle(mpg123_new(nullptr, &status));
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (!handle)
        return result;
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    if (mpg123_open(handle.get(), QFile::encodeName(path).constData()) != MPG123_OK ||
        mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK ||
        mpg123_scan(handle.get()) != MPG123_OK)
        return result;
    result.Frames = mpg123_framelength(handle.get());
    result.Samples = mpg123_length(handle.get());
    return result;
}

const char* const TaggedSongs[] = {
    "song_350ms.mp3", "song_10s.mp3", "song_60_05s.mp3",          "song_mono.mp3",
    "song_48k.mp3",   "song_vbr.mp3", "song_levels_22k_mono.mp3", "song_id3.mp3"};
// No Info tag, or one that no longer describes the file (cut short after encoding).
const char* const UntaggedSongs[] = {"song_notag.mp3", "song_vbr_notag.mp3", "song_truncated.mp3"};

} // namespace

TEST(SongLength, TheTaggedAndTheScannedLengthAreTheSameSamples) {
    std::vector<const char*> songs(std::begin(TaggedSongs), std::end(TaggedSongs));
    songs.insert(songs.end(), std::begin(UntaggedSongs), std::end(UntaggedSongs));
    for (const char* name : songs) {
        const QString path = FixturePath(name);
        const Scanned scanned = ScanWholeSong(path);
        ASSERT_GT(scanned.Samples, 0) << name;
        const std::optional<SongInfo> info = MeasureSong(path);
        ASSERT_TRUE(info) << name;
        EXPECT_EQ(info->Samples, scanned.Samples) << name;
        EXPECT_EQ(info->LengthMs, scanned.Samples * 1000 / info->Rate) << name;
    }
    // The songs without a tag really are ones a guess from the file size gets wrong.
    for (const char* name : UntaggedSongs) {
        InitialiseDecoderLibrary();
        int status = MPG123_OK;
        Mpg123Handle handle(mpg123_new(nullptr, &status));
        mpg123_param(handle.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
        ASSERT_TRUE(OpenMpg123File(handle.get(), FixturePath(name))) << name;
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        ASSERT_EQ(mpg123_getformat(handle.get(), &rate, &channels, &encoding), MPG123_OK);
        EXPECT_NE(mpg123_length(handle.get()), ScanWholeSong(FixturePath(name)).Samples)
            << name << ": without a scan the length is a guess";
    }
}

TEST(SongLength, OnlyATagThatDescribesTheFileAsItIsGivesTheFrameCount) {
    for (const char* name : TaggedSongs) {
        const std::optional<std::int64_t> frames = TaggedFrameCount(FixturePath(name));
        ASSERT_TRUE(frames) << name;
        EXPECT_EQ(*frames, ScanWholeSong(FixturePath(name)).Frames) << name;
    }
    for (const char* name : UntaggedSongs)
        EXPECT_FALSE(TaggedFrameCount(FixturePath(name))) << name;
    for (const char* name : {"not_an_mp3.mp3", "empty.mp3", "missing.mp3"})
        EXPECT_FALSE(TaggedFrameCount(FixturePath(name))) << name;

    // Bytes added after the encoder finished: another song appended, or an ID3v1 tag.
    QTemporaryDir dir;
    const QByteArray song = [] {
        QFile file(FixturePath("song_10s.mp3"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(song.isEmpty());
    auto write = [&dir](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString appended = write("appended.mp3", song + song);
    EXPECT_FALSE(TaggedFrameCount(appended));
    const std::optional<SongInfo> appendedInfo = MeasureSong(appended);
    ASSERT_TRUE(appendedInfo);
    EXPECT_EQ(appendedInfo->Samples, ScanWholeSong(appended).Samples);
    EXPECT_GT(appendedInfo->Samples, MeasureSong(FixturePath("song_10s.mp3"))->Samples);

    const QString withId3v1 = write("id3v1.mp3", song + "TAG" + QByteArray(125, ' '));
    EXPECT_EQ(TaggedFrameCount(withId3v1), TaggedFrameCount(FixturePath("song_10s.mp3")));
}
