// The beat, tempo and onset detectors over aubio, fed hop by hop.
#include "audio/analysis/BeatAnalysis.h"

#include "audio/analysis/AubioLibrary.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stop_token>
#include <thread>

namespace lumivox {

namespace {

// The detectors listen to the sound at a quarter of its rate (11.025 kHz for a song): beats
// and attacks show below 5 kHz, and a quarter of the samples costs a quarter of the time.
constexpr int Decimation = 4;
// Analysis window and hop in frames at that rate. The hop of 5.8 ms is the resolution of the
// times found and of the tracker's beat period: at twice that, a 120 BPM period falls between
// two whole hops and the beats wander by some 25 ms around the true ones. The window of four
// hops gives the detectors enough low frequencies to hear a kick drum.
constexpr uint_t WindowFrames = 256;
constexpr uint_t HopFrames = 64;
// aubio's own tempo and onset objects drop a beat or an onset when the hop it is reported in
// is quiet; both are reported a few hops after the attack, which in sparse music (a click, a
// drum hit after a rest) is often silent again, so such a gate would lose most of them. There
// is none here: what lies before the song's first sound is dropped instead.
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

} // namespace

// Halves the rate of a stream of samples, a block at a time: the half-band filter
// (-1 0 9 16 9 0 -1) / 32 keeps what lies below a quarter of the input rate, and every second
// output is kept.
class THalfBand {
public:
    THalfBand() : Held(TapCount - 1, 0.0f) {}
    // Appends the outputs `in` completes to `out`.
    void Process(const float* in, std::size_t count, std::vector<float>& out) {
        Held.insert(Held.end(), in, in + count);
        const float* x = Held.data();
        std::size_t i = 0;
        for (; i + TapCount <= Held.size(); i += 2)
            out.push_back((9.0f * (x[i + 2] + x[i + 4]) + 16.0f * x[i + 3] - (x[i] + x[i + 6])) *
                          (1.0f / 32.0f));
        Held.erase(Held.begin(), Held.begin() + static_cast<std::ptrdiff_t>(i));
    }

private:
    static constexpr std::size_t TapCount = 7;
    std::vector<float> Held; // the samples the next output still needs
};

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

// aubio's tempo and onset objects each run a phase vocoder of their own, and most of their
// time goes into the phases, which neither descriptor used here reads (five times as long as
// all of this). The same chain is built from aubio's parts around one magnitude spectrum per
// hop: its spectral flux and the flux's peak picker feed the beat tracker as aubio's tempo
// object does, and the high-frequency content of the log-compressed spectrum feeds the onset
// picker with the onset object's settings.
// The beat tracker's look at its window (an autocorrelation over 1,024 descriptor values, a
// third of the analysis) runs on a thread of its own while the spectra of the next hops are
// worked out. The beats it predicts only become times, nothing else reads them, so the tracker
// can lag behind by a few windows and still find exactly what it would find in step.
class TTrackerThread {
public:
    TTrackerThread(const TAubioLibrary& api, aubio_beattracking_t* tracker, uint_t windowFrames,
                   uint_t step, uint_t hopFrames, long rate)
        : Api(api), Tracker(tracker), WindowFrames(windowFrames), Step(step), HopFrames(hopFrames),
          Rate(rate), Predicted(Api.new_fvec(step)),
          Worker([this](const std::stop_token& stop) { Work(stop); }) {}
    ~TTrackerThread() {
        Worker.request_stop();
        Wake.notify_all();
        Worker.join();
        if (Predicted)
            Api.del_fvec(Predicted);
    }
    TTrackerThread(const TTrackerThread&) = delete;
    TTrackerThread& operator=(const TTrackerThread&) = delete;

    bool IsValid() const { return Predicted != nullptr; }

    // The tracker's window as it stands before the hop that starts at `firstFrame`; the beats
    // it predicts fall in the Step hops from there.
    void Look(const float* window, std::int64_t firstFrame) {
        {
            const std::lock_guard lock(Guard);
            Jobs.push_back({std::vector<float>(window, window + WindowFrames), firstFrame});
        }
        Wake.notify_one();
    }

    // Waits for every window handed in; returns the beats of those of their hops that lie
    // before `endFrame`, in ms and ascending.
    std::vector<double> Finish(std::int64_t endFrame) {
        std::unique_lock lock(Guard);
        Done.wait(lock, [this] { return Jobs.empty() && !Busy; });
        std::vector<double> beats;
        beats.reserve(Found.size());
        for (const auto& [frame, ms] : Found)
            if (frame < endFrame)
                AddTime(beats, ms);
        return beats;
    }

private:
    struct TJob {
        std::vector<float> Window;
        std::int64_t FirstFrame = 0;
    };

