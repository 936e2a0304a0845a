// The per-slot work of the show clock.
#include "app/ShowTick.h"

#include "output/RealTimeOutput.h"

namespace lumivox {

bool TrackHeard(const TFullTrack& track, bool soloActive) {
    return !track.Mute && (!soloActive || track.Solo);
}

void RunTickWork(ShowDocument& document, int currentSlot, const TrackRecorder& record,
                 RealTimeOutput& output) {
    const bool detect = output.Active() && output.MayDetect(currentSlot);
    for (auto& track : document.Tracks) {
        if (!TrackHeard(*track, document.SoloActive))
            continue;
        if (record)
            record(*track, currentSlot);
        if (detect)
            output.DetectChange(*track, currentSlot);
    }
    if (output.Active())
        output.SendQueued();
}

} // namespace lumivox
