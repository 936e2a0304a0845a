// Capturing and restoring the selection of an undo state.
#include "editing/UndoSelection.h"

#include "editing/RangeSelection.h"
#include "model/ShowDocument.h"

namespace lumivox {

TUndoSelection CaptureSelection(const ShowDocument& document, const RangeSelection* range) {
    TUndoSelection selection;
    selection.Headers.reserve(static_cast<std::size_t>(document.TrackCount()));
    for (const TFullTrack* track : document.Tracks())
        selection.Headers.push_back(track->Selected);
    selection.Anchor = document.Anchor();
    if (range != nullptr)
        selection.Band = range->Range();
    return selection;
}

void RestoreHeaderSelection(const TUndoSelection& selection, ShowDocument& document) {
    for (int k = 1; k <= document.TrackCount(); ++k) {
        const auto row = static_cast<std::size_t>(k - 1);
        document.SetSelected(k, row < selection.Headers.size() && selection.Headers[row]);
    }
    const bool anchored = selection.Anchor >= 1 && selection.Anchor <= document.TrackCount();
    document.SetAnchor(anchored ? selection.Anchor : -1);
}

void RestoreBand(const TUndoSelection& selection, RangeSelection* range) {
    if (range == nullptr)
        return;
    if (selection.Band.Empty())
        range->Clear();
    else
        range->Select(selection.Band);
}

} // namespace lumivox
