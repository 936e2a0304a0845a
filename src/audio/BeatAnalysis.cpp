// The beat, tempo and onset detectors over aubio, fed hop by hop, and the two ways songs reach
// them: the import's WAV file and an MP3 decoded here.
#include "audio/BeatAnalysis.h"

#include "audio/Mp3Decoder.h"
#include "audio/Mpg123Handle.h"
#include "audio/Resampler.h"
#include "audio/WaveFile.h"

#include <QFileInfo>
#include <QtEndian>

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

namespace lumivox {

namespace {

// Analysis window and hop in frames at 44.1 kHz. The hop of 5.8 ms is the resolution of the
// times found and of the tracker's beat period: at twice that, a 120 BPM period falls between
// two whole hops and the beats wander by some 25 ms around the true ones. The window of four
// hops gives the detectors enough low frequencies to hear a kick drum.
constexpr uint_t WindowFrames = 1024;
constexpr uint_t HopFrames = 256;
// aubio drops a beat or an onset when the hop it is reported in is quieter than its silence
// level; both are reported a few hops after the attack, which in sparse music (a click, a
// drum hit after a rest) is often silent again, so that gate would lose most of them. It is
// turned off (digital silence is -inf dB, which is not below -inf); what lies before the
// song's first sound is dropped instead.
constexpr smpl_t NoSilenceGate = -std::numeric_limits<smpl_t>::infinity();
// A sample above this (-80 dB) is sound.
constexpr float SoundLevel = 1e-4f;
// Two onsets closer than this are one.
constexpr smpl_t MinimumOnsetGapMs = 30;

// aubio plans its FFTs with FFTW, whose planner must not run on two threads at once; the
// editor may analyse one song on a worker while importing another.
std::mutex& PlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

// Adds `ms` to `times` unless it would not keep them ascending.
void AddTime(std::vector<double>& times, double ms) {
    ms = std::max(0.0, ms);
    if (times.empty() || ms > times.back())
        times.push_back(ms);
}

constexpr std::size_t DecodeBufferBytes = 128 * 1024;
constexpr std::size_t StereoBytesPerFrame = 4;
constexpr std::int64_t WaveBlockBytes = 256 * 1024;

} // namespace

double TempoOfBeats(const std::vector<double>& beatsMs) {
    if (beatsMs.size() < 4)
        return 0;
    std::vector<double> gaps;
    gaps.reserve(beatsMs.size() - 1);
    for (std::size_t i = 1; i < beatsMs.size(); ++i)
        gaps.push_back(beatsMs[i] - beatsMs[i - 1]);
    std::vector<double> sorted = gaps;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const double median = *middle;
    if (median <= 0)
        return 0;
    // The mean of the gaps near the median: the tracker's beats step by whole hops around
    // the true period, so single gaps are a little off either way while their mean is not; a
    // missed beat or a section at another tempo stays out of it.
    double sum = 0;
    int count = 0;
    for (double gap : gaps) {
        if (std::abs(gap - median) <= median * 0.1) {
            sum += gap;
            ++count;
        }
    }
    return 60000.0 / (sum / count);
}

struct TBeatAnalysis::Detectors {
    aubio_tempo_t* Tempo = nullptr;
    aubio_onset_t* Onset = nullptr;
    fvec_t* Input = nullptr;
    fvec_t* TempoOut = nullptr;
    fvec_t* OnsetOut = nullptr;

    explicit Detectors(long rate) {
        const std::lock_guard lock(PlannerMutex());
        const auto samplerate = static_cast<uint_t>(rate);
        char method[] = "default";
        Tempo = new_aubio_tempo(method, WindowFrames, HopFrames, samplerate);
        Onset = new_aubio_onset(method, WindowFrames, HopFrames, samplerate);
        Input = new_fvec(HopFrames);
        TempoOut = new_fvec(1);
        OnsetOut = new_fvec(1);
        if (Tempo)
            aubio_tempo_set_silence(Tempo, NoSilenceGate);
        if (Onset) {
            aubio_onset_set_silence(Onset, NoSilenceGate);
            aubio_onset_set_minioi_ms(Onset, MinimumOnsetGapMs);
        }
    }
    ~Detectors() {
        const std::lock_guard lock(PlannerMutex());
        if (Tempo)
            del_aubio_tempo(Tempo);
        if (Onset)
            del_aubio_onset(Onset);
        for (fvec_t* vector : {Input, TempoOut, OnsetOut})
            if (vector)
                del_fvec(vector);
    }
    Detectors(const Detectors&) = delete;
    Detectors& operator=(const Detectors&) = delete;