    void Work(const std::stop_token& stop) {
        fvec_t input{WindowFrames, nullptr};
        for (;;) {
            TJob job;
            {
                std::unique_lock lock(Guard);
                Wake.wait(lock, stop, [this] { return !Jobs.empty(); });
                if (stop.stop_requested() || Jobs.empty())
                    return; // the analysis was dropped
                job = std::move(Jobs.front());
                Jobs.pop_front();
                Busy = true;
            }
            input.data = job.Window.data();
            Api.aubio_beattracking_do(Tracker, &input, Predicted);
            // Predicted holds its count + 1, then each beat as hops (and a fraction) from the
            // window's first hop; a beat is reported in its hop, at its fraction of it.
            std::vector<std::pair<std::int64_t, double>> beats;
            const auto predicted = static_cast<uint_t>(Predicted->data[0]);
            for (uint_t i = 1; i < predicted && i < Step; ++i) {
                const smpl_t at = Predicted->data[i];
                const double hop = std::floor(at);
                if (hop < 0 || hop >= Step)
                    continue;
                const std::int64_t hopFrame =
                    job.FirstFrame + static_cast<std::int64_t>(hop) * HopFrames;
                const std::int64_t frame = hopFrame + std::lround((at - hop) * HopFrames);
                beats.emplace_back(hopFrame,
                                   static_cast<double>(frame) * 1000.0 / static_cast<double>(Rate));
            }
            std::ranges::stable_sort(beats, {}, &std::pair<std::int64_t, double>::first);
            {
                const std::lock_guard lock(Guard);
                Found.insert(Found.end(), beats.begin(), beats.end());
                Busy = false;
            }
            Done.notify_all();
        }
    }

    const TAubioLibrary& Api;
    aubio_beattracking_t* Tracker;
    const uint_t WindowFrames;
    const uint_t Step;
    const uint_t HopFrames;
    const long Rate;
    fvec_t* Predicted;
    std::mutex Guard;
    std::condition_variable_any Wake;
    std::condition_variable Done;
    std::deque<TJob> Jobs;
    bool Busy = false;
    // Each beat found: the first frame of the hop it is reported in, and its time in ms.
    std::vector<std::pair<std::int64_t, double>> Found;
    // Last: it starts working at once, on everything above.
    std::jthread Worker;
};

struct TBeatAnalysis::Detectors {
    // The onset object's settings for its high-frequency-content method, but for the
    // threshold: with its 0.058 the tail of a noise burst at a quarter of the rate counted as a
    // second onset some 70 ms after the first, and 0.2 finds each burst once.
    static constexpr smpl_t OnsetThreshold = 0.2f;
    static constexpr smpl_t OnsetCompression = 1;
    static constexpr double OnsetDelayHops = 4.3; // from the attack to its peak in the picker
    static constexpr smpl_t TempoThreshold = 0.3f;
    // The tracker weighs 5.8 s of the descriptor and looks again every quarter of that.
    static constexpr double TrackerSeconds = 5.8;

    const TAubioLibrary& Api;
    long Rate;
    uint_t TrackerFrames = 0; // descriptor values the tracker weighs
    uint_t Step = 0;          // hops between two looks of the tracker
    fvec_t* Frame = nullptr;  // the last WindowFrames samples
    fvec_t* Window = nullptr;
    fvec_t* Windowed = nullptr;
    fvec_t* Complex = nullptr;
    cvec_t* Spectrum = nullptr;
    cvec_t* Compressed = nullptr;
    aubio_fft_t* Fft = nullptr;
    std::vector<float> LastSpectrum; // the flux's last magnitudes
    aubio_peakpicker_t* FluxPeaks = nullptr;
    aubio_peakpicker_t* ContentPeaks = nullptr;
    aubio_beattracking_t* Tracker = nullptr;
    fvec_t* Value = nullptr;
    fvec_t* Peak = nullptr;
    fvec_t* Descriptor = nullptr; // what the tracker weighs next
    std::unique_ptr<TTrackerThread> Looks;
    int BlockPos = 0;
    std::int64_t TotalFrames = 0;
    std::int64_t LastOnset = -1;
    std::int64_t MinimumOnsetGap;

