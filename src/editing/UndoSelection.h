// What is selected with a state of the undo history: the selected track headers by row, the
// anchor and the time range, captured from the show and the range selection and put back
// when undo or redo returns to that state. Widget-free.
#pragma once

#include "editing/BlockOperations.h"

#include <vector>

namespace lumivox {

class RangeSelection;
class ShowDocument;

struct TUndoSelection {
    std::vector<bool> Headers; // Headers[k - 1]: track k is selected
    int Anchor = -1;           // 1-based; -1 for none
    TRangeSelection Band;      // the time range; empty for none

    friend bool operator==(const TUndoSelection&, const TUndoSelection&) = default;
};

// The selection as it is now; `range` may be null (no time range then).
TUndoSelection CaptureSelection(const ShowDocument& document, const RangeSelection* range);
// Selects the recorded headers (rows past the show's end are left out) and sets the anchor;
// inside a bulk update, whose Reset then shows them.
void RestoreHeaderSelection(const TUndoSelection& selection, ShowDocument& document);
// Selects the recorded time range, clamped to the show, or clears it; `range` may be null.
void RestoreBand(const TUndoSelection& selection, RangeSelection* range);

} // namespace lumivox
