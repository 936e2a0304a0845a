// Real-time output against the simulated unit on a pseudo-terminal, with the show clock as the
// editor runs it (the null audio output on the real clock):
// - lag: over 60 s with 16 tracks changing every 100 ms slot, slot start in song time to the
//   arrival of that slot's first 0x1A at the unit;
// - convergence: 100 tracks changing every slot against a unit that answers 2 ms late; the
//   outputs the unit holds wrong once the song is over;
// - state chase: real-time switched on mid-song with 255 tracks; the time until the unit holds
//   every track's value (the median of five).
// The anchor is one change's round trip on the same link, measured in the same run.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "audio/playback/AudioPlayer.h"
#include "core/UserInterface.h"
#include "lumivox-unit/UnitLog.h"
#include "output/RealTimeOutput.h"
#include "show/ShowClock.h"
#include "show/Transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <vector>

using namespace lumivox;
using lumivox::bench::Percentile;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int SlotMs = 100;
constexpr int LagTracks = 16;
constexpr int LagSeconds = 60;
constexpr int ConvergenceTracks = 100;
constexpr int ConvergenceSeconds = 20;
constexpr int ChaseTracks = 255;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The value every lag track holds at a value index: different from one index to the next, and
// naming the index modulo 200 so an arrival can be matched to its slot.
std::uint8_t ValueAt(int index) {
    return static_cast<std::uint8_t>(index % 200 + 1);
}

// The simulated unit in a process of its own, with its change log and final state.
class Unit {
public:
    explicit Unit(const QStringList& options = {}) {
        Log = Dir.filePath(QStringLiteral("unit.log"));
        State = Dir.filePath(QStringLiteral("unit.state"));
        Process.start(QString::fromUtf8(LUMIVOX_UNIT_PATH),
                      QStringList{QStringLiteral("--quiet"), QStringLiteral("--log"), Log,
                                  QStringLiteral("--state"), State} +
                          options);
        if (Process.waitForStarted(10000) && Process.waitForReadyRead(10000))
            Port = QString::fromLocal8Bit(Process.readLine()).trimmed();
    }
    ~Unit() { Stop(); }
    void Stop() {
        if (Process.state() == QProcess::NotRunning)
            return;
        Process.terminate();
        Process.waitForFinished(5000);
    }
    std::vector<unit::TLoggedChange> Changes() const { return unit::ReadUnitLog(Log); }
    // Every output's level as the unit wrote it on exit.
    std::vector<int> FinalState() {
        Stop();
        std::vector<int> levels;
        QFile file(State);
        if (file.open(QIODevice::ReadOnly))
            while (!file.atEnd())
                levels.push_back(file.readLine().trimmed().split(' ').value(1).toInt());
        return levels;
    }
    QString Port;

private:
    QTemporaryDir Dir;
    QString Log;
    QString State;
    QProcess Process;
};

// A song played with the show clock driving real-time output to a unit.
struct Show {
    UnattendedUserInterface Ui;
    Language Lang = Language::English;
    SerialLink Link;
    RealTimeOutput Output{Link, Ui, Lang};
    AudioPlayer Player{AudioPlayer::Options{}}; // the null output on the real clock
    ShowDocument Doc;
    HeadlessTransportHost Host;
    ShowClock Ticks{Player, Doc};
    Transport Motion{Player, Host, Ticks};

    Show() { Ticks.AddOutput(Output); }

    bool Open(const QString& song, const QString& port, bool switchOn) {
        if (!Player.Open(song))
            return false;
        Doc.SlotCount = static_cast<int>(Player.LengthMs() / SlotMs) + 1;
        Ticks.SetPositionUpdate([this] { Motion.Tick(); });
        Output.ChoosePort(port);
        if (switchOn)
            Output.ToggleMode();
        return !switchOn || Output.Active();
    }
    // A track of the show, written through the show.
    struct WrittenTrack {
        ShowDocument& Doc;
        int Number;
        int SlotCount() const { return Doc.Track(Number).SlotCount(); }
        void SetValue(int index, std::uint8_t value) { Doc.SetSlot(Number, index, value); }
    };
    WrittenTrack AddTrack(int output) {
        Doc.AddTrack(Lang);
        Doc.SetOutput(Doc.TrackCount(), static_cast<std::uint8_t>(output));
        return {Doc, Doc.TrackCount()};
    }
    void Play() {
        Ticks.Enable(true);
        Motion.Play();
    }
};

