// The decoder component on real MP3 files: the WAV file it writes, its polling signals, its
// errors, and stopping it.
#include "audio/decode/Mp3Decoder.h"
#include "audio/decode/SongLength.h"
#include "audio/decode/WaveFile.h"

#include "ImportTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

// The code TMPEGPlayer raises for `action`, or -1 when it raises nothing.
template <typename Action> int RaisedCode(Action action) {
    try {
        action();
    } catch (const TMPEGError& error) {
        EXPECT_EQ(error.Text(), TMPEGPlayer::ErrorText(error.Code()));
        return error.Code();
    }
    return -1;
}

class Mp3DecoderTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TMPEGPlayer Player;
    std::vector<qint64> Positions;
    int Ends = 0;

    void SetUp() override {
        QObject::connect(&Player, &TMPEGPlayer::OnPosUpdate,
                         [this](qint64 position) { Positions.push_back(position); });
        QObject::connect(&Player, &TMPEGPlayer::OnPlayEnd, [this] { ++Ends; });
    }

    QString Output() const { return Dir.filePath(QStringLiteral("out.wav")); }

    // Decodes frames start..end of `song` into Output() and waits for OnPlayEnd (with a
    // generous limit against a hang, not a speed check).
    void Decode(const QString& song, std::int64_t start = 0, std::int64_t end = 0) {
        Player.Open(song);
        Player.SetOutputDevice(TMPEGOutputDevice::pcmfile, Output());
        QEventLoop loop;
        QObject::connect(&Player, &TMPEGPlayer::OnPlayEnd, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        Player.Play(start, end);
        loop.exec();
        ASSERT_EQ(Ends, 1);
        EXPECT_FALSE(Player.IsPlaying());
    }

    QByteArray Samples() {
        TWaveFileStream wave;
        wave.Open(Output());
        QByteArray data(static_cast<qsizetype>(wave.DataLength()), '\0');
        EXPECT_EQ(wave.Read(data.data(), data.size()), data.size());
        return data;
    }
};

TEST_F(Mp3DecoderTest, WritesA16BitStereoWaveOfTheWholeSong) {
    const QString song = FixturePath("song_350ms.mp3");
    ASSERT_NO_FATAL_FAILURE(Decode(song));
    EXPECT_EQ(Player.LastError(), 0);
    const auto info = MeasureSong(song);
    ASSERT_TRUE(info);
    EXPECT_EQ(Player.GetLength(), info->Samples);
    EXPECT_EQ(Player.GetFrequency(), 44100);

    TWaveFileStream wave;
    wave.Open(Output());
    const TWaveFormat format = wave.Format();
    EXPECT_EQ(format.FormatTag, 1);
    EXPECT_EQ(format.Channels, 2);
    EXPECT_EQ(format.SamplesPerSec, 44100u);
    EXPECT_EQ(format.AvgBytesPerSec, 44100u * 4);
    EXPECT_EQ(format.BlockAlign, 4);
    EXPECT_EQ(format.BitsPerSample, 16);
    EXPECT_EQ(wave.DataStart(), 44);
    EXPECT_EQ(wave.DataLength(), info->Samples * 4);
    const QByteArray file = ReadFile(Output());
    EXPECT_EQ(qFromLittleEndian<std::uint32_t>(file.constData() + 4), file.size() - 8);

    // Every report lies within the song and none goes back; the last one is the end.
    ASSERT_FALSE(Positions.empty());
    EXPECT_TRUE(std::is_sorted(Positions.begin(), Positions.end()));
    EXPECT_EQ(Positions.back(), Player.GetLength());
}

TEST_F(Mp3DecoderTest, WritesMonoSongsAsStereoAndKeepsOtherRates) {
    ASSERT_NO_FATAL_FAILURE(Decode(FixturePath("song_mono.mp3")));
    TWaveFileStream wave;
    wave.Open(Output());
    EXPECT_EQ(wave.Format().Channels, 2);
    const QByteArray data = Samples();
    ASSERT_EQ(data.size(), MeasureSong(FixturePath("song_mono.mp3"))->Samples * 4);
    int loud = 0;
    for (qsizetype at = 0; at + 4 <= data.size(); at += 4) {
        const auto left = qFromLittleEndian<std::int16_t>(data.constData() + at);
        ASSERT_EQ(left, qFromLittleEndian<std::int16_t>(data.constData() + at + 2)) << at;
        loud += std::abs(left) > 8000 ? 1 : 0;
    }
    EXPECT_GT(loud, 1000); // real sound, not silence

    // A 48 kHz song decodes at 48 kHz: refusing it is the import's business.
    Ends = 0;
    ASSERT_NO_FATAL_FAILURE(Decode(FixturePath("song_48k.mp3")));
    EXPECT_EQ(Player.GetFrequency(), 48000);
    wave.Close();
    wave.Open(Output());
    EXPECT_EQ(wave.Format().SamplesPerSec, 48000u);
}