    Detectors(const TAubioLibrary& api, long rate)
        : Api(api), Rate(rate),
          MinimumOnsetGap(static_cast<std::int64_t>(MinimumOnsetGapMs * rate / 1000)) {
        const std::lock_guard lock(PlannerMutex());
        const auto samplerate = static_cast<uint_t>(rate);
        TrackerFrames = NextPowerOfTwo(static_cast<uint_t>(TrackerSeconds * rate / HopFrames));
        Step = TrackerFrames / 4;
        char window[] = "hanningz";
        Frame = Api.new_fvec(WindowFrames);
        Window = Api.new_aubio_window(window, WindowFrames);
        Windowed = Api.new_fvec(WindowFrames);
        Complex = Api.new_fvec(WindowFrames);
        Spectrum = Api.new_cvec(WindowFrames);
        Compressed = Api.new_cvec(WindowFrames);
        Fft = Api.new_aubio_fft(WindowFrames);
        LastSpectrum.assign(WindowFrames / 2 + 1, 0.0f);
        FluxPeaks = Api.new_aubio_peakpicker();
        ContentPeaks = Api.new_aubio_peakpicker();
        Tracker = Api.new_aubio_beattracking(TrackerFrames, HopFrames, samplerate);
        Value = Api.new_fvec(1);
        Peak = Api.new_fvec(1);
        Descriptor = Api.new_fvec(TrackerFrames);
        if (Tracker)
            Looks = std::make_unique<TTrackerThread>(Api, Tracker, TrackerFrames, Step, HopFrames,
                                                     rate);
        if (FluxPeaks)
            Api.aubio_peakpicker_set_threshold(FluxPeaks, TempoThreshold);
        if (ContentPeaks)
            Api.aubio_peakpicker_set_threshold(ContentPeaks, OnsetThreshold);
    }
    ~Detectors() {
        Looks.reset(); // stops using the tracker
        const std::lock_guard lock(PlannerMutex());
        for (fvec_t* vector : {Frame, Window, Windowed, Complex, Value, Peak, Descriptor})
            if (vector)
                Api.del_fvec(vector);
        for (cvec_t* vector : {Spectrum, Compressed})
            if (vector)
                Api.del_cvec(vector);
        if (Fft)
            Api.del_aubio_fft(Fft);
        for (aubio_peakpicker_t* picker : {FluxPeaks, ContentPeaks})
            if (picker)
                Api.del_aubio_peakpicker(picker);
        if (Tracker)
            Api.del_aubio_beattracking(Tracker);
    }
    Detectors(const Detectors&) = delete;
    Detectors& operator=(const Detectors&) = delete;

    static uint_t NextPowerOfTwo(uint_t value) {
        uint_t power = 1;
        while (power < value)
            power <<= 1;
        return power;
    }

    bool IsValid() const {
        return Frame && Window && Windowed && Complex && Spectrum && Compressed && Fft &&
               FluxPeaks && ContentPeaks && Tracker && Value && Peak && Descriptor && Looks &&
               Looks->IsValid();
    }

    // aubio's spectral flux and high-frequency content, written out so that the compiler can
    // vectorise them: aubio's own loops branch per bin and took a tenth of the analysis.
    float SpectralFlux() {
        const float* norm = Spectrum->norm;
        float* last = LastSpectrum.data();
        float flux = 0;
        for (std::size_t j = 0; j < LastSpectrum.size(); ++j) {
            flux += std::max(0.0f, norm[j] - last[j]);
            last[j] = norm[j];
        }
        return flux;
    }
    float HighFrequencyContent() const {
        const float* norm = Compressed->norm;
        float content = 0;
        for (uint_t j = 0; j < Compressed->length; ++j)
            content += static_cast<float>(j + 1) * norm[j];
        return content;
    }

    double Ms(std::int64_t frame) const {
        return static_cast<double>(frame) * 1000.0 / static_cast<double>(Rate);
    }