// Runs the event loop until `done` holds or `limitMs` passed; false on the limit.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// One change's round trip on a link, alone, 200 times: the median in ms.
double RoundTripMs(const QString& port) {
    SerialLink link;
    if (link.Open(port) != TLinkResult::Success)
        return -1;
    std::vector<double> roundTrips;
    for (int k = 0; k < 200; ++k) {
        const std::int64_t start = NowNs();
        bool done = false;
        const auto connection =
            QObject::connect(&link, &SerialLink::ChangeFinished, [&] { done = true; });
        link.SendChange(255, static_cast<std::uint8_t>(k));
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QObject::disconnect(connection);
        roundTrips.push_back(static_cast<double>(NowNs() - start) / 1e6);
    }
    return Percentile(roundTrips, 0.5);
}

struct TLag {
    double P50 = -1;
    double P99 = -1;
    std::size_t Slots = 0;
    int Wanted = 0;
};

TLag MeasureLag(const QString& song) {
    TLag result;
    Unit unit;
    Show show;
    if (unit.Port.isEmpty() || !show.Open(song, unit.Port, true))
        return result;
    for (int t = 0; t < LagTracks; ++t) {
        Show::WrittenTrack track = show.AddTrack(t + 1);
        for (int index = 1; index < track.SlotCount(); ++index)
            track.SetValue(index, ValueAt(index));
    }
    // Song time against the steady clock, sampled after every tick while playing.
    struct TSample {
        std::int64_t WallNs;
        std::int64_t PositionMs;
    };
    std::vector<TSample> samples;
    samples.reserve(LagSeconds * 200);
    show.Ticks.SetPositionUpdate([&] {
        show.Motion.Tick();
        if (show.Motion.Playing())
            samples.push_back({NowNs(), show.Player.PositionMs()});
    });
    show.Play();
    RunUntil([&] { return show.Player.PositionMs() >= LagSeconds * 1000; },
             (LagSeconds + 30) * 1000);
    show.Motion.Stop();
    QCoreApplication::processEvents();
    unit.Stop();

    const std::vector<unit::TLoggedChange> arrivals = unit.Changes();
    std::vector<double> lags;
    std::size_t next = 0;
    result.Wanted = LagSeconds * 1000 / SlotMs - 2;
    std::size_t sample = 1;
    for (int slot = 1; slot <= result.Wanted; ++slot) {
        // When the song reached the slot's start: from the first tick that saw it, going back
        // by how far past it that tick was, but not before the tick that had not seen it yet.
        const std::int64_t slotStartMs = std::int64_t{slot} * SlotMs;
        while (sample < samples.size() && samples[sample].PositionMs < slotStartMs)
            ++sample;
        if (sample == samples.size())
            break;
        const std::int64_t startNs = std::max(
            samples[sample - 1].WallNs,
            samples[sample].WallNs - (samples[sample].PositionMs - slotStartMs) * 1'000'000);
        const int value = ValueAt(slot + 1);
        // The first arrival carrying this slot's value, after the previous slot's.
        while (next < arrivals.size() &&
               (arrivals[next].Value != value || arrivals[next].ArrivalNs < startNs - 50'000'000))
            ++next;
        if (next == arrivals.size())
            break;
        lags.push_back(static_cast<double>(arrivals[next].ArrivalNs - startNs) / 1e6);
    }
    result.P50 = Percentile(lags, 0.5);
    result.P99 = Percentile(lags, 0.99);
    result.Slots = lags.size();
    return result;
}

// Outputs the unit holds wrong once the song is over and the link has caught up; -1 when the
// run failed.
int MeasureConvergence(const QString& song) {
    Unit unit({QStringLiteral("--ack-delay"), QStringLiteral("2")});
    Show show;
    if (unit.Port.isEmpty() || !show.Open(song, unit.Port, true))
        return -1;
    std::vector<int> wanted(256, 0);
    for (int t = 0; t < ConvergenceTracks; ++t) {
        Show::WrittenTrack track = show.AddTrack(t + 1);
        for (int index = 1; index < track.SlotCount(); ++index) {
            // A, B, A, B... on half the tracks; the others step through their own values.
            const int value = t % 2 == 0 ? (index % 2 == 0 ? t + 1 : 200) : (index * 37 + t) % 251;
            track.SetValue(index, static_cast<std::uint8_t>(value));
            wanted[static_cast<std::size_t>(t) + 1] = value;
        }
    }
    show.Play();
    const bool over = RunUntil([&] { return show.Player.Mode() != TMediaMode::Playing; },
                               (ConvergenceSeconds + 30) * 1000);
    const bool caughtUp =
        RunUntil([&] { return !show.Output.Sending() && show.Output.QueuedCount() == 0; }, 30000);
    const std::vector<int> state = unit.FinalState();
    if (!over || !caughtUp || state.size() != 256)
        return -1;
    int wrong = 0;
    for (int output = 1; output <= ConvergenceTracks; ++output)
        wrong +=
            state[static_cast<std::size_t>(output)] != wanted[static_cast<std::size_t>(output)];
    return wrong;
}

