// Shared reporting for the benchmarks: runs the registered benchmarks, then prints each
// measured figure beside the anchor measured in the same run, as a ratio, with its goal.
// Also a JACK server of a benchmark's own.
#pragma once

#include "support/ServerStart.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace lumivox::bench {

// Remembers the mean real time of every benchmark run, in milliseconds.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Milliseconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration && run.aggregate_name != "median")
                continue;
            const double perIteration = run.GetAdjustedRealTime();
            double ms = perIteration;
            switch (run.time_unit) {
            case benchmark::kNanosecond:
                ms = perIteration / 1e6;
                break;
            case benchmark::kMicrosecond:
                ms = perIteration / 1e3;
                break;
            case benchmark::kMillisecond:
                ms = perIteration;
                break;
            case benchmark::kSecond:
                ms = perIteration * 1e3;
                break;
            }
            // The function name and its arguments, without options such as min_time.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            Milliseconds[name] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double Get(const std::string& name) const {
        auto it = Milliseconds.find(name);
        return it == Milliseconds.end() ? -1.0 : it->second;
    }
};

struct RatioLine {
    std::string Figure; // benchmark name of the measured operation
    std::string Anchor; // benchmark name of the anchor ("" for an absolute goal)
    std::string Goal;   // human-readable goal
};

inline void PrintRatios(const CollectingReporter& reporter, const std::vector<RatioLine>& lines) {
    std::printf("\n%-58s %12s %12s %9s  %s\n", "figure", "ms", "anchor ms", "ratio", "goal");
    for (const RatioLine& line : lines) {
        const double figure = reporter.Get(line.Figure);
        if (line.Anchor.empty()) {
            std::printf("%-58s %12.3f %12s %9s  %s\n", line.Figure.c_str(), figure, "-", "-",
                        line.Goal.c_str());
            continue;
        }
        const double anchor = reporter.Get(line.Anchor);
        const double ratio = anchor > 0 ? figure / anchor : 0.0;
        std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", line.Figure.c_str(), figure, anchor, ratio,
                    line.Goal.c_str());
    }
    std::fflush(stdout);
}

// The value below which a fraction `p` (0..1) of `values` lies (nearest rank); -1 for none.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto at =
        static_cast<std::size_t>(std::lround(p * static_cast<double>(values.size() - 1)));
    return values[std::min(at, values.size() - 1)];
}

// Runs every registered benchmark and prints the ratio table.
inline int RunAndReport(int argc, char** argv, const std::vector<RatioLine>& lines) {
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter, lines);
    benchmark::Shutdown();
    return 0;
}

// A dummy JACK server of the benchmark's own at `rate` with 512-frame periods, named after
// `role` and the process; while it lives the player's JACK client goes to it, and when it
// goes the server stops and the client goes back to the server it went to before.
class PrivateJackServer {
public:
    PrivateJackServer(const char* role, long rate,
                      test::TJackCycles cycles = test::TJackCycles::Asynchronous)
        : Name(QByteArray("lumivox-bench-") + role + "-" +
               QByteArray::number(QCoreApplication::applicationPid())) {
        Previous = qgetenv("JACK_DEFAULT_SERVER");
        HadPrevious = qEnvironmentVariableIsSet("JACK_DEFAULT_SERVER");
        Failure = test::StartJackDummyServer(Server, QString::fromLatin1(Name), rate, 512, cycles);
        Up = Failure.isEmpty();
        if (!Up)
            std::fprintf(stderr, "%s\n", Failure.toLocal8Bit().constData());
        qputenv("JACK_DEFAULT_SERVER", Name);
    }
    ~PrivateJackServer() {
        if (HadPrevious)
            qputenv("JACK_DEFAULT_SERVER", Previous);
        else
            qunsetenv("JACK_DEFAULT_SERVER");
        Signal(SIGCONT); // a server a benchmark froze has to run to hear the terminate
        test::StopServer(Server);
    }
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;

    // Sends `signal` to the server while it runs (SIGSTOP freezes it, SIGCONT thaws it).
    void Signal(int signal) {
        if (Server.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(Server.processId()), signal);
    }
    bool Up = false;
    QString Failure; // why the server is not up

private:
    QByteArray Name;
    QByteArray Previous;
    bool HadPrevious = false;
    QProcess Server;
};

} // namespace lumivox::bench
