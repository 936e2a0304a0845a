// The nearest guide within the tolerance, and the marks either side of a time.
#include "editing/SnapGuides.h"

#include "core/SlotTime.h"

#include <algorithm>
#include <cmath>

namespace lumivox {

namespace {

// The element of sorted `list` nearest `ms`, the earlier of two equally near; empty for an
// empty list.
std::optional<std::int64_t> NearestIn(const std::vector<std::int64_t>& list, std::int64_t ms) {
    if (list.empty())
        return std::nullopt;
    const auto after = std::lower_bound(list.begin(), list.end(), ms);
    if (after == list.begin())
        return *after;
    const auto before = std::prev(after);
    if (after == list.end() || ms - *before <= *after - ms)
        return *before;
    return *after;
}

} // namespace

void TSnapGuides::SetBeats(const std::vector<double>& beatsMs) {
    BeatList.clear();
    BeatList.reserve(beatsMs.size());
    for (const double beat : beatsMs)
        if (std::isfinite(beat) && beat >= 0)
            BeatList.push_back(std::llround(beat));
    std::sort(BeatList.begin(), BeatList.end());
}

void TSnapGuides::SetMarks(const TShowMarks& marks) {
    MarkList.clear();
    MarkList.reserve(static_cast<std::size_t>(marks.size()));
    for (const TShowMark& mark : marks)
        MarkList.push_back(mark.Ms);
    // The marks come in time order already; sorting keeps the search right whatever comes.
    std::sort(MarkList.begin(), MarkList.end());
}

TSnapResult TSnapGuides::Snap(std::int64_t ms, long double pixelsPerMs, bool invert) const {
    if (!Active(invert) || pixelsPerMs <= 0)
        return {ms, TSnapKind::None};
    const auto tolerance = static_cast<std::int64_t>(
        std::floor(static_cast<long double>(TolerancePixels) / pixelsPerMs));
    return Nearest(ms, tolerance);
}

TSnapResult TSnapGuides::Nearest(std::int64_t ms, std::int64_t toleranceMs) const {
    const std::optional<std::int64_t> beat = NearestIn(BeatList, ms);
    const std::optional<std::int64_t> mark = NearestIn(MarkList, ms);
    auto distance = [ms](std::int64_t at) { return at > ms ? at - ms : ms - at; };
    TSnapResult result{ms, TSnapKind::None};
    std::int64_t best = toleranceMs;
    if (mark && distance(*mark) <= best) {
        result = {*mark, TSnapKind::Mark};
        best = distance(*mark);
    }
    if (beat && distance(*beat) <= best && (!result.Snapped() || distance(*beat) < best))
        result = {*beat, TSnapKind::Beat};
    return result;
}

std::optional<std::int64_t> TSnapGuides::PreviousMark(std::int64_t ms) const {
    const auto at = std::lower_bound(MarkList.begin(), MarkList.end(), ms);
    if (at == MarkList.begin())
        return std::nullopt;
    return *std::prev(at);
}

std::optional<std::int64_t> TSnapGuides::NextMark(std::int64_t ms) const {
    const auto at = std::upper_bound(MarkList.begin(), MarkList.end(), ms);
    if (at == MarkList.end())
        return std::nullopt;
    return *at;
}

int TSnapGuides::SlotOfMs(std::int64_t ms, int slotMs) {
    return SlotAtMs(ms, slotMs);
}

} // namespace lumivox
