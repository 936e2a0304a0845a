// Timing marks of a song: the beats, the tempo and the onsets (attacks) found in its decoded
// sound with aubio. The analysis takes the sound in blocks of any size, so that it can run
// beside other work on the same pass over the samples, and can be stopped between blocks.
#pragma once

#include "audio/decode/WaveformCache.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumivox {

// What was found in one song. Times are milliseconds from the song's start, ascending, to
// a tenth of a millisecond; the tempo is to a thousandth.
struct TSongBeats {
    double TempoBpm = 0; // 0 when no steady beat was found
    std::vector<double> BeatsMs;
    std::vector<double> OnsetsMs;

    bool IsEmpty() const { return BeatsMs.empty() && OnsetsMs.empty() && TempoBpm == 0; }
    bool operator==(const TSongBeats&) const = default;
};

// The rate songs are analysed at. Every song is brought to it first (the import's WAV file
// is already), so that songs at any rate give the same times.
inline constexpr long BeatAnalysisRate = PeakSampleRate;
// The bytes of one frame of 16-bit stereo, the sound the analysis is fed.
inline constexpr std::size_t StereoBytesPerFrame = 4;

// The tempo of a list of beats: 60000 over the median distance between neighbours, which a
// change of tempo midway or a few missed beats do not pull far. 0 with fewer than 4 beats.
double TempoOfBeats(const std::vector<double>& beatsMs);

class TBeatAnalysis {
public:
    // Analyses mono sound at `sampleRate` frames per second (at a quarter of it inside).
    explicit TBeatAnalysis(long sampleRate = BeatAnalysisRate);
    ~TBeatAnalysis();
    TBeatAnalysis(const TBeatAnalysis&) = delete;
    TBeatAnalysis& operator=(const TBeatAnalysis&) = delete;

    // Mono samples in -1..1.
    void FeedMono(const float* samples, std::size_t frames);
    // Interleaved 16-bit stereo frames, mixed to mono.
    void FeedStereo16(const std::int16_t* frames, std::size_t count);
    // Interleaved little-endian 16-bit stereo bytes, as a WAV file holds them; a trailing
    // partial frame is kept for the next call.
    void FeedStereo16Bytes(const char* bytes, std::size_t count);
    // Ends the sound (the last partial hop is padded with silence) and returns what was found.
    // Nothing may be fed afterwards.
    TSongBeats Finish();

    long SampleRate() const { return Rate; }
    std::int64_t FramesFed() const { return Fed; }

private:
    void RunHop();

    struct Detectors;
    std::unique_ptr<Detectors> Aubio;
    std::unique_ptr<class THalfBand[]> Halves; // two, for a quarter of the rate
    long Rate;
    std::int64_t Fed = 0;
    std::int64_t FirstSound = -1; // the first frame above silence
    std::vector<float> Hop;
    std::size_t Filled = 0;
    std::vector<char> PendingBytes;
    // Scratch buffers of the feeding, kept to spare their allocation per block.
    std::vector<std::int16_t> Samples;
    std::vector<float> Mono;
    std::vector<float> Half;
    std::vector<float> Quarter;
    TSongBeats Found;
    bool Finished = false;
};

} // namespace lumivox
