// Waiting for a server that a test or benchmark starts (a JACK dummy server, olad): as long as
// a loaded machine may need, polling, and returning as soon as the server answers; and, when it
// does not come up, a reason that says why: how the process ended, or that it never answered,
// with the last lines it printed.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <thread>

namespace lumivox::test {

// How long a server may take to come up. On a machine busy with other builds and test runs a
// JACK server has been seen to take more than ten seconds.
inline constexpr std::chrono::seconds ServerStartLimit{60};

// The last `count` lines of `text`, on one line each, indented.
inline QString LastLines(const QByteArray& text, int count = 8) {
    QStringList lines = QString::fromLocal8Bit(text).trimmed().split(QLatin1Char('\n'));
    if (lines.size() > count)
        lines = lines.mid(lines.size() - count);
    return lines.join(QLatin1Char('\n')).isEmpty()
               ? QStringLiteral("(it printed nothing)")
               : QStringLiteral("\n    ") + lines.join(QStringLiteral("\n    "));
}

// Why `server` (started with its channels merged) is not up: how it ended, or that it still
// runs without answering (and how the last attempt to reach it went), and the last lines of
// what it printed. `printed` gathers its output.
inline QString ServerFailure(QProcess& server, const QString& name, QByteArray& printed,
                             const QString& lastAttempt = {}) {
    printed += server.readAll();
    QString how;
    if (server.state() != QProcess::NotRunning)
        how = QStringLiteral("it still runs, but did not answer within %1 s")
                  .arg(ServerStartLimit.count());
    else if (server.exitStatus() == QProcess::CrashExit)
        how = QStringLiteral("it was ended by a signal (%1)").arg(server.errorString());
    else
        how = QStringLiteral("it exited with status %1").arg(server.exitCode());
    if (!lastAttempt.isEmpty())
        how += QStringLiteral(" (the last attempt to reach it: %1)").arg(lastAttempt);
    return QStringLiteral("%1 did not come up: %2; its last lines: %3")
        .arg(name, how, LastLines(printed));
}

// How a helper program ran: whether it exited with 0 and, when not, how it ended and what it
// printed last.
struct TProgramRun {
    bool Clean = false;
    QString How;
};

// Runs `program` with `arguments` in `environment` and waits at most `limitMs`.
inline TProgramRun
RunProgram(const QString& program, const QStringList& arguments, int limitMs,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    TProgramRun run;
    if (!process.waitForFinished(limitMs)) {
        process.kill();
        process.waitForFinished();
        run.How = QStringLiteral("%1 did not finish within %2 ms").arg(program).arg(limitMs);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        run.How = QStringLiteral("%1 crashed").arg(program);
    } else if (process.exitCode() != 0) {
        run.How = QStringLiteral("%1 exited with status %2").arg(program).arg(process.exitCode());
    } else {
        run.Clean = true;
        return run;
    }
    run.How += QStringLiteral(", saying: ") + LastLines(process.readAll(), 3);
    return run;
}

inline bool RunsCleanly(const QString& program, const QStringList& arguments, int limitMs) {
    return RunProgram(program, arguments, limitMs).Clean;
}

// Asks `server` to end, and kills it when it has not within half a minute. A JACK server that
// is killed leaves its entry in JACK's registry of servers, so it is asked first.
inline void StopServer(QProcess& server) {
    if (server.state() == QProcess::NotRunning)
        return;
    server.terminate();
    if (!server.waitForFinished(30000)) {
        server.kill();
        server.waitForFinished();
    }
}

// Polls `answers` every 100 ms until it holds, `server` has ended or ServerStartLimit has
// passed. Empty when the server answers; otherwise why not (ServerFailure). `answers` says
// how an attempt that failed went.
inline QString WaitForServer(QProcess& server, const QString& name,
                             const std::function<bool(QString& how)>& answers) {
    QByteArray printed;
    QString attempt;
    const auto limit = std::chrono::steady_clock::now() + ServerStartLimit;
    for (;;) {
        printed += server.readAll(); // keeps the pipe from filling up
        if (server.state() == QProcess::NotRunning)
            return ServerFailure(server, name, printed);
        if (answers(attempt))
            return {};
        if (std::chrono::steady_clock::now() > limit)
            return ServerFailure(server, name, printed, attempt);
        server.waitForFinished(100);
    }
}

// How a JACK server of the tests runs its cycles. Asynchronous (JACK's default) goes on without
// a client that is late, dropping what it would have sent or received in those cycles; on a
// busy machine a client's thread can be late by many cycles. Synchronous waits for every client
// (up to five seconds a cycle), so a test that records what the player sends, or sends MIDI,
// gets all of it; a test that freezes or kills its server wants the default, which lets go of
// clients at once.
enum class TJackCycles { Asynchronous, Synchronous };

// Starts a JACK server named `name` with its dummy driver at `rate` in `server` (without
// real-time scheduling, so any user can run it) and waits until clients reach it. Empty when it
// is up; otherwise why not, and the process is killed.
inline QString StartJackDummyServer(QProcess& server, const QString& name, long rate,
                                    int period = 512,
                                    TJackCycles cycles = TJackCycles::Asynchronous) {
    QStringList options{QStringLiteral("--no-realtime")};
    if (cycles == TJackCycles::Synchronous)
        options << QStringLiteral("--sync") << QStringLiteral("--timeout")
                << QStringLiteral("5000");
    options << QStringLiteral("-n") << name << QStringLiteral("-d") << QStringLiteral("dummy")
            << QStringLiteral("-r") << QString::number(rate) << QStringLiteral("-p")
            << QString::number(period);
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral("jackd"), options);
    if (!server.waitForStarted(static_cast<int>(ServerStartLimit.count()) * 1000))
        return QStringLiteral("jackd could not be started: ") + server.errorString();
    // A client that reaches the server: one attempt, bounded in case the server is stuck half
    // way. The server is named in the environment, not with jack_lsp's -s, which mishandles
    // some names' lengths (24 characters: it crashes).
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JACK_DEFAULT_SERVER"), name);
    QString why =
        WaitForServer(server, QStringLiteral("the JACK server ") + name, [&](QString& how) {
            const TProgramRun run = RunProgram(QStringLiteral("jack_lsp"), {}, 10000, environment);
            how = run.How;
            return run.Clean;
        });
    if (!why.isEmpty())
        StopServer(server);
    return why;
}

} // namespace lumivox::test
