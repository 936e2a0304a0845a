// The WAV reader on hand-made files: header check, chunk walking, bounded reads, its errors
// and damaged files.
#include "audio/decode/WaveFile.h"

#include "ImportTestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::test;

namespace {

class WaveFileTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;

    QString Write(const QByteArray& bytes) {
        QString path = Dir.filePath(QStringLiteral("test.wav"));
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    // The error text Open raises, empty when it opens.
    QString OpenError(TWaveFileStream& wave, const QByteArray& bytes) {
        const QString path = Write(bytes);
        try {
            wave.Open(path);
        } catch (const EWaveStreamError& error) {
            return error.Text();
        }
        return QString();
    }
};

TEST_F(WaveFileTest, FindsFormatAndDataAmongOtherChunks) {
    const QByteArray samples = StereoFrames({{1, -1}, {256, -256}, {32767, -32768}});
    // A chunk of odd length is followed directly by the next header, without padding.
    const QByteArray file = RiffWave(Chunk("LIST", "abc") + Chunk("fmt ", FormatBody(2, 44100)) +
                                     Chunk("junk", QByteArray(10, 'x')) + Chunk("data", samples));
    TWaveFileStream wave;
    ASSERT_EQ(OpenError(wave, file), QString());
    EXPECT_TRUE(wave.IsOpen());
    const TWaveFormat format = wave.Format();
    EXPECT_EQ(format.FormatTag, 1);
    EXPECT_EQ(format.Channels, 2);
    EXPECT_EQ(format.SamplesPerSec, 44100u);
    EXPECT_EQ(format.BitsPerSample, 16);
    EXPECT_EQ(wave.DataStart(), file.indexOf("data") + 8);
    EXPECT_EQ(wave.DataLength(), samples.size());

    char buffer[64] = {};
    EXPECT_EQ(wave.Read(buffer, 64), samples.size()); // never past the data chunk
    EXPECT_EQ(QByteArray(buffer, static_cast<int>(samples.size())), samples);
    EXPECT_EQ(wave.Read(buffer, 64), 0);
    wave.SetPosition(4);
    EXPECT_EQ(wave.Read(buffer, 4), 4);
    EXPECT_EQ(QByteArray(buffer, 4), samples.mid(4, 4));
    wave.SetPosition(1000); // clamped to the end
    EXPECT_EQ(wave.Position(), samples.size());
    EXPECT_EQ(wave.Read(buffer, 4), 0);
}

TEST_F(WaveFileTest, RaisesItsErrors) {
    TWaveFileStream wave;
    char buffer[4];
    try {
        wave.Read(buffer, 4);
        ADD_FAILURE() << "reading a closed stream";
    } catch (const EWaveStreamError& error) {
        EXPECT_EQ(error.Text(), "Stream not opend");
    }

    EXPECT_EQ(OpenError(wave, QByteArrayLiteral("RIFX\x04\0\0\0WAVE")), "Wave is invalid");
    EXPECT_EQ(OpenError(wave, QByteArrayLiteral("RIFF\x04\0\0\0AVI ")), "Wave is invalid");
    EXPECT_EQ(OpenError(wave, QByteArrayLiteral("RIFF")), "Wave is invalid");
    EXPECT_EQ(OpenError(wave, QByteArray()), "Wave is invalid");
    EXPECT_FALSE(wave.IsOpen());

    ASSERT_EQ(OpenError(wave, RiffWave(Chunk("data", "abcd"))), QString());
    EXPECT_EQ(OpenError(wave, RiffWave(Chunk("data", "abcd"))), "Stream has already been opened");
    EXPECT_TRUE(wave.IsOpen()); // the open stream is untouched
    wave.Close();
    EXPECT_THROW(wave.Read(buffer, 4), EWaveStreamError);

    EXPECT_THROW(wave.Open(Dir.filePath(QStringLiteral("missing.wav"))), EWaveStreamError);
}

TEST_F(WaveFileTest, SurvivesDamagedChunkLists) {
    TWaveFileStream wave;
    // A data chunk claiming far more than the file holds is cut to what is there.
    ASSERT_EQ(OpenError(wave, RiffWave(Chunk("fmt ", FormatBody(2, 44100)) +
                                       Chunk("data", QByteArray(100, '\1'), 0xFFFFFFF0u))),
              QString());
    EXPECT_EQ(wave.DataLength(), 100);
    std::vector<char> big(4096);
    EXPECT_EQ(wave.Read(big.data(), 4096), 100);
    wave.Close();

    // A format chunk with an absurd length is read as far as the file goes.
    ASSERT_EQ(OpenError(wave, RiffWave(Chunk("fmt ", FormatBody(2, 44100), 0x7FFFFFFFu))),
              QString());
    EXPECT_EQ(wave.FormatChunk().size(), 16);
    EXPECT_EQ(wave.DataLength(), 0);
    wave.Close();

    // A chunk whose length runs past the end hides what would follow; so does an
    // identifier of four zero bytes.
    ASSERT_EQ(OpenError(wave, RiffWave(Chunk("junk", "xy", 1000) + Chunk("data", "abcd"))),
              QString());
    EXPECT_EQ(wave.DataLength(), 0);
    wave.Close();
    ASSERT_EQ(OpenError(wave, RiffWave(QByteArray(8, '\0') + Chunk("data", "abcd"))), QString());
    EXPECT_EQ(wave.DataLength(), 0);
    wave.Close();

    // A header cut short at the end of the file ends the list.
    ASSERT_EQ(OpenError(wave, RiffWave(Chunk("data", "abcd") + "fmt")), QString());
    EXPECT_EQ(wave.DataLength(), 4);
    EXPECT_TRUE(wave.FormatChunk().isEmpty());
    EXPECT_EQ(wave.Format().Channels, 0);
}

} // namespace
