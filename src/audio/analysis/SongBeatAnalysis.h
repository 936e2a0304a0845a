// The two ways songs reach the beat analysis: the import's WAV file, and an MP3 decoded and
// brought to the analysis rate here.
#pragma once

#include "audio/analysis/BeatAnalysis.h"

#include <QString>

#include <atomic>

namespace lumivox {

// Analyses the data of a 16-bit stereo WAV file, such as the import's decoded song, in blocks.
// `progress` gets (bytes done, bytes in all) and stops the analysis by returning false;
// `cancel`, when given, stops it too. Raises EWaveStreamError for a file of another format or
// a failed read; empty when stopped.
struct TBeatsResult {
    bool Complete = false;
    TSongBeats Beats;
};
TBeatsResult AnalyseWaveFile(const QString& wavePath, const TProgress& progress = {},
                             const std::atomic<bool>* cancel = nullptr);

// Decodes the MP3 `songPath` (at its own rate, brought to BeatAnalysisRate) and analyses it.
// `progress` gets (stream frames done, stream frames in all). Not complete when the file
// cannot be decoded (`error` then says why) or when stopped.
TBeatsResult AnalyseSong(const QString& songPath, const TProgress& progress = {},
                         const std::atomic<bool>* cancel = nullptr, QString* error = nullptr);

} // namespace lumivox
