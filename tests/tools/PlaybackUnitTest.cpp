// The simulated playback unit: its side of the protocol (acknowledges, noise, silence, late
// answers, starting over after an abandoned command) and the playing of a sequence file.
#include "PlaybackUnit.h"

#include "output/SequenceExport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lumivox;
using namespace lumivox::unit;
using namespace std::chrono_literals;

namespace {

const Clock::time_point T0 = Clock::time_point{} + 1000s;

// Feeds bytes at `at` and returns the changes completed.
std::vector<TUnitChange> Feed(PlaybackUnit& unit, std::initializer_list<int> bytes,
                              Clock::time_point at) {
    std::vector<TUnitChange> changes;
    for (int byte : bytes)
        if (auto change = unit.Receive(static_cast<std::uint8_t>(byte), at))
            changes.push_back(*change);
    return changes;
}

} // namespace

TEST(PlaybackUnitProtocol, AcknowledgesTheStartAndTheValueAndKeepsTheLevel) {
    PlaybackUnit unit;
    EXPECT_TRUE(Feed(unit, {0x1A}, T0).empty());
    EXPECT_EQ(unit.TakeDueReplies(T0), std::vector<std::uint8_t>{0x01});
    const auto changes = Feed(unit, {3, 255}, T0 + 1ms);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Arrival, T0); // the time the change started
    EXPECT_EQ(changes[0].Output, 3);
    EXPECT_EQ(changes[0].Value, 255);
    EXPECT_EQ(unit.Outputs()[3], 255);
    EXPECT_EQ(unit.TakeDueReplies(T0 + 1ms), std::vector<std::uint8_t>{0x01});
    // Protocol bytes are plain data inside a command; stray bytes between commands are not.
    Feed(unit, {0x42, 0x01}, T0 + 2ms);
    EXPECT_TRUE(unit.TakeDueReplies(T0 + 2ms).empty());
    EXPECT_EQ(Feed(unit, {0x1A, 0x1A, 0x1A}, T0 + 3ms).size(), 1u);
    EXPECT_EQ(unit.Outputs()[0x1A], 0x1A);
    EXPECT_EQ(unit.ChangeCount(), 2u);
}

TEST(PlaybackUnitProtocol, MisbehavesAsAskedNoiseSilenceAndLateAnswers) {
    PlaybackUnit noisy(TUnitBehaviour{true, 3, 0ms});
    Feed(noisy, {0x1A}, T0);
    EXPECT_EQ(noisy.TakeDueReplies(T0), (std::vector<std::uint8_t>{0x55, 0x55, 0x55, 0x01}));

    PlaybackUnit silent(TUnitBehaviour{false, 0, 0ms});
    Feed(silent, {0x1A, 7}, T0);
    EXPECT_FALSE(silent.NextReplyDue().has_value());
    EXPECT_EQ(Feed(silent, {9}, T0 + 1ms).size(), 1u); // it still takes the change
    EXPECT_EQ(silent.Outputs()[7], 9);

    PlaybackUnit late(TUnitBehaviour{true, 0, 250ms});
    Feed(late, {0x1A}, T0);
    EXPECT_EQ(late.NextReplyDue(), T0 + 250ms);
    EXPECT_TRUE(late.TakeDueReplies(T0 + 249ms).empty());
    EXPECT_EQ(late.TakeDueReplies(T0 + 250ms), std::vector<std::uint8_t>{0x01});
}

TEST(PlaybackUnitProtocol, ACommandAbandonedBySenderIsDroppedAndTheNextStartCounts) {
    PlaybackUnit unit;
    Feed(unit, {0x1A}, T0);
    unit.TakeDueReplies(T0);
    // The sender gave up (it never sent the output): its next change starts afresh.
    const auto changes = Feed(unit, {0x1A, 5, 50}, T0 + PlaybackUnit::ResyncGap + 1ms);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Output, 5);
    EXPECT_EQ(changes[0].Value, 50);
    EXPECT_EQ(unit.Outputs()[0x1A], 0);
}

TEST(PlaybackUnitProgram, PlaysASequenceFileWithEachFrameAtItsSlot) {
    QTemporaryDir dir;
    // 500 ms slots: output 5 at 1 from the start, 2 at 200 from slot 3, 5 back to 0 at slot 4.
    std::vector<TTrameOfContactorEvent> frames(3);
    frames[0].add(5, 1);
    frames[0].slot = 3;
    frames[1].add(2, 200);
    frames[1].slot = 4;
    frames[2].add(5, 0);
    const TEncodedSequence encoded = EncodeSequenceFile(frames, 500);
    const QString seq = dir.filePath(QStringLiteral("show.seq"));
    QFile file(seq);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encoded.Bytes);
    file.close();

    const QString log = dir.filePath(QStringLiteral("unit.log"));
    const QString state = dir.filePath(QStringLiteral("unit.state"));
    QProcess unit;
    unit.start(QString::fromUtf8(LUMIVOX_UNIT_PATH),
               {QStringLiteral("--quiet"), QStringLiteral("--log"), log, QStringLiteral("--play"),
                seq, QStringLiteral("--state"), state});
    ASSERT_TRUE(unit.waitForStarted(10000));
    ASSERT_TRUE(unit.waitForReadyRead(10000));
    EXPECT_TRUE(unit.readLine().startsWith("/dev/"));
    // The last frame is due at 2 s; wait for it to be logged.
    QByteArray text;
    for (int k = 0; k < 200 && text.count('\n') < 3; ++k) {
        unit.waitForFinished(50);
        QFile read(log);
        if (read.open(QIODevice::ReadOnly))
            text = read.readAll();
    }
    unit.terminate();
    unit.waitForFinished(5000);
    const QList<QByteArray> lines = text.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3);
    const double expectedMs[] = {0, 1500, 2000};
    const char* expected[] = {"seq 5 1", "seq 2 200", "seq 5 0"};
    for (int k = 0; k < 3; ++k) {
        const QList<QByteArray> fields = lines[k].split(' ');
        ASSERT_EQ(fields.size(), 5);
        EXPECT_DOUBLE_EQ(fields[1].toDouble(), expectedMs[k]);
        EXPECT_EQ(fields[2] + ' ' + fields[3] + ' ' + fields[4], QByteArray(expected[k]));
    }
    // On exit it writes every output's last level.
    QFile levels(state);
    ASSERT_TRUE(levels.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = levels.readAll().trimmed().split('\n');
    ASSERT_EQ(rows.size(), 256);
    EXPECT_EQ(rows[2], QByteArray("2 200"));
    EXPECT_EQ(rows[5], QByteArray("5 0"));
    EXPECT_EQ(rows[255], QByteArray("255 0"));
}

TEST(PlaybackUnitProgram, RefusesAFileThatIsNotASequence) {
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.seq"));
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a sequence");
    file.close();
    QProcess unit;
    unit.start(QString::fromUtf8(LUMIVOX_UNIT_PATH), {QStringLiteral("--play"), bad});
    ASSERT_TRUE(unit.waitForFinished(10000));
    EXPECT_EQ(unit.exitCode(), 1);
    EXPECT_TRUE(unit.readAllStandardError().contains("not a sequence file"));
}
