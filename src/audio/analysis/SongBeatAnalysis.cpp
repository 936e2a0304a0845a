// Feeds the beat analysis from a WAV file or from an MP3 decoded with libmpg123.
#include "audio/analysis/SongBeatAnalysis.h"

#include "audio/analysis/AubioLibrary.h"
#include "audio/decode/Mp3Decoder.h"
#include "audio/decode/Mpg123Handle.h"
#include "audio/decode/Resampler.h"
#include "audio/decode/WaveFile.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <vector>

namespace lumivox {

namespace {
// The blocks a song is read in: decoded MP3 sound, and the import's WAV file.
constexpr std::size_t AnalysisBufferBytes = 128 * 1024;
constexpr std::int64_t WaveBlockBytes = 256 * 1024;
} // namespace

TBeatsResult AnalyseWaveFile(const QString& wavePath, const TProgress& progress,
                             const std::atomic<bool>* cancel) {
    // Without aubio the song is left unanalysed, to be tried again when it is next opened.
    if (!AubioLibrary())
        return {};
    TWaveFileStream wave;
    wave.Open(wavePath);
    const TWaveFormat format = wave.Format();
    if (format.FormatTag != 1 || format.Channels != 2 || format.BitsPerSample != 16 ||
        format.SamplesPerSec == 0)
        throw EWaveStreamError(TWaveFileStream::InvalidText);
    TBeatAnalysis analysis(static_cast<long>(format.SamplesPerSec));
    const std::int64_t total = wave.DataLength();
    std::vector<char> block(WaveBlockBytes);
    std::int64_t done = 0;
    while (done < total) {
        if ((cancel && cancel->load(std::memory_order_relaxed)) ||
            (progress && !progress(done, total)))
            return {};
        const std::int64_t read = wave.Read(block.data(), WaveBlockBytes);
        if (read <= 0)
            break;
        analysis.FeedStereo16Bytes(block.data(), static_cast<std::size_t>(read));
        done += read;
    }
    if (progress)
        progress(total, total);
    return {true, analysis.Finish()};
}

TBeatsResult AnalyseSong(const QString& songPath, const TProgress& progress,
                         const std::atomic<bool>* cancel, QString* error) {
    auto fail = [error](int code) {
        if (error)
            *error = TMPEGPlayer::ErrorText(code);
        return TBeatsResult{};
    };
    if (!QFileInfo(songPath).isFile())
        return fail(TMPEGPlayer::InputStreamError);
    if (!AubioLibrary()) {
        if (error)
            *error = QStringLiteral("Beat detector library not loaded: %1")
                         .arg(QString::fromLocal8Bit(AubioLoadError()));
        return {};
    }
    InitialiseDecoderLibrary();
    int status = MPG123_OK;
    Mpg123Handle handle(mpg123_new(nullptr, &status));
    if (!handle)
        return fail(TMPEGPlayer::LibraryNotLoaded);
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO,
                 0.0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (!OpenMpg123File(handle.get(), songPath) ||
        mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return fail(TMPEGPlayer::InputStreamError);
    const off_t length = mpg123_length(handle.get());
    const std::int64_t total = length > 0 ? static_cast<std::int64_t>(length) : 0;

    TBeatAnalysis analysis(BeatAnalysisRate);
    std::unique_ptr<TResampler> resampler;
    std::vector<std::int16_t> resampled;
    if (rate != BeatAnalysisRate) {
        resampler = std::make_unique<TResampler>(rate, BeatAnalysisRate);
        if (!resampler->IsValid())
            return fail(TMPEGPlayer::InternalError);
        resampled.resize(resampler->OutputRoomFor(AnalysisBufferBytes / StereoBytesPerFrame) * 2);
    }
    std::vector<std::int16_t> buffer(AnalysisBufferBytes / sizeof(std::int16_t));
    std::int64_t decoded = 0;
    for (;;) {
        if ((cancel && cancel->load(std::memory_order_relaxed)) ||
            (progress && !progress(std::min(decoded, total), total)))
            return {};
        std::size_t bytes = 0;
        status = mpg123_read(handle.get(), reinterpret_cast<unsigned char*>(buffer.data()),
                             AnalysisBufferBytes, &bytes);
        if (status == MPG123_NEW_FORMAT) {
            long newRate = 0;
            mpg123_getformat(handle.get(), &newRate, &channels, &encoding);
            if (newRate != rate)
                return fail(TMPEGPlayer::InputStreamError);
            continue;
        }
        const std::size_t frames = bytes / StereoBytesPerFrame;
        if (frames > 0) {
            if (resampler)
                analysis.FeedStereo16(resampled.data(),
                                      resampler->Process(buffer.data(), frames, resampled.data(),
                                                         resampled.size() / 2));
            else
                analysis.FeedStereo16(buffer.data(), frames);
            decoded += static_cast<std::int64_t>(frames);
        }
        if (status == MPG123_DONE)
            break;
        if (status != MPG123_OK)
            return fail(TMPEGPlayer::InputStreamError);
    }
    if (resampler)
        for (std::size_t frames = 0;
             (frames = resampler->Flush(resampled.data(), resampled.size() / 2)) > 0;)
            analysis.FeedStereo16(resampled.data(), frames);
    if (decoded == 0)
        return fail(TMPEGPlayer::InputStreamError);
    if (progress)
        progress(total, total);
    return {true, analysis.Finish()};
}

} // namespace lumivox