    // One hop of new samples; adds the onset it completes and hands the tracker its window
    // every Step hops.
    void Run(const float* hop, std::vector<double>& onsets) {
        float* frame = Frame->data;
        std::copy(frame + HopFrames, frame + WindowFrames, frame);
        std::copy(hop, hop + HopFrames, frame + WindowFrames - HopFrames);
        for (uint_t i = 0; i < WindowFrames; ++i)
            Windowed->data[i] = frame[i] * Window->data[i];
        Api.aubio_fft_do_complex(Fft, Windowed, Complex);
        Api.aubio_fft_get_norm(Complex, Spectrum);

        // Beats: the flux, thresholded by its picker, goes into the tracker's window; every
        // Step hops the tracker predicts the beats of the next Step hops.
        Value->data[0] = SpectralFlux();
        if (BlockPos == static_cast<int>(Step) - 1) {
            Looks->Look(Descriptor->data, TotalFrames);
            float* values = Descriptor->data;
            std::copy(values + Step, values + TrackerFrames, values);
            std::fill(values + TrackerFrames - Step, values + TrackerFrames, 0.0f);
            BlockPos = -1;
        }
        ++BlockPos;
        Api.aubio_peakpicker_do(FluxPeaks, Value, Peak);
        Descriptor->data[TrackerFrames - Step + static_cast<uint_t>(BlockPos)] =
            Api.aubio_peakpicker_get_thresholded_input(FluxPeaks)->data[0];

        // Onsets: the high-frequency content of the log-compressed spectrum.
        std::copy(Spectrum->norm, Spectrum->norm + Spectrum->length, Compressed->norm);
        Api.cvec_logmag(Compressed, OnsetCompression);
        Value->data[0] = HighFrequencyContent();
        Api.aubio_peakpicker_do(ContentPeaks, Value, Peak);
        if (Peak->data[0] > 0) {
            const std::int64_t onset = TotalFrames + std::lround(Peak->data[0] * HopFrames);
            if (LastOnset < 0 || LastOnset + MinimumOnsetGap < onset) {
                LastOnset = onset;
                AddTime(onsets, Ms(onset) - OnsetDelayHops * Ms(HopFrames));
            }
        }
        TotalFrames += HopFrames;
    }
};

TBeatAnalysis::TBeatAnalysis(long sampleRate)
    : Halves(std::make_unique<THalfBand[]>(2)),
      Rate(sampleRate > 0 ? sampleRate : BeatAnalysisRate), Hop(HopFrames, 0.0f) {
    // Without working detectors (a rate aubio refuses, or no aubio) nothing is found, which
    // is what Finish then reports.
    if (const TAubioLibrary* api = AubioLibrary()) {
        Aubio = std::make_unique<Detectors>(*api, Rate / Decimation);
        if (!Aubio->IsValid())
            Aubio.reset();
    }
}

TBeatAnalysis::~TBeatAnalysis() = default;

void TBeatAnalysis::FeedMono(const float* samples, std::size_t frames) {
    if (Finished)
        return;
    for (std::size_t i = 0; FirstSound < 0 && i < frames; ++i)
        if (std::abs(samples[i]) > SoundLevel)
            FirstSound = Fed + static_cast<std::int64_t>(i);
    Fed += static_cast<std::int64_t>(frames);
    Half.clear();
    Halves[0].Process(samples, frames, Half);
    Quarter.clear();
    Halves[1].Process(Half.data(), Half.size(), Quarter);
    for (std::size_t at = 0; at < Quarter.size();) {
        const std::size_t take = std::min(Hop.size() - Filled, Quarter.size() - at);
        std::copy_n(Quarter.begin() + static_cast<std::ptrdiff_t>(at), take,
                    Hop.begin() + static_cast<std::ptrdiff_t>(Filled));
        Filled += take;
        at += take;
        if (Filled == Hop.size()) {
            RunHop();
            Filled = 0;
        }
    }
}

void TBeatAnalysis::RunHop() {
    if (Aubio)
        Aubio->Run(Hop.data(), Found.OnsetsMs);
}

void TBeatAnalysis::FeedStereo16(const std::int16_t* frames, std::size_t count) {
    if (Finished)
        return;
    constexpr float Scale = 1.0f / 65536.0f; // the mean of two channels, to -1..1
    Mono.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        Mono[i] =
            (static_cast<float>(frames[2 * i]) + static_cast<float>(frames[2 * i + 1])) * Scale;
    FeedMono(Mono.data(), count);
}

void TBeatAnalysis::FeedStereo16Bytes(const char* bytes, std::size_t count) {
    if (Finished)
        return;
    std::size_t i = 0;
    // A frame split by the last call is completed first.
    while (!PendingBytes.empty() && i < count) {
        PendingBytes.push_back(bytes[i++]);
        if (PendingBytes.size() == StereoBytesPerFrame) {
            const auto* pending = reinterpret_cast<const unsigned char*>(PendingBytes.data());
            const std::int16_t frame[2] = {qFromLittleEndian<std::int16_t>(pending),
                                           qFromLittleEndian<std::int16_t>(pending + 2)};
            FeedStereo16(frame, 1);
            PendingBytes.clear();
        }
    }
    const std::size_t frames = (count - i) / StereoBytesPerFrame;
    if (frames > 0) { // no whole frame: nothing to convert, and no buffer to convert into
        Samples.resize(frames * 2);
        qFromLittleEndian<std::int16_t>(bytes + i, static_cast<qsizetype>(frames) * 2,
                                        Samples.data());
        FeedStereo16(Samples.data(), frames);
        i += frames * StereoBytesPerFrame;
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
        if (Aubio)
            Found.BeatsMs = Aubio->Looks->Finish(Aubio->TotalFrames);
        // Nothing lies before the first sound (aubio reports an onset at the very start of
        // any stream) or past the end, whatever a detector's delay made of the edges; two
        // hops of margin before the sound keep what the detectors place a little early.
        const double msPerFrame = 1000.0 / static_cast<double>(Rate);
        const double endMs = static_cast<double>(Fed) * msPerFrame;
        const double startMs =
            FirstSound < 0
                ? endMs + 1
                : static_cast<double>(FirstSound - 2 * std::int64_t{HopFrames} * Decimation) *
                      msPerFrame;
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

} // namespace lumivox
