// The show clock's per-slot work while the song plays: recording live input into armed
// tracks and finding the changes to send to the playback unit, track by track.
#pragma once

#include "model/ShowDocument.h"

#include <functional>

namespace lumivox {

class RealTimeOutput;

// Records the live input of one heard track at the current slot (0-based).
using TrackRecorder = std::function<void(TFullTrack& track, int currentSlot)>;

// A track is heard when it is not muted and, while any track is soloed, is soloed itself.
bool TrackHeard(const TFullTrack& track, bool soloActive);

// For each heard track in order: record, then detect its change. Then sends the queue. While
// a flush is still under way changes are looked for only once per new slot (see
// RealTimeOutput::MayDetect), so the queue never grows without bound.
void RunTickWork(ShowDocument& document, int currentSlot, const TrackRecorder& record,
                 RealTimeOutput& output);

} // namespace lumivox
