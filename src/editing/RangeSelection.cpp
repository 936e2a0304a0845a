// The selection's corners, its growth and how it follows the show.
#include "editing/RangeSelection.h"

#include <algorithm>

namespace lumivox {

RangeSelection::RangeSelection(ShowDocument& document, QObject* parent)
    : QObject(parent), Doc(document) {
    FollowDocument();
}

void RangeSelection::FollowDocument() {
    connect(&Doc, &ShowDocument::TracksRemoved, this, &RangeSelection::TracksRemoved);
    connect(&Doc, &ShowDocument::TracksAdded, this, &RangeSelection::TracksAdded);
    connect(&Doc, &ShowDocument::Reset, this, &RangeSelection::ShowReset);
    connect(&Doc, &ShowDocument::ProjectChanged, this, [this](TProjectFields fields) {
        if (fields & (TProjectField::Song | TProjectField::Resolution))
            Clear();
    });
}

void RangeSelection::StartAt(int track, int slot) {
    AnchorTrack = MovingTrack = track;
    AnchorSlot = MovingSlot = slot;
    Song = Doc.Project().Mp3FileName;
    SlotCount = Doc.SlotCount;
    Apply(SelectionBetween(Doc, track, slot, track, slot));
}

void RangeSelection::DragTo(int track, int slot) {
    if (AnchorTrack < 1)
        return;
    MovingTrack = track;
    MovingSlot = slot;
    Apply(SelectionBetween(Doc, AnchorTrack, AnchorSlot, MovingTrack, MovingSlot));
}

void RangeSelection::Extend(int tracks, int slots) {
    if (Current.Empty())
        return;
    // The moving corner first comes back inside the show, so growth starts from what is seen.
    const TRangeSelection moved =
        SelectionBetween(Doc, MovingTrack, MovingSlot, MovingTrack, MovingSlot);
    MovingTrack = moved.FirstTrack + tracks;
    MovingSlot = moved.FirstSlot + slots;
    const TRangeSelection range =
        SelectionBetween(Doc, AnchorTrack, AnchorSlot, MovingTrack, MovingSlot);
    // Keep the corner where the show stops it, so growing back starts from the edge.
    MovingTrack = MovingTrack < AnchorTrack ? range.FirstTrack : range.LastTrack;
    MovingSlot = MovingSlot < AnchorSlot ? range.FirstSlot : range.LastSlot;
    Apply(range);
}

RangeSelection::TCorner RangeSelection::MovingCorner() const {
    // A drag past the show's edges leaves the corner outside; what is seen is the edge.
    return {std::clamp(MovingTrack, Current.FirstTrack, Current.LastTrack),
            std::clamp(MovingSlot, Current.FirstSlot, Current.LastSlot)};
}

void RangeSelection::Select(const TRangeSelection& range) {
    if (range.Empty()) {
        Clear();
        return;
    }
    StartAt(range.FirstTrack, range.FirstSlot);
    DragTo(range.LastTrack, range.LastSlot);
}

void RangeSelection::Clear() {
    AnchorTrack = AnchorSlot = MovingTrack = MovingSlot = 0;
    Apply({});
}

RangeSelection::TTimes RangeSelection::Times(int slotMs) const {
    if (Current.Empty())
        return {};
    return {std::int64_t{Current.FirstSlot - 1} * slotMs, std::int64_t{Current.LastSlot} * slotMs};
}

void RangeSelection::Apply(const TRangeSelection& range) {
    const TRangeSelection clean = range.Empty() ? TRangeSelection{} : range;
    if (clean == Current)
        return;
    const TRangeSelection previous = Current;
    Current = clean;
    Q_EMIT Changed(previous, Current);
}

void RangeSelection::TracksRemoved(int first, int last) {
    if (Current.Empty())
        return;
    // Tracks above the selection move it up; removed tracks inside it shorten it.
    auto countIn = [first, last](int from, int to) {
        return std::max(0, std::min(last, to) - std::max(first, from) + 1);
    };
    const int above = countIn(1, Current.FirstTrack - 1);
    const int inside = countIn(Current.FirstTrack, Current.LastTrack);
    TRangeSelection range = Current;
    range.FirstTrack -= above;
    range.LastTrack -= above + inside;
    if (range.LastTrack < range.FirstTrack) {
        Clear();
        return;
    }
    Rebase(range);
    Apply(range);
}

void RangeSelection::TracksAdded(int first, int last) {
    if (Current.Empty() || first > Current.LastTrack)
        return;
    // Inserted above: the selection moves down with its tracks; inside: it grows.
    const int count = last - first + 1;
    TRangeSelection range = Current;
    if (first <= Current.FirstTrack)
        range.FirstTrack += count;
    range.LastTrack += count;
    Rebase(range);
    Apply(range);
}

void RangeSelection::ShowReset() {
    if (Current.Empty())
        return;
    if (Doc.Project().Mp3FileName != Song || Doc.SlotCount != SlotCount) {
        Clear();
        return;
    }
    const TRangeSelection range = SelectionBetween(Doc, Current.FirstTrack, Current.FirstSlot,
                                                   Current.LastTrack, Current.LastSlot);
    Rebase(range);
    Apply(range);
}

void RangeSelection::Rebase(const TRangeSelection& range) {
    // The corners keep their sides: an anchor below or right of the moving corner stays so.
    const bool down = AnchorTrack <= MovingTrack;
    const bool right = AnchorSlot <= MovingSlot;
    AnchorTrack = down ? range.FirstTrack : range.LastTrack;
    MovingTrack = down ? range.LastTrack : range.FirstTrack;
    AnchorSlot = right ? range.FirstSlot : range.LastSlot;
    MovingSlot = right ? range.LastSlot : range.FirstSlot;
}

} // namespace lumivox