TEST_F(Mp3DecoderTest, DecodesARangeWithTheSamplesOfTheWholeDecode) {
    const QString song = FixturePath("song_vbr.mp3");
    ASSERT_NO_FATAL_FAILURE(Decode(song));
    const QByteArray whole = Samples();
    Ends = 0;
    ASSERT_NO_FATAL_FAILURE(Decode(song, 44100 * 7 + 13, 44100 * 9));
    const QByteArray part = Samples();
    ASSERT_EQ(part.size(), (44100 * 2 - 13) * 4);
    EXPECT_TRUE(part == whole.mid((44100 * 7 + 13) * 4, part.size()));
}

TEST_F(Mp3DecoderTest, RaisesItsErrorsWithTheirTexts) {
    const std::pair<int, const char*> texts[] = {{0, "MPEG library not loaded"},
                                                 {1, "Internal decoder error"},
                                                 {2, "Incorrect mode"},
                                                 {3, "Input stream error"},
                                                 {4, "Input stream is non-seekable"},
                                                 {5, "Output device failure"},
                                                 {254, "Can't play non-specified stream"}};
    for (const auto& [code, text] : texts)
        EXPECT_EQ(TMPEGPlayer::ErrorText(code), text) << code;

    EXPECT_EQ(RaisedCode([&] { Player.Open(QString()); }), 254);
    EXPECT_EQ(Player.LastError(), 254);
    EXPECT_EQ(RaisedCode([&] { Player.Play(); }), 2); // nothing open
    for (const char* bad : {"not_an_mp3.mp3", "empty.mp3", "missing.mp3"}) {
        EXPECT_EQ(RaisedCode([&] { Player.Open(FixturePath(bad)); }), 3) << bad;
        EXPECT_FALSE(Player.IsOpen());
    }
    EXPECT_EQ(RaisedCode([&] { Player.Open(Dir.path()); }), 3);
    // A pipe with no writer would block an open for ever: it is refused at once.
    const QString fifo = Dir.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(RaisedCode([&] { Player.Open(fifo); }), 3);

    Player.Open(FixturePath("song_350ms.mp3"));
    EXPECT_EQ(Player.LastError(), 0);
    Player.SetOutputDevice(TMPEGOutputDevice::wavemapper, Output());
    EXPECT_EQ(RaisedCode([&] { Player.Play(); }), 5);
    Player.SetOutputDevice(TMPEGOutputDevice::pcmfile, Dir.filePath(QStringLiteral("no/out.wav")));
    EXPECT_EQ(RaisedCode([&] { Player.Play(); }), 5);
    Player.SetOutputDevice(TMPEGOutputDevice::pcmfile, Output());
    EXPECT_EQ(RaisedCode([&] { Player.Play(); }), -1);
    if (Player.IsPlaying()) {
        EXPECT_EQ(RaisedCode([&] { Player.Play(); }), 2);
    }
    Player.Close();
    EXPECT_FALSE(Player.IsOpen());
}

TEST_F(Mp3DecoderTest, ATruncatedSongEndsCleanlyWithWhatItHolds) {
    ASSERT_NO_FATAL_FAILURE(Decode(FixturePath("song_truncated.mp3")));
    EXPECT_EQ(Player.LastError(), 0);
    const QByteArray data = Samples();
    EXPECT_GT(data.size(), 0);
    EXPECT_LT(data.size(), 44100 * 4 * 10);
    EXPECT_EQ(data.size(), Player.GetLength() * 4);
}

TEST_F(Mp3DecoderTest, StopAndCloseEndDecodingWithoutAnEndReport) {
    Player.Open(FixturePath("song_60_05s.mp3"));
    Player.SetOutputDevice(TMPEGOutputDevice::pcmfile, Output());
    Player.Play();
    Player.Stop();
    EXPECT_FALSE(Player.IsPlaying());
    EXPECT_TRUE(Player.IsOpen());
    // What was written before the stop is a consistent WAV file.
    TWaveFileStream wave;
    wave.Open(Output());
    EXPECT_EQ(wave.DataLength(), QFileInfo(Output()).size() - 44);
    EXPECT_LE(wave.DataLength(), Player.GetLength() * 4);
    wave.Close();

    // Closing from a position report ends that poll too.
    QObject::connect(&Player, &TMPEGPlayer::OnPosUpdate, &Player, [this] { Player.Close(); });
    Player.Play();
    QEventLoop loop;
    QObject::connect(&Player, &TMPEGPlayer::OnPosUpdate, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(Positions.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Player.IsOpen());
    EXPECT_EQ(Ends, 0);
}

} // namespace
