// DMX output through olad, with the show clock as the editor runs it (the null audio output on
// the real clock): over 25 s of 100 ms slots with 255 tracks whose values change every slot,
// from a slot's start in song time to the arrival of that slot's frame at another client of
// the same olad registered for the universe; p50 and p99. The anchor is a frame sent by plain
// StreamingClient code straight to the same olad, timed the same way, in the same run.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "audio/playback/AudioPlayer.h"
#include "core/UserInterface.h"
#include "output/DmxOutput.h"
#include "output/RealTimeOutput.h"
#include "output/SerialLink.h"
#include "show/ShowClock.h"
#include "show/Transport.h"
#include "support/output/OlaTestSupport.h"

#include <ola/DmxBuffer.h>
#include <ola/client/StreamingClient.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using namespace lumivox;
using lumivox::bench::Percentile;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int SlotMs = 100;
constexpr int Seconds = 25;
constexpr int Channels = 255;
constexpr int AnchorFrames = 300;

// Channel 1's value at a value index names the index modulo 200; every channel changes at
// every index.
std::uint8_t ValueAt(int index, int channel) {
    if (channel == 1)
        return static_cast<std::uint8_t>(index % 200 + 1);
    return static_cast<std::uint8_t>((index + channel * 3) % 256);
}

// What a reader saw: the arrival time and channel 1 of each frame.
struct TArrivals {
    std::mutex Mutex;
    std::vector<std::pair<Clock::time_point, int>> Seen;
    void Attach(test::UniverseReader& reader) {
        reader.OnFrame([this](const test::TReceivedFrame& frame) {
            const std::lock_guard lock(Mutex);
            Seen.emplace_back(frame.At, frame.Values[0]);
        });
    }
    std::vector<std::pair<Clock::time_point, int>> Take() {
        const std::lock_guard lock(Mutex);
        return Seen;
    }
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

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

struct TFigures {
    double P50 = -1;
    double P99 = -1;
    std::size_t Count = 0;
    // From the tick's hand-over of the frame to its arrival: the DMX path alone.
    double HandOverP50 = -1;
    double HandOverP99 = -1;
};

// Plain StreamingClient code: a frame of 255 changed channels every 20 ms, timed from just
// before SendDmx to its arrival.
TFigures MeasureAnchor(std::uint16_t port) {
    TFigures result;
    test::UniverseReader reader(port, 2);
    TArrivals arrivals;
    arrivals.Attach(reader);
    ola::client::StreamingClient::Options options;
    options.auto_start = false;
    options.server_port = port;
    ola::client::StreamingClient client(options);
    if (!reader.Ready() || !client.Setup())
        return result;
    std::vector<Clock::time_point> sent;
    ola::DmxBuffer buffer;
    buffer.Blackout();
    for (int frame = 1; frame <= AnchorFrames; ++frame) {
        for (int channel = 1; channel <= Channels; ++channel)
            buffer.SetChannel(static_cast<unsigned>(channel - 1), ValueAt(frame, channel));
        sent.push_back(Clock::now());
        client.SendDmx(2, buffer);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    client.Stop();
    const auto seen = arrivals.Take();
    std::vector<double> lags;
    std::size_t next = 0;
    for (int frame = 1; frame <= AnchorFrames; ++frame) {
        const int value = ValueAt(frame, 1);
        const auto at = sent[static_cast<std::size_t>(frame - 1)];
        while (next < seen.size() && (seen[next].second != value || seen[next].first < at))
            ++next;
        if (next == seen.size())
            break;
        lags.push_back(Ms(seen[next].first - at));
    }
    result.P50 = Percentile(lags, 0.5);
    result.P99 = Percentile(lags, 0.99);
    result.Count = lags.size();
    return result;
}

// The editor's path: the show clock's tick builds the frame and the DMX output's sender
// thread hands it to olad.
TFigures MeasureShow(std::uint16_t port, const QString& song) {
    TFigures result;
    test::UniverseReader reader(port, 1);
    TArrivals arrivals;
    arrivals.Attach(reader);
    UnattendedUserInterface ui;
    Language language = Language::English;
    SerialLink link;
    RealTimeOutput serial(link, ui, language); // off: DMX alone
    TDmxOutput dmx(ui, language, port);
    AudioPlayer player{AudioPlayer::Options{}};
    ShowDocument doc;
    HeadlessTransportHost host(SlotMs);
    ShowClock ticks(player, doc);
    ticks.AddOutput(serial);
    Transport motion(player, host, ticks);
    if (!reader.Ready() || !player.Open(song))
        return result;
    doc.SlotCount = static_cast<int>(player.LengthMs() / SlotMs) + 1;
    for (int channel = 1; channel <= Channels; ++channel) {
        doc.AddTrack(language);
        const int number = doc.TrackCount();
        doc.SetOutput(number, static_cast<std::uint8_t>(channel));
        for (int index = 1; index < doc.Track(number).SlotCount(); ++index)
            doc.SetSlot(number, index, ValueAt(index, channel));
    }
    ticks.AddOutput(dmx);
    dmx.SetEnabled(true);
    dmx.SetLive(true);
    if (!RunUntil([&] { return dmx.Reach() == TOlaReach::Reachable; }, 10000))
        return result;
    // Song time against the steady clock, sampled after every tick while playing.
    std::vector<std::pair<Clock::time_point, std::int64_t>> samples;
    std::vector<std::pair<Clock::time_point, int>> handOvers; // and channel 1's value
    ticks.SetPositionUpdate([&] {
        const std::uint64_t before = dmx.HandedOver();
        motion.Tick();
        if (dmx.HandedOver() != before)
            handOvers.emplace_back(Clock::now(), dmx.Frame()[0]);
        if (motion.Playing())
            samples.emplace_back(Clock::now(), player.PositionMs());
    });
    ticks.Enable(true);
    motion.Play();
    RunUntil([&] { return player.PositionMs() >= Seconds * 1000; }, (Seconds + 30) * 1000);
    motion.Stop();
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    const auto seen = arrivals.Take();
    std::vector<double> lags;
    std::size_t next = 0;
    std::size_t sample = 1;
    for (int slot = 1; slot < Seconds * 1000 / SlotMs - 1; ++slot) {
        // When the song reached the slot's start: from the first tick that saw it, going back
        // by how far past it that tick was, but not before the tick that had not seen it yet.
        const std::int64_t startMs = std::int64_t{slot} * SlotMs;
        while (sample < samples.size() && samples[sample].second < startMs)
            ++sample;
        if (sample == samples.size())
            break;
        const Clock::time_point start = std::max(
            samples[sample - 1].first,
            samples[sample].first - std::chrono::milliseconds(samples[sample].second - startMs));
        const int value = ValueAt(slot + 1, 1);
        while (next < seen.size() && (seen[next].second != value ||
                                      seen[next].first < start - std::chrono::milliseconds(50)))
            ++next;
        if (next == seen.size())
            break;
        lags.push_back(Ms(seen[next].first - start));
    }
    result.P50 = Percentile(lags, 0.5);
    result.P99 = Percentile(lags, 0.99);
    result.Count = lags.size();
    std::vector<double> paths;
    next = 0;
    for (const auto& [at, value] : handOvers) {
        // A frame the next one replaced before it went out never arrives: it is not counted.
        std::size_t found = next;
        while (found < seen.size() && seen[found].first < at + std::chrono::seconds(1) &&
               (seen[found].second != value || seen[found].first < at))
            ++found;
        if (found == seen.size() || seen[found].first >= at + std::chrono::seconds(1))
            continue;
        next = found;
        paths.push_back(Ms(seen[found].first - at));
    }
    result.HandOverP50 = Percentile(paths, 0.5);
    result.HandOverP99 = Percentile(paths, 0.99);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    lumivox::bench::BenchSong song;
    lumivox::bench::MakeBenchSong(song, Seconds + 2, {"-b", "128"});
    if (!song.Error.isEmpty()) {
        std::fprintf(stderr, "%s\n", song.Error.toLocal8Bit().constData());
        return 1;
    }
    QString why;
    const auto port = test::SharedOladPort(&why);
    if (!port) {
        std::fprintf(stderr, "olad cannot start: %s\n", why.toLocal8Bit().constData());
        return 1;
    }
    const TFigures anchor = MeasureAnchor(*port);
    const TFigures show = MeasureShow(*port, song.Mp3);
    std::printf("frames matched: anchor %zu of %d, show %zu of %d\n", anchor.Count, AnchorFrames,
                show.Count, Seconds * 1000 / SlotMs - 2);
    std::printf("\n%-58s %12s %12s %9s  %s\n", "figure", "value", "anchor ms", "ratio", "goal");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "slot start to frame at an OLA client, p50 (ms)",
                show.P50, anchor.P50, show.P50 / anchor.P50, "-");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n", "slot start to frame at an OLA client, p99 (ms)",
                show.P99, anchor.P99, show.P99 / anchor.P99, "p99 <= 15 ms");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n",
                "tick's hand-over to frame at the client, p50 (ms)", show.HandOverP50, anchor.P50,
                show.HandOverP50 / anchor.P50, "-");
    std::printf("%-58s %12.3f %12.3f %9.2f  %s\n",
                "tick's hand-over to frame at the client, p99 (ms)", show.HandOverP99, anchor.P99,
                show.HandOverP99 / anchor.P99, "-");
    const bool complete = anchor.Count == AnchorFrames &&
                          show.Count == static_cast<std::size_t>(Seconds * 1000 / SlotMs - 2);
    return complete ? 0 : 1;
}
