// lumivox-cli play run as a rig would: the real binary, a real project over a real song, and
// the simulated playback unit on a pseudo-terminal. The show's changes reach the unit, a
// stop signal or the song's end blacks every output out with exit code 0, and what cannot be
// played is refused with a message and an exit code.
#include "audio/decode/MeasuredSongLoader.h"
#include "persistence/ProjectFile.h"
#include "support/PlaybackUnitProcess.h"
#include "support/ScriptedUserInterface.h"
#include "support/TestSongs.h"
#include "support/output/OlaTestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

using namespace lumivox;
using lumivox::test::FixturePath;
using lumivox::test::PlaybackUnitProcess;
using lumivox::test::ScriptedUserInterface;
using lumivox::test::TLoggedChange;

namespace {

class CliPlayTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;

    // A project over a copy of `song`: output 3 switches to 200 at slot index 2 (from 100 ms
    // on, as the editor sends it) and output 7 holds 50 from the start.
    QString MakeShow(const char* song) {
        const QString mp3 = Dir.filePath(QStringLiteral("song.mp3"));
        EXPECT_TRUE(QFile::copy(FixturePath(song), mp3));
        ShowDocument doc;
        ScriptedUserInterface ui;
        Language lang = Language::English;
        MeasuredSongLoader songs(doc, ui, lang);
        EXPECT_TRUE(songs.LoadSong(mp3));
        doc.SetProjectName(QStringLiteral("Rehearsal"));
        doc.SetSongFile(mp3);
        doc.AddTrack(lang);
        doc.AddTrack(lang);
        doc.SetOutput(1, 3);
        doc.SetOutput(2, 7);
        doc.FillSlots(1, 2, doc.Track(1).SlotCount() - 1, 200);
        doc.FillSlots(2, 1, doc.Track(2).SlotCount() - 1, 50);
        ProjectFile file(doc, ui, songs);
        QString path = Dir.filePath(QStringLiteral("show.PRJ"));
        EXPECT_TRUE(file.WriteProject(path));
        return path;
    }
};

struct Finished {
    int Code = -1;
    QString Out;
    QString Err;
};

Finished Wait(QProcess& process) {
    EXPECT_TRUE(process.waitForFinished(30000));
    Finished done;
    done.Code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    done.Out = QString::fromUtf8(process.readAllStandardOutput());
    done.Err = QString::fromUtf8(process.readAllStandardError());
    return done;
}

Finished RunCli(const QStringList& args) {
    QProcess process;
    process.start(QString::fromUtf8(LUMIVOX_CLI_PATH), args);
    return Wait(process);
}

// Polls until `done` holds, for at most 20 s.
template <typename Predicate> bool WaitFor(Predicate done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool Holds(const std::vector<TLoggedChange>& changes, int output, int value) {
    return std::any_of(changes.begin(), changes.end(), [&](const TLoggedChange& change) {
        return change.Output == output && change.Value == value;
    });
}

} // namespace

TEST_F(CliPlayTest, TheShowReachesTheUnitAndEachStopSignalBlacksOutWithExitCodeZero) {
    const QString project = MakeShow("song_10s.mp3");
    for (const int signal : {SIGINT, SIGTERM}) {
        PlaybackUnitProcess unit;
        ASSERT_FALSE(unit.Path.isEmpty());
        QProcess cli;
        cli.start(QString::fromUtf8(LUMIVOX_CLI_PATH),
                  {QStringLiteral("play"), project, QStringLiteral("--port"), unit.Path});
        ASSERT_TRUE(cli.waitForStarted(10000));
        // The first slot's state, then the change at 100 ms.
        ASSERT_TRUE(WaitFor([&] { return Holds(unit.Changes(), 3, 200); }))
            << cli.readAllStandardError().toStdString();
        const std::vector<TLoggedChange> played = unit.Changes();
        EXPECT_TRUE(Holds(played, 7, 50));
        EXPECT_EQ(std::find_if(played.begin(), played.end(),
                               [](const TLoggedChange& c) { return c.Output == 3; })
                      ->Value,
                  0)
            << "output 3 is told its first slot's 0 before its change";
        EXPECT_EQ(cli.state(), QProcess::Running) << "the song is far from its end";

        ::kill(static_cast<pid_t>(cli.processId()), signal);
        const Finished done = Wait(cli);
        EXPECT_EQ(done.Code, 0) << signal << done.Err.toStdString();
        EXPECT_TRUE(done.Out.contains(QStringLiteral("Stopped."))) << done.Out.toStdString();
        const std::vector<int> levels = unit.FinalState();
        ASSERT_EQ(levels.size(), 256u);
        EXPECT_EQ(std::count(levels.begin(), levels.end(), 0), 256) << "every output is dark";
    }
}