    bool IsValid() const { return Tempo && Onset && Input && TempoOut && OnsetOut; }
};

TBeatAnalysis::TBeatAnalysis(long sampleRate)
    : Aubio(std::make_unique<Detectors>(sampleRate > 0 ? sampleRate : BeatAnalysisRate)),
      Rate(sampleRate > 0 ? sampleRate : BeatAnalysisRate), Hop(HopFrames, 0.0f) {
    // Without working detectors (a rate aubio refuses) nothing is found, which is what
    // Finish then reports.
    if (!Aubio->IsValid())
        Aubio.reset();
}

TBeatAnalysis::~TBeatAnalysis() = default;

void TBeatAnalysis::Push(float sample) {
    if (FirstSound < 0 && std::abs(sample) > SoundLevel)
        FirstSound = Fed;
    ++Fed;
    Hop[Filled++] = sample;
    if (Filled == Hop.size()) {
        RunHop();
        Filled = 0;
    }
}

void TBeatAnalysis::RunHop() {
    if (!Aubio)
        return;
    std::copy(Hop.begin(), Hop.end(), Aubio->Input->data);
    aubio_tempo_do(Aubio->Tempo, Aubio->Input, Aubio->TempoOut);
    if (Aubio->TempoOut->data[0] != 0)
        AddTime(Found.BeatsMs, aubio_tempo_get_last_ms(Aubio->Tempo));
    aubio_onset_do(Aubio->Onset, Aubio->Input, Aubio->OnsetOut);
    if (Aubio->OnsetOut->data[0] != 0)
        AddTime(Found.OnsetsMs, aubio_onset_get_last_ms(Aubio->Onset));
}

void TBeatAnalysis::FeedMono(const float* samples, std::size_t frames) {
    if (Finished)
        return;
    for (std::size_t i = 0; i < frames; ++i)
        Push(samples[i]);
}

void TBeatAnalysis::FeedStereo16(const std::int16_t* frames, std::size_t count) {
    if (Finished)
        return;
    constexpr float Scale = 1.0f / 65536.0f; // the mean of two channels, to -1..1
    for (std::size_t i = 0; i < count; ++i)
        Push((static_cast<float>(frames[2 * i]) + static_cast<float>(frames[2 * i + 1])) * Scale);
}

void TBeatAnalysis::FeedStereo16Bytes(const char* bytes, std::size_t count) {
    if (Finished)
        return;
    std::int16_t frame[2] = {0, 0};
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t i = 0;
    // A frame split by the last call is completed first.
    while (!PendingBytes.empty() && i < count) {
        PendingBytes.push_back(bytes[i++]);
        if (PendingBytes.size() == StereoBytesPerFrame) {
            const auto* pending = reinterpret_cast<const unsigned char*>(PendingBytes.data());
            frame[0] = qFromLittleEndian<std::int16_t>(pending);
            frame[1] = qFromLittleEndian<std::int16_t>(pending + 2);
            FeedStereo16(frame, 1);
            PendingBytes.clear();
        }
    }
    for (; i + StereoBytesPerFrame <= count; i += StereoBytesPerFrame) {
        frame[0] = qFromLittleEndian<std::int16_t>(data + i);
        frame[1] = qFromLittleEndian<std::int16_t>(data + i + 2);
        FeedStereo16(frame, 1);
    }
    PendingBytes.insert(PendingBytes.end(), bytes + i, bytes + count);
}

TSongBeats TBeatAnalysis::Finish() {
    if (!Finished) {
        Finished = true;
        if (Filled > 0) {
            std::fill(Hop.begin() + static_cast<std::ptrdiff_t>(Filled), Hop.end(), 0.0f);
            RunHop();
            Filled = 0;
        }
        // Nothing lies before the first sound (aubio reports an onset at the very start of
        // any stream) or past the end, whatever a detector's delay made of the edges; two
        // hops of margin before the sound keep what the detectors place a little early.
        const double msPerFrame = 1000.0 / static_cast<double>(Rate);
        const double endMs = static_cast<double>(Fed) * msPerFrame;
        const double startMs =
            FirstSound < 0
                ? endMs + 1
                : static_cast<double>(FirstSound - 2 * std::int64_t{HopFrames}) * msPerFrame;
        for (std::vector<double>* times : {&Found.BeatsMs, &Found.OnsetsMs}) {
            times->erase(std::upper_bound(times->begin(), times->end(), endMs), times->end());
            times->erase(times->begin(), std::lower_bound(times->begin(), times->end(), startMs));
        }
        // Kept to the precision of the beat file, so that what was found and what is read
        // back from it are the same.
        for (std::vector<double>* times : {&Found.BeatsMs, &Found.OnsetsMs})
            for (double& ms : *times)
                ms = std::round(ms * 10) / 10;
        Found.TempoBpm = std::round(TempoOfBeats(Found.BeatsMs) * 1000) / 1000;
    }
    return Found;
}

TBeatsResult AnalyseWaveFile(const QString& wavePath, const TProgress& progress,
                             const std::atomic<bool>* cancel) {
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
        resampled.resize(resampler->OutputRoomFor(DecodeBufferBytes / StereoBytesPerFrame) * 2);
    }
    std::vector<std::int16_t> buffer(DecodeBufferBytes / sizeof(std::int16_t));
    std::int64_t decoded = 0;
    for (;;) {
        if ((cancel && cancel->load(std::memory_order_relaxed)) ||
            (progress && !progress(std::min(decoded, total), total)))
            return {};
        std::size_t bytes = 0;
        status = mpg123_read(handle.get(), reinterpret_cast<unsigned char*>(buffer.data()),
                             DecodeBufferBytes, &bytes);
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
