// Operations on a block of slots: a time range over a run of tracks. Widget-free: each
// operation writes the show through its setters (so the views repaint exactly the written
// spans), never writes a locked track, keeps On/Off tracks at 0 or 255, and ends with one
// undo step when anything changed.
#pragma once

#include "model/ShowDocument.h"

#include <cstdint>
#include <vector>

namespace lumivox {

// A time range over a run of tracks: tracks FirstTrack..LastTrack (1-based display
// positions) and slots FirstSlot..LastSlot (1-based), both inclusive. Default: none.
struct TRangeSelection {
    int FirstTrack = 0;
    int LastTrack = 0;
    int FirstSlot = 0;
    int LastSlot = 0;

    bool Empty() const {
        return FirstTrack < 1 || LastTrack < FirstTrack || FirstSlot < 1 || LastSlot < FirstSlot;
    }
    int TrackCount() const { return Empty() ? 0 : LastTrack - FirstTrack + 1; }
    int SlotLength() const { return Empty() ? 0 : LastSlot - FirstSlot + 1; }
    bool Contains(int track, int slot) const {
        return !Empty() && track >= FirstTrack && track <= LastTrack && slot >= FirstSlot &&
               slot <= LastSlot;
    }
    friend bool operator==(const TRangeSelection&, const TRangeSelection&) = default;
};

// The selection spanned by two corners (anchor and pointer, in any order), clamped to the
// show's tracks and its editable slots; empty when the show has no track or no slot.
TRangeSelection SelectionBetween(const ShowDocument& document, int trackA, int slotA, int trackB,
                                 int slotB);

// Values copied from a selection: one row per track, all rows of the same length.
struct TValueBlock {
    std::vector<std::vector<std::uint8_t>> Rows;
    bool Empty() const { return Rows.empty() || Rows.front().empty(); }
    int SlotLength() const { return Rows.empty() ? 0 : static_cast<int>(Rows.front().size()); }
};

// What a block operation asks of its surroundings.
class IBlockHost {
public:
    virtual ~IBlockHost() = default;
    // Records an undo step when the tracks changed.
    virtual void TakeSnapshot() = 0;
};

class BlockOperations {
public:
    BlockOperations(ShowDocument& document, IBlockHost& host);

    // Each returns true when it wrote at least one slot (and then marks the show modified and
    // takes one undo step). Selections are clamped to the show first.

    // Copies the selection's values into the block clipboard (all tracks, locked or not).
    bool Copy(const TRangeSelection& selection);
    // Copies, then writes 0 over the selection.
    bool Cut(const TRangeSelection& selection);
    bool HasBlock() const { return !Clipboard.Empty(); }
    const TValueBlock& Block() const { return Clipboard; }
    // Writes the clipboard's rows from track `firstTrack` down, from `slot` on, clipped to
    // the show's tracks and its last slot.
    bool Paste(int firstTrack, int slot);
    bool Clear(const TRangeSelection& selection);
    bool Fill(const TRangeSelection& selection, std::uint8_t value);
    // A linear fade from `from` at the first slot to `to` at the last.
    bool Ramp(const TRangeSelection& selection, std::uint8_t from, std::uint8_t to);
    // Each value v becomes 255 - v.
    bool Invert(const TRangeSelection& selection);
    // Each value times percent / 100, rounded, at most 255.
    bool Scale(const TRangeSelection& selection, int percent);
    // Moves the selection's values `slots` later (negative: earlier); the slots they leave
    // take 0 and values moved past either end of the song are dropped.
    bool Shift(const TRangeSelection& selection, int slots);
    // Writes the selection's values `times` times right after itself, clipped at the end.
    bool Repeat(const TRangeSelection& selection, int times);
    // A step pattern across the selected tracks: track k of n (0-based) holds `value` during
    // steps k, k + n, k + 2n, … of `stepSlots` slots each, and 0 elsewhere in the range.
    bool Chase(const TRangeSelection& selection, int stepSlots, std::uint8_t value);

private:
    ShowDocument& Doc;
    IBlockHost& Host;
    TValueBlock Clipboard;
};

} // namespace lumivox
