// Operations on a block of slots: a time range over a run of tracks. Widget-free: each
// operation writes the show through its setters (so the views repaint exactly the written
// spans), never writes a locked track, keeps On/Off tracks at 0 or 255, and ends with one
// undo step when anything changed.
// The editable slots are 1 .. SlotCount - 1: the track's last stored value is storage only.
// On/Off tracks: every value an operation would write there becomes 255 when it is 128 or
// more and 0 below, so 0 and 255 pass unchanged (Invert swaps them exactly).
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
// The last slot the editor writes: SlotCount - 1 (0 without a song).
int LastEditableSlot(const ShowDocument& document);
// The part of `selection` inside the show's tracks and editable slots; empty when none is.
TRangeSelection ClampSelection(const ShowDocument& document, const TRangeSelection& selection);

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

    // Each writing operation returns true when it changed at least one slot (and then marks
    // the show modified and takes one undo step); when nothing would change it writes
    // nothing, takes no step and returns false. Selections are clamped to the show first.

    // Copies the selection's values into the block clipboard (all tracks, locked or not).
    // True when it did; an empty selection keeps the clipboard as it was.
    bool Copy(const TRangeSelection& selection);
    // Copies, then writes 0 over the selection. The clipboard takes the block even when the
    // selection held only zeros (and then nothing is written).
    bool Cut(const TRangeSelection& selection);
    bool HasBlock() const { return !Clipboard.Empty(); }
    const TValueBlock& Block() const { return Clipboard; }
    // Writes the clipboard's rows from track `firstTrack` down, from `slot` on, clipped to
    // the show's tracks and its editable slots (rows and values falling outside are dropped).
    bool Paste(int firstTrack, int slot);
    bool Clear(const TRangeSelection& selection);
    bool Fill(const TRangeSelection& selection, std::uint8_t value);
    // A linear fade from `from` at the first slot to `to` at the last, each value rounded to
    // the nearest (halves up); both ends exact. A single slot takes `from`.
    bool Ramp(const TRangeSelection& selection, std::uint8_t from, std::uint8_t to);
    // Each value v becomes 255 - v.
    bool Invert(const TRangeSelection& selection);
    // Each value times percent / 100, rounded (halves up), at most 255. Percentages outside
    // 0 .. MaxScalePercent change nothing.
    static constexpr int MaxScalePercent = 1000;
    bool Scale(const TRangeSelection& selection, int percent);
    // Moves the selection's values `slots` later (negative: earlier), over whatever lies
    // there; the slots they leave take 0 and values moved past either end of the editable
    // slots are dropped, never wrapped.
    bool Shift(const TRangeSelection& selection, int slots);
    // Writes the selection's values `times` times right after itself, clipped at the end.
    bool Repeat(const TRangeSelection& selection, int times);
    // A step pattern across the selected tracks: track k of n (0-based) holds `value` during
    // steps k, k + n, k + 2n, … of `stepSlots` slots each, and 0 elsewhere in the range.
    // A locked track keeps its values and its place in the pattern. Needs stepSlots >= 1.
    bool Chase(const TRangeSelection& selection, int stepSlots, std::uint8_t value);
    // Beats given as the 1-based slots they fall in, in any order (repeats count once); only
    // those inside the selection count. Flash: every selected track is on (255) for `onSlots`
    // slots from each beat, cut at the range's end, and off elsewhere in the range. Chase:
    // beat k of the range (0-based) lights track k mod n of the n selected tracks for
    // `onSlots` slots, the others stay off. Locked tracks keep their values and their place.
    // Need onSlots >= 1; nothing changes when no beat falls in the range.
    bool FlashOnBeats(const TRangeSelection& selection, const std::vector<int>& beatSlots,
                      int onSlots);
    bool ChaseOnBeats(const TRangeSelection& selection, const std::vector<int>& beatSlots,
                      int onSlots);

private:
    // Flash (every track on every beat) or chase (one track after another).
    bool LightOnBeats(const TRangeSelection& selection, const std::vector<int>& beatSlots,
                      int onSlots, bool chase);
    // The beats of `beatSlots` inside `range`, sorted, each once.
    static std::vector<int> BeatsIn(const TRangeSelection& range, std::vector<int> beatSlots);
    // Marks the show modified and takes the undo step when `changed`; returns `changed`.
    bool Conclude(bool changed);

    ShowDocument& Doc;
    IBlockHost& Host;
    TValueBlock Clipboard;
};

} // namespace lumivox