// The same show into a DMX universe of the test run's olad, read back by another client.
class DmxCliOladTest : public CliPlayTest {};

TEST_F(DmxCliOladTest, TheShowReachesTheUniverseAndCtrlCBlacksItOut) {
    QString why;
    const std::optional<std::uint16_t> port = test::SharedOladPort(&why);
    if (!port)
        GTEST_SKIP() << "olad cannot start here: " << why.toStdString();
    const QString project = MakeShow("song_10s.mp3");
    constexpr unsigned Universe = 5;
    test::UniverseReader reader(*port, Universe);
    ASSERT_TRUE(WaitFor([&] { return reader.Ready(); }));
    QProcess cli;
    cli.start(QString::fromUtf8(LUMIVOX_CLI_PATH),
              {QStringLiteral("play"), project, QStringLiteral("--dmx"), QString::number(Universe),
               QStringLiteral("--ola-port"), QString::number(*port)});
    ASSERT_TRUE(cli.waitForStarted(10000));
    // Channel n is output n: 3 goes to 200 from 100 ms on, 7 holds 50, the rest stay dark.
    EXPECT_TRUE(reader.WaitFor([](const TDmxFrame& frame) {
        return frame[2] == 200 && frame[6] == 50 && frame[0] == 0 && frame[3] == 0;
    })) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(reader.WaitFor(
        [](const TDmxFrame& frame) { return frame[2] == 0 && frame[6] == 50; }, 1000))
        << "the first slot's frame came before the change";
    EXPECT_EQ(cli.state(), QProcess::Running);

    ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
    const Finished done = Wait(cli);
    EXPECT_EQ(done.Code, 0) << done.Err.toStdString();
    const std::optional<TDmxFrame> last = reader.Last();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(std::count(last->begin(), last->end(), 0), static_cast<long>(last->size()))
        << "the universe is dark after the stop";
}

// olad gone when the show stops: the unit is still blacked out, at once and whole, and the
// DMX universe that could not be reached is named with a failing exit code.
TEST_F(CliPlayTest, AnUnreachableOladAtTheStopHoldsUpNeitherTheUnitsBlackoutNorTheExit) {
    const QString project = MakeShow("song_10s.mp3");
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    QProcess cli;
    // Nothing listens on the discard port here: every frame is refused.
    cli.start(QString::fromUtf8(LUMIVOX_CLI_PATH),
              {QStringLiteral("play"), project, QStringLiteral("--port"), unit.Path,
               QStringLiteral("--dmx"), QStringLiteral("1"), QStringLiteral("--ola-port"),
               QStringLiteral("9")});
    ASSERT_TRUE(cli.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return Holds(unit.Changes(), 3, 200); }))
        << cli.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(cli.processId()), SIGTERM);
    const Finished done = Wait(cli);
    EXPECT_EQ(done.Code, 2) << done.Err.toStdString();
    EXPECT_TRUE(done.Err.contains(QStringLiteral("the blackout did not reach the DMX universe 1")))
        << done.Err.toStdString();
    EXPECT_FALSE(done.Err.contains(QStringLiteral("serial port"))) << done.Err.toStdString();
    const std::vector<int> levels = unit.FinalState();
    ASSERT_EQ(levels.size(), 256u);
    EXPECT_EQ(std::count(levels.begin(), levels.end(), 0), 256) << "every output is dark";
}

