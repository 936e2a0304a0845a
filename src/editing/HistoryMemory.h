// The memory the undo snapshots hold, kept up to date as snapshots come and go rather than
// counted again each time: every block (value chunk, chunk table, group of track entries,
// list of marks) is counted once however many snapshots share it, and with the show's own
// blocks set apart, what emptying the history would give back. Widget-free.
#pragma once

#include "editing/UndoSnapshot.h"

#include <cstddef>
#include <unordered_map>

namespace lumivox {

class ShowDocument;

class THistoryMemory {
public:
    // A snapshot joins the history (after it is in place, so its lists keep their size).
    void Add(const TUndoSnapshot& snapshot);
    // A snapshot leaves the history; called while it still holds its blocks.
    void Remove(const TUndoSnapshot& snapshot);
    void Clear();

    // Everything the snapshots hold: the value chunks, the chunk tables, the groups of track
    // entries, the mark lists and the snapshots' group lists, each block with what its
    // allocation costs besides (not the captions' text, which Qt shares with the tracks, nor
    // the few bytes of each selection).
    std::size_t Bytes() const { return Total; }
    // The value chunks alone.
    std::size_t ValueBytes() const { return Values; }
    // Of Bytes(), the blocks `document`'s tracks hold as well, which the show keeps anyway.
    std::size_t SharedWith(const ShowDocument& document) const;
    // The tally's own memory, an estimate from its entries and buckets: about one entry
    // per block held.
    std::size_t TallyBytes() const;

private:
    struct TUse {
        std::size_t Bytes = 0;
        bool Chunk = false;
        int Holders = 0;
    };
    static std::size_t OwnBytes(const TUndoSnapshot& snapshot);
    // True when `key` was not held before.
    bool Hold(const void* key, std::size_t bytes, bool chunk);
    // True when nothing holds `key` any more.
    bool Release(const void* key);
    void HoldValues(const TSlotValues& values);
    void ReleaseValues(const TSlotValues& values);

    std::unordered_map<const void*, TUse> Blocks;
    std::size_t Total = 0;
    std::size_t Values = 0;
};

// Hands the pages the allocator keeps free back to the system, once a large history is let
// go: its many small chunks would otherwise stay with the process at its peak size.
void ReturnFreeMemoryToSystem();

} // namespace lumivox
