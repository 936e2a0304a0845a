// The media player's timing on a sound device and the device worker's bounded waits, each
// against a plain wait of the same length measured in the same run:
// - the song clock: the wall time the position takes to run one second of song, on the
//   device (the JACK server when one runs) and on a JACK server at 48 kHz of the benchmark's
//   own, where the 44.1 kHz song is resampled;
// - the end of a song: from playing its last 400 ms until the player stops by itself;
// - a blocked device call: what a call that blocks costs its caller, against its limit;
// - a frozen server: from the JACK server stopping under the playing song until the loss is
//   reported, against the stall limit; and a Stop with the server frozen.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "audio/playback/AudioPlayer.h"
#include "audio/playback/DeviceWorker.h"

#include <QCoreApplication>

#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

using namespace lumivox;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto Patience = 10s; // a bound that only tells a stuck player from a slow one

lumivox::bench::BenchSong& Song() {
    static lumivox::bench::BenchSong song;
    static const bool made = [] {
        lumivox::bench::MakeBenchSong(song, 20, {"-b", "128"});
        return true;
    }();
    (void)made;
    return song;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Predicate> bool WaitUntil(Predicate done) {
    const auto limit = Clock::now() + Patience;
    while (!done()) {
        if (Clock::now() > limit)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

using bench::PrivateJackServer;

// A player on the sound device with the benchmark's song open; false (with the benchmark
// skipped) when the song or the device is missing.
bool OpenOnDevice(benchmark::State& state, AudioPlayer& player) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return false;
    }
    if (!player.Open(Song().Mp3) || player.OutputKind() != TOutputKind::Device) {
        state.SkipWithError("no sound device could be opened (is a JACK server running?)");
        return false;
    }
    return true;
}

// The anchors: a plain wait of the length each figure should take.
void BM_Wait(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
        state.SetIterationTime(SecondsSince(start));
    }
}
BENCHMARK(BM_Wait)
    ->Arg(100)
    ->Arg(400)
    ->Arg(AudioPlayer::StallLimit.count())
    ->Arg(1000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// From Play at 0 until the position has run one second of song.
void PlayOneSecond(benchmark::State& state) {
    AudioPlayer player;
    if (!OpenOnDevice(state, player))
        return;
    for (auto _ : state) {
        player.Stop();
        player.Seek(0);
        const auto start = Clock::now();
        player.Play();
        if (!WaitUntil([&] { return player.PositionMs() >= 1000; })) {
            state.SkipWithError("the position never reached one second");
            return;
        }
        state.SetIterationTime(SecondsSince(start));
    }
}

void BM_DeviceClockOneSecond(benchmark::State& state) {
    PlayOneSecond(state);
}
BENCHMARK(BM_DeviceClockOneSecond)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DeviceClockOneSecondJack48k(benchmark::State& state) {
    PrivateJackServer server("48k", 48000);
    if (!server.Up) {
        state.SkipWithError("the 48 kHz JACK dummy server did not start");
        return;
    }
    PlayOneSecond(state);
}
BENCHMARK(BM_DeviceClockOneSecondJack48k)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// From playing the last 400 ms of the song until the player has stopped by itself.
void BM_DeviceSongEnd(benchmark::State& state) {
    AudioPlayer player;
    if (!OpenOnDevice(state, player))
        return;
    for (auto _ : state) {
        player.Seek(player.LengthMs() - 400);
        const auto start = Clock::now();
        player.Play();
        if (!WaitUntil([&] { return player.Mode() == TMediaMode::Stopped; })) {
            state.SkipWithError("the song never ended");
            return;
        }
        state.SetIterationTime(SecondsSince(start));
    }
}
BENCHMARK(BM_DeviceSongEnd)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// A device call that blocks past its 100 ms limit: how long its caller waits.
void BM_BlockedWorkerCall(benchmark::State& state) {
    DeviceWorker& worker = DeviceWorker::Instance();
    for (auto _ : state) {
        struct Gate {
            std::mutex Mutex;
            std::condition_variable Opened;
            bool Open = false;
        };
        auto gate = std::make_shared<Gate>();
        const auto start = Clock::now();
        const bool returned = worker.Run(
            [gate] {
                std::unique_lock lock(gate->Mutex);
                gate->Opened.wait_for(lock, Patience, [&] { return gate->Open; });
            },
            100ms);
        state.SetIterationTime(SecondsSince(start));
        {
            std::lock_guard lock(gate->Mutex);
            gate->Open = true;
        }
        gate->Opened.notify_all();
        if (returned) {
            state.SkipWithError("the blocked call was waited for to its end");
            return;
        }
        // The worker serves again once the call has returned.
        if (!WaitUntil([&] { return worker.Run([] {}, 1000ms); })) {
            state.SkipWithError("the worker never served again");
            return;
        }
    }
}
BENCHMARK(BM_BlockedWorkerCall)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// A player playing on a server of the benchmark's own that is then frozen; `measure` times
// what follows and returns the seconds, or a negative number on failure.
template <typename Measure> void OnAFrozenServer(benchmark::State& state, Measure measure) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        PrivateJackServer server("frozen", 48000);
        AudioPlayer player;
        if (!server.Up || !player.Open(Song().Mp3) || !player.OutputInfo().Jack) {
            state.SkipWithError("the player could not play on a JACK server of its own");
            return;
        }
        player.Play();
        std::this_thread::sleep_for(300ms);
        const double seconds = measure(server, player);
        if (seconds < 0) {
            state.SkipWithError("the loss was never reported");
            return;
        }
        state.SetIterationTime(seconds);
        player.Close();
    }
}

// From the server freezing until the show clock's polling reports the loss.
void BM_LossReportedAfterFreeze(benchmark::State& state) {
    OnAFrozenServer(state, [](PrivateJackServer& server, AudioPlayer& player) {
        server.Signal(SIGSTOP);
        const auto frozen = Clock::now();
        while (!player.PollOutput()) {
            if (Clock::now() - frozen > Patience)
                return -1.0;
            std::this_thread::sleep_for(10ms);
        }
        return SecondsSince(frozen);
    });
}
BENCHMARK(BM_LossReportedAfterFreeze)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Stop once the loss of the frozen server is known: nothing may wait for it.
void BM_StopWithTheServerFrozen(benchmark::State& state) {
    OnAFrozenServer(state, [](PrivateJackServer& server, AudioPlayer& player) {
        server.Signal(SIGSTOP);
        if (!WaitUntil([&] { return player.PollOutput(); }))
            return -1.0;
        const auto start = Clock::now();
        player.Stop();
        return SecondsSince(start);
    });
}
BENCHMARK(BM_StopWithTheServerFrozen)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::string stall = "BM_Wait/" + std::to_string(AudioPlayer::StallLimit.count());
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_DeviceClockOneSecond", "BM_Wait/1000",
          "0.75 .. 1.25: one second of song in one second, within 250 ms"},
         {"BM_DeviceClockOneSecondJack48k", "BM_Wait/1000",
          "0.75 .. 1.25 on the 48 kHz server, resampled"},
         {"BM_DeviceSongEnd", "BM_Wait/400", ">= 0.38: the end never comes before the music"},
         {"BM_BlockedWorkerCall", "BM_Wait/100", "1.0 .. 1.2: the limit and no more"},
         {"BM_LossReportedAfterFreeze", stall, "<= 1.4: noticed within the stall limit and 250 ms"},
         {"BM_StopWithTheServerFrozen", "BM_Wait/100",
          "< 0.1: a Stop never waits for the frozen server"}});
}
