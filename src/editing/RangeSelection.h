// The time range selected in the lanes: a run of tracks over a run of slots, made by a drag
// from an anchor corner to a moving corner, grown from the keyboard and kept in step with
// the show (clamped when tracks go, cleared when the song changes). Widget-free.
#pragma once

#include "editing/BlockOperations.h"

#include <QObject>
#include <QString>

namespace lumivox {

class RangeSelection : public QObject {
    Q_OBJECT
public:
    explicit RangeSelection(ShowDocument& document, QObject* parent = nullptr);

    const TRangeSelection& Range() const { return Current; }
    bool Empty() const { return Current.Empty(); }

    // A drag starts at (track, slot) and its moving corner follows DragTo; both corners are
    // clamped to the show.
    void StartAt(int track, int slot);
    void DragTo(int track, int slot);
    // Moves the moving corner by whole tracks and slots (the keyboard's growth); nothing
    // without a selection.
    void Extend(int tracks, int slots);
    // The corner the drag and the keyboard move, as a track and a slot inside the selection
    // (its other corner is the anchor); only meaningful while the selection is not empty.
    struct TCorner {
        int Track = 0;
        int Slot = 0;
    };
    TCorner MovingCorner() const;
    // Selects `range` (clamped), the anchor at its top-left corner.
    void Select(const TRangeSelection& range);
    void Clear();

    // "hh:mm:ss,mmm" start, end and length of the selection at `slotMs` per slot; the end is
    // the end of the last slot.
    struct TTimes {
        std::int64_t StartMs = 0;
        std::int64_t EndMs = 0;
        std::int64_t LengthMs() const { return EndMs - StartMs; }
    };
    TTimes Times(int slotMs) const;

Q_SIGNALS:
    void Changed(const lumivox::TRangeSelection& previous, const lumivox::TRangeSelection& current);

private:
    void Apply(const TRangeSelection& range);
    void FollowDocument();
    void TracksRemoved(int first, int last);
    void TracksAdded(int first, int last);
    // After a bulk update: cleared when the song changed, clamped to the show otherwise.
    void ShowReset();
    // Puts the drag's corners on `range`'s corners, each on its side.
    void Rebase(const TRangeSelection& range);

    ShowDocument& Doc;
    TRangeSelection Current;
    // The drag's corners: the anchor stays, the moving corner follows.
    int AnchorTrack = 0, AnchorSlot = 0, MovingTrack = 0, MovingSlot = 0;
    // What the selection was made over: a new song or a new length clears it.
    QString Song;
    int SlotCount = 0;
};

} // namespace lumivox
