// One state of the show as the undo history keeps it: a header-less copy of every track, in
// track order, held in groups of GroupSize tracks that later snapshots share while none of
// their tracks changes; the show's marks, shared likewise while they do not change; and the
// selection to put back with the state.
#pragma once

#include "editing/UndoSelection.h"
#include "model/ProjectClasses.h"
#include "model/ShowMarks.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace lumivox {

class TUndoSnapshot {
public:
    static constexpr std::size_t GroupSize = 8;

    std::size_t size() const { return Count; }
    const TFullDataTrack& operator[](std::size_t index) const {
        return (*Groups[index / GroupSize])[index % GroupSize];
    }
    // True when group `group` (of index / GroupSize) is the very same in both.
    bool SharesGroupWith(const TUndoSnapshot& other, std::size_t group) const {
        return group < Groups.size() && group < other.Groups.size() &&
               Groups[group] == other.Groups[group];
    }
    const TShowMarks& Marks() const { return *MarkList; }
    // True when both hold the very same copy of the marks.
    bool SharesMarksWith(const TUndoSnapshot& other) const { return MarkList == other.MarkList; }
    // What undo and redo select when they return to this state (see UndoHistory).
    const TUndoSelection& Selection() const { return Chosen; }

private:
    friend class UndoHistory;
    friend class THistoryMemory;
    using TGroup = std::vector<TFullDataTrack>;

    std::vector<std::shared_ptr<const TGroup>> Groups;
    std::size_t Count = 0;
    std::shared_ptr<const TShowMarks> MarkList = std::make_shared<const TShowMarks>();
    TUndoSelection Chosen;
};

} // namespace lumivox
