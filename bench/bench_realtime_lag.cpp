// Real-time output lag: over 60 s of play with 16 tracks changing every 100 ms slot, the time
// from each slot's start in song time to the arrival of its first 0x1A at the simulated unit,
// against one change's round trip on the same pseudo-terminal, measured in the same run.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "app/ShowTick.h"
#include "audio/AudioPlayer.h"
#include "audio/Transport.h"
#include "lumivox-unit/UnitLog.h"
#include "output/RealTimeOutput.h"
#include "ui/UserInterface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace lumivox;
using lumivox::bench::Percentile;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int TrackCount = 16;
constexpr int SlotMs = 100;
constexpr int PlaySeconds = 60;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The value every track holds at a value index: different from one index to the next, and
// naming the index modulo 200 so an arrival can be matched to its slot.
std::uint8_t ValueAt(int index) {
    return static_cast<std::uint8_t>(index % 200 + 1);
}

class BenchHost : public ITransportHost {
public:
    BenchHost(ShowDocument& doc, RealTimeOutput& output) : Doc(doc), Output(output) {}
    int SlotMs() const override { return ::SlotMs; }
    std::int64_t TimelineWidth() const override { return 100000; }
    int ViewWidth() const override { return 1000; }
    std::int64_t ScrollOffset() const override { return 0; }
    void ScrollTo(std::int64_t) override {}
    bool HasWaveform() const override { return true; }
    void ShowTime(std::int64_t) override {}
    void PlaceMarkers(std::int64_t, std::int64_t) override {}
    void ShowRecordMode(bool) override {}
    bool ProjectModified() const override { return false; }
    void TakeSnapshot() override {}
    void EnableTick(bool) override {}
    void TickWork(int slot) override { RunTickWork(Doc, slot, {}, Output); }

private:
    ShowDocument& Doc;
    RealTimeOutput& Output;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    lumivox::bench::BenchSong song;
    lumivox::bench::MakeBenchSong(song, PlaySeconds + 2, {"-b", "128"});
    if (!song.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", song.Error.toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("unit.log"));
    QProcess unit;
    unit.start(QString::fromUtf8(LUMIVOX_UNIT_PATH),
               {QStringLiteral("--quiet"), QStringLiteral("--log"), logPath});
    if (!unit.waitForStarted(10000) || !unit.waitForReadyRead(10000)) {
        std::fprintf(stderr, "lumivox-unit did not start\n");
        return 1;
    }
    const QString port = QString::fromLocal8Bit(unit.readLine()).trimmed();

    UnattendedUserInterface ui;
    Language language = Language::English;
    SerialLink link;
    RealTimeOutput output(link, ui, language);
    output.ChoosePort(port);
    output.ToggleMode();
    if (!output.Active()) {
        std::fprintf(stderr, "cannot open %s\n", port.toLocal8Bit().constData());
        return 1;
    }

    // Anchor: one change's round trip on this link, alone, 200 times.
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
    const double anchor = Percentile(roundTrips, 0.5);

    AudioPlayer player{AudioPlayer::Options{}}; // the null output on the real clock
    if (!player.Open(song.Mp3)) {
        std::fprintf(stderr, "cannot open the song\n");
        return 1;
    }
    ShowDocument doc;
    doc.SlotCount = static_cast<int>(player.LengthMs() / SlotMs) + 1;
    for (int t = 0; t < TrackCount; ++t) {
        TFullTrack& track = *doc.AddTrack(language);
        track.Output = static_cast<std::uint8_t>(t + 1);
        for (int index = 1; index < track.SlotCount(); ++index)
            track.SetValue(index, ValueAt(index));
    }
    BenchHost host(doc, output);
    Transport transport(player, host);

    // Song time against the steady clock, sampled at every tick while playing.
    struct TSample {
        std::int64_t WallNs;
        std::int64_t PositionMs;
    };
    std::vector<TSample> samples;
    samples.reserve(PlaySeconds * 200);
    // The show clock as the window runs it: each tick arms the next.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setSingleShot(true);
    tick.setInterval(Transport::TickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        transport.Tick();
        tick.start(transport.MsToNextTick());
        if (transport.Playing())
            samples.push_back({NowNs(), player.PositionMs()});
    });
    tick.start();
    transport.Play();
    QTimer::singleShot(PlaySeconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    transport.Stop();
    tick.stop();
    QCoreApplication::processEvents();
    unit.terminate();
    unit.waitForFinished(5000);

    const std::vector<unit::TLoggedChange> arrivals = unit::ReadUnitLog(logPath);
    std::vector<double> lags;
    std::size_t next = 0;
    const int lastSlot = PlaySeconds * 1000 / SlotMs - 2;
    std::size_t sample = 1;
    for (int slot = 1; slot <= lastSlot; ++slot) {
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
    const double p50 = Percentile(lags, 0.5);
    const double p99 = Percentile(lags, 0.99);
    std::printf("slots measured: %zu of %d, changes received: %zu\n", lags.size(), lastSlot,
                arrivals.size());
    std::printf("\n%-58s %12s %12s %9s  %s\n", "figure", "ms", "anchor ms", "ratio", "goal");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "slot start to first 0x1A at the unit, p50", p50,
                anchor, anchor > 0 ? p50 / anchor : 0.0, "-");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "slot start to first 0x1A at the unit, p99", p99,
                anchor, anchor > 0 ? p99 / anchor : 0.0, "p99 <= 15 ms");
    return lags.size() == static_cast<std::size_t>(lastSlot) ? 0 : 1;
}
