// Snapping to the song's beats and the show's marks: a time the pointer gives is pulled onto
// the nearest beat or mark when one lies within a few pixels of it at the view's scale, and
// the slot grid then takes the snapped time as any other. Widget-free.
#pragma once

#include "model/ShowMarks.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace lumivox {

// What a time was pulled onto.
enum class TSnapKind : std::uint8_t { None, Beat, Mark };

struct TSnapResult {
    std::int64_t Ms = 0;
    TSnapKind Kind = TSnapKind::None;
    bool Snapped() const { return Kind != TSnapKind::None; }
};

class TSnapGuides {
public:
    // How near, in pixels of the view, a guide pulls the pointer's time.
    static constexpr int TolerancePixels = 6;

    // The beats in ms, in any order; negative times are dropped.
    void SetBeats(const std::vector<double>& beatsMs);
    void SetMarks(const TShowMarks& marks);
    const std::vector<std::int64_t>& Beats() const { return BeatList; }
    bool HasBeats() const { return !BeatList.empty(); }
    bool HasGuides() const { return !BeatList.empty() || !MarkList.empty(); }

    // Snap on or off, as the tool button and the menu set it.
    void SetEnabled(bool on) { On = on; }
    bool Enabled() const { return On; }
    // Whether a gesture snaps: the setting, turned over while Alt is held.
    bool Active(bool invert) const { return On != invert; }

    // The guide nearest `ms` within TolerancePixels at `pixelsPerMs`, when the gesture snaps
    // (see Active); otherwise, and with no guide near enough, `ms` itself. Between a beat and
    // a mark equally near, the mark wins: it was placed on purpose.
    TSnapResult Snap(std::int64_t ms, long double pixelsPerMs, bool invert) const;
    // The same with the tolerance in ms, whatever the setting.
    TSnapResult Nearest(std::int64_t ms, std::int64_t toleranceMs) const;

    // The mark strictly before / after `ms`, for the jumps from mark to mark.
    std::optional<std::int64_t> PreviousMark(std::int64_t ms) const;
    std::optional<std::int64_t> NextMark(std::int64_t ms) const;

    // The 1-based slot of `slotMs` per slot that `ms` falls in.
    static int SlotOfMs(std::int64_t ms, int slotMs);

private:
    std::vector<std::int64_t> BeatList; // sorted
    std::vector<std::int64_t> MarkList; // sorted
    bool On = false;
};

} // namespace lumivox
