// Seek latency of the media player: the time from Seek, while playing, until the first frame
// of the new position has gone to the output, on the null output, on the sound device and on
// a JACK server at 48 kHz of the benchmark's own (where the 44.1 kHz song is resampled),
// against libmpg123 alone seeking and decoding one MPEG frame of the same song.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "audio/decode/SongLength.h"
#include "audio/playback/AudioPlayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <mpg123.h>

#include <thread>

namespace {

using namespace lumivox;

// A one-minute variable-bitrate song, made once per run with sox and lame.
lumivox::bench::BenchSong& Song() {
    static lumivox::bench::BenchSong song;
    static const bool made = [] {
        lumivox::bench::MakeBenchSong(song, 60, {"-V", "2"});
        return true;
    }();
    (void)made;
    return song;
}

// Seek targets spread over the song, visited in an order that jumps back and forth.
std::int64_t TargetMs(std::int64_t iteration, std::int64_t lengthMs) {
    return iteration * 7919 % std::max<std::int64_t>(lengthMs - 1000, 1);
}

void SeekWhilePlaying(benchmark::State& state, AudioPlayer::Options options, TOutputKind wanted) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    AudioPlayer player(std::move(options));
    if (!player.Open(Song().Mp3) || player.OutputKind() != wanted) {
        state.SkipWithError("the output could not be opened (for the device: is a JACK server "
                            "running?)");
        return;
    }
    player.Play();
    std::int64_t iteration = 0;
    for (auto _ : state) {
        player.RecordNextStart(1);
        player.Seek(TargetMs(++iteration, player.LengthMs()));
        while (!player.TakeRecording())
            std::this_thread::yield();
    }
}

void BM_SeekToFirstFrameNullOutput(benchmark::State& state) {
    SeekWhilePlaying(state, AudioPlayer::Options{nullptr, {}}, TOutputKind::Null);
}
BENCHMARK(BM_SeekToFirstFrameNullOutput)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SeekToFirstFrameDevice(benchmark::State& state) {
    SeekWhilePlaying(state, AudioPlayer::Options{OpenDeviceOutput, {}}, TOutputKind::Device);
}
BENCHMARK(BM_SeekToFirstFrameDevice)->Unit(benchmark::kMillisecond)->UseRealTime();

// On a dummy JACK server at 48 kHz of the benchmark's own.
void BM_SeekToFirstFrameJack48k(benchmark::State& state) {
    bench::PrivateJackServer server("48k", 48000);
    if (!server.Up) {
        state.SkipWithError("the 48 kHz JACK dummy server did not start");
        return;
    }
    SeekWhilePlaying(state, AudioPlayer::Options{OpenDeviceOutput, {}}, TOutputKind::Device);
}
BENCHMARK(BM_SeekToFirstFrameJack48k)->Unit(benchmark::kMillisecond)->UseRealTime();

// The decoder's own share: a sample-accurate seek on a scanned handle and one MPEG frame.
void BM_Mpg123SeekAndDecodeOneFrame(benchmark::State& state) {
    if (!Song().Error.isEmpty()) {
        state.SkipWithError(Song().Error.toStdString().c_str());
        return;
    }
    const std::optional<SongInfo> info = MeasureSong(Song().Mp3);
    int status = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &status);
    mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0.0);
    const QByteArray name = QFile::encodeName(Song().Mp3);
    if (!info || mpg123_open(handle, name.constData()) != MPG123_OK ||
        mpg123_scan(handle) != MPG123_OK) {
        mpg123_delete(handle);
        state.SkipWithError("libmpg123 could not open the song");
        return;
    }
    std::vector<unsigned char> frame(1152 * 4);
    std::int64_t iteration = 0;
    for (auto _ : state) {
        const std::int64_t ms = TargetMs(++iteration, info->LengthMs);
        mpg123_seek(handle, static_cast<off_t>(ms * info->Rate / 1000), SEEK_SET);
        std::size_t bytes = 0;
        mpg123_read(handle, frame.data(), frame.size(), &bytes);
        benchmark::DoNotOptimize(bytes);
    }
    mpg123_close(handle);
    mpg123_delete(handle);
}
BENCHMARK(BM_Mpg123SeekAndDecodeOneFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_SeekToFirstFrameNullOutput", "BM_Mpg123SeekAndDecodeOneFrame",
          "null output: <= 2 ms (its 1 ms pacing interval plus decoding)"},
         {"BM_SeekToFirstFrameDevice", "BM_Mpg123SeekAndDecodeOneFrame",
          "device: <= one device period plus decoding (11.6 ms + 2 ms at 512 frames, 44.1 kHz)"},
         {"BM_SeekToFirstFrameJack48k", "BM_Mpg123SeekAndDecodeOneFrame",
          "48 kHz JACK, resampled: <= one period + 2 ms (10.7 ms + 2 ms at 512 frames)"},
         {"BM_SeekToFirstFrameJack48k", "BM_SeekToFirstFrameDevice",
          "48 kHz JACK against the device at the song's rate: resampling adds < 2 ms"}});
}