TEST_F(CliPlayTest, TheSongsEndStopsTheShowAndBlacksOut) {
    const QString project = MakeShow("song_350ms.mp3");
    PlaybackUnitProcess unit;
    ASSERT_FALSE(unit.Path.isEmpty());
    const Finished done =
        RunCli({QStringLiteral("play"), project, QStringLiteral("--port"), unit.Path});
    EXPECT_EQ(done.Code, 0) << done.Err.toStdString();
    EXPECT_TRUE(done.Out.contains(QStringLiteral("End of the song."))) << done.Out.toStdString();
    const std::vector<TLoggedChange> changes = unit.Changes();
    EXPECT_TRUE(Holds(changes, 3, 200));
    EXPECT_TRUE(Holds(changes, 7, 50));
    const std::vector<int> levels = unit.FinalState();
    ASSERT_EQ(levels.size(), 256u);
    EXPECT_EQ(std::count(levels.begin(), levels.end(), 0), 256);
}

// Outputs that trail the song by 500 ms never reach a change 100 ms into a 350 ms song;
// leading it by 200 ms, they reach it at once.
TEST_F(CliPlayTest, TheOffsetShiftsWhatTheUnitIsSentAgainstTheSong) {
    const QString project = MakeShow("song_350ms.mp3");
    for (const auto& [offset, reached] : {std::pair{"-500", false}, std::pair{"200", true}}) {
        PlaybackUnitProcess unit;
        ASSERT_FALSE(unit.Path.isEmpty());
        const Finished done = RunCli({QStringLiteral("play"), project, QStringLiteral("--port"),
                                      unit.Path, QStringLiteral("--offset"), offset});
        EXPECT_EQ(done.Code, 0) << done.Err.toStdString();
        const std::vector<TLoggedChange> changes = unit.Changes();
        EXPECT_EQ(Holds(changes, 3, 200), reached) << "offset " << offset;
        EXPECT_TRUE(Holds(changes, 7, 50)) << "offset " << offset;
    }
}

TEST_F(CliPlayTest, WhatCannotBePlayedIsRefusedWithAMessage) {
    const QString project = MakeShow("song_350ms.mp3");
    const QString damaged = Dir.filePath(QStringLiteral("damaged.PRJ"));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is no show\r\n");
    }
    struct Case {
        QStringList Args;
        int Code;
        const char* Says;
    };
    const QString missing = Dir.filePath(QStringLiteral("none.PRJ"));
    for (const Case& c : {
             Case{{"play", missing}, 2, "cannot read the project"},
             Case{{"play", damaged}, 2, "cannot read the project"},
             Case{{"play", project, "--port", Dir.filePath(QStringLiteral("no-tty"))},
                  2,
                  "cannot open the serial port"},
             Case{{"play", project, "--dmx", "1", "--ola-port", "0"},
                  1,
                  "--ola-port needs a port number"},
             Case{{"play", project, "--dmx", "one"}, 1, "--dmx needs a universe number"},
             Case{{"play", project, "--dmx", "-3"}, 1, "--dmx needs a universe number"},
             Case{{"play", project, "--port"}, 1, "option --port needs a value"},
             Case{{"play", project, "--offset", "501"}, 1, "--offset needs milliseconds"},
             Case{{"play", project, "--offset", "soon"}, 1, "--offset needs milliseconds"},
             Case{{"play"}, 1, "play needs one PROJECT"},
             Case{{"play", project, project}, 1, "play needs one PROJECT"},
         }) {
        const Finished done = RunCli(c.Args);
        EXPECT_EQ(done.Code, c.Code) << c.Args.join(' ').toStdString();
        EXPECT_TRUE(done.Err.contains(QLatin1String(c.Says)))
            << c.Args.join(' ').toStdString() << ": " << done.Err.toStdString();
    }
    const Finished help = RunCli({QStringLiteral("--help")});
    EXPECT_TRUE(help.Out.contains(QStringLiteral(
        "play PROJECT [--port DEVICE] [--dmx UNIVERSE [--ola-port PORT]] [--offset MS]")));
}