// Milliseconds from switching real-time on mid-song until the unit holds every one of 255
// tracks' values, the median of five switch-ons; -1 when it never did.
double MeasureChase(const QString& song) {
    Unit unit;
    Show show;
    if (unit.Port.isEmpty() || !show.Open(song, unit.Port, false))
        return -1;
    for (int t = 0; t < ChaseTracks; ++t) {
        Show::WrittenTrack track = show.AddTrack(t + 1);
        for (int index = 1; index < track.SlotCount(); ++index)
            track.SetValue(index, static_cast<std::uint8_t>(t % 250 + 1)); // never changes
    }
    show.Play();
    RunUntil([&] { return show.Player.PositionMs() >= 2000; }, 30000);
    std::vector<std::int64_t> starts;
    for (int round = 0; round < 5; ++round) {
        starts.push_back(NowNs());
        show.Output.ToggleMode(); // on: the port is reopened and the whole state goes out
        const bool done = RunUntil(
            [&] {
                return !show.Output.Sending() && show.Output.QueuedCount() == 0 &&
                       show.Output.AcknowledgedValue(ChaseTracks) >= 0;
            },
            30000);
        show.Output.ToggleMode(); // off again
        if (!done || !RunUntil([&] { return !show.Output.Sending(); }, 30000))
            return -1;
        RunUntil([] { return false; }, 50); // the unit settles before the next round
    }
    show.Motion.Stop();
    unit.Stop();
    // For each round, the arrival that completed the state.
    const std::vector<unit::TLoggedChange> changes = unit.Changes();
    std::vector<double> times;
    std::size_t next = 0;
    for (const std::int64_t start : starts) {
        std::set<int> held;
        while (next < changes.size() && changes[next].ArrivalNs < start)
            ++next;
        for (; next < changes.size() && held.size() < ChaseTracks; ++next) {
            const unit::TLoggedChange& change = changes[next];
            if (change.Output >= 1 && change.Value == (change.Output - 1) % 250 + 1)
                held.insert(change.Output);
            if (held.size() == ChaseTracks)
                times.push_back(static_cast<double>(change.ArrivalNs - start) / 1e6);
        }
    }
    return times.size() == starts.size() ? Percentile(times, 0.5) : -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    lumivox::bench::BenchSong song;
    lumivox::bench::MakeBenchSong(song, LagSeconds + 2, {"-b", "128"});
    if (!song.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", song.Error.toLocal8Bit().constData());
        return 1;
    }
    lumivox::bench::BenchSong shortSong;
    lumivox::bench::MakeBenchSong(shortSong, ConvergenceSeconds, {"-b", "128"});
    if (!shortSong.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", shortSong.Error.toLocal8Bit().constData());
        return 1;
    }

    Unit anchorUnit;
    const double anchor = anchorUnit.Port.isEmpty() ? -1 : RoundTripMs(anchorUnit.Port);
    anchorUnit.Stop();
    if (anchor <= 0) {
        std::fprintf(stderr, "lumivox-unit did not answer\n");
        return 1;
    }
    const TLag lag = MeasureLag(song.Mp3);
    const int wrong = MeasureConvergence(shortSong.Mp3);
    const double chase = MeasureChase(shortSong.Mp3);

    std::printf("lag: slots measured %zu of %d\n", lag.Slots, lag.Wanted);
    std::printf("\n%-58s %12s %12s %9s  %s\n", "figure", "value", "anchor ms", "ratio", "goal");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "slot start to first 0x1A at the unit, p50 (ms)",
                lag.P50, anchor, lag.P50 / anchor, "-");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "slot start to first 0x1A at the unit, p99 (ms)",
                lag.P99, anchor, lag.P99 / anchor, "p99 <= 15 ms");
    std::printf("%-58s %12d %12s %9s  %s\n", "100 tracks, ack 2 ms late: wrong final outputs",
                wrong, "-", "-", "0");
    const double chaseAnchor = anchor * ChaseTracks;
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "state chase of 255 tracks after switch-on (ms)",
                chase, chaseAnchor, chase / chaseAnchor, "ratio <= 1.2");
    const bool complete =
        lag.Slots == static_cast<std::size_t>(lag.Wanted) && wrong == 0 && chase > 0;
    return complete ? 0 : 1;
}
