// The undo history's memory tally, block by block.
#include "editing/HistoryMemory.h"

#include "model/ShowDocument.h"

#include <unordered_set>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace lumivox {

namespace {

// What one block costs besides its bytes: each is made with std::make_shared, which puts its
// owners' counts before it, and the allocator adds its header and rounds the size up (with
// glibc on x86-64 a chunk of 1,024 values takes 1,088 bytes of the heap). Counted so that
// the tally follows what the heap gives out.
constexpr std::size_t BlockOverhead = 8 * sizeof(void*);

using TGroup = std::vector<TFullDataTrack>;

std::size_t GroupBytes(const TGroup& group) {
    return sizeof(TGroup) + group.capacity() * sizeof(TFullDataTrack);
}

std::size_t MarkBytes(const TShowMarks& marks) {
    return sizeof(TShowMarks) + static_cast<std::size_t>(marks.size()) * sizeof(TShowMark);
}

} // namespace

std::size_t THistoryMemory::OwnBytes(const TUndoSnapshot& snapshot) {
    return sizeof(TUndoSnapshot) + snapshot.Groups.capacity() * sizeof(snapshot.Groups[0]);
}

bool THistoryMemory::Hold(const void* key, std::size_t bytes, bool chunk) {
    TUse& use = Blocks[key];
    if (use.Holders++ > 0)
        return false;
    use.Bytes = bytes;
    use.Chunk = chunk;
    Total += bytes + BlockOverhead;
    if (chunk)
        Values += bytes;
    return true;
}

bool THistoryMemory::Release(const void* key) {
    const auto found = Blocks.find(key);
    if (found == Blocks.end() || --found->second.Holders > 0)
        return false;
    Total -= found->second.Bytes + BlockOverhead;
    if (found->second.Chunk)
        Values -= found->second.Bytes;
    Blocks.erase(found);
    return true;
}

void THistoryMemory::HoldValues(const TSlotValues& values) {
    values.VisitBlocks(
        [this](const void* key, bool isChunk, std::size_t bytes) { Hold(key, bytes, isChunk); });
}

void THistoryMemory::ReleaseValues(const TSlotValues& values) {
    values.VisitBlocks([this](const void* key, bool, std::size_t) { Release(key); });
}

void THistoryMemory::Add(const TUndoSnapshot& snapshot) {
    Total += OwnBytes(snapshot);
    Hold(snapshot.MarkList.get(), MarkBytes(*snapshot.MarkList), false);
    // A group shared with a snapshot held already brings nothing new: its entries count
    // through it.
    for (const auto& group : snapshot.Groups)
        if (Hold(group.get(), GroupBytes(*group), false))
            for (const TFullDataTrack& entry : *group)
                HoldValues(entry.Values);
}

void THistoryMemory::Remove(const TUndoSnapshot& snapshot) {
    Total -= OwnBytes(snapshot);
    Release(snapshot.MarkList.get());
    for (const auto& group : snapshot.Groups)
        if (Release(group.get()))
            for (const TFullDataTrack& entry : *group)
                ReleaseValues(entry.Values);
}

void THistoryMemory::Clear() {
    Blocks.clear();
    Total = 0;
    Values = 0;
}

std::size_t THistoryMemory::SharedWith(const ShowDocument& document) const {
    // Tracks pasted from one another share blocks too: each is counted once.
    std::unordered_set<const void*> seen;
    std::size_t shared = 0;
    for (const TFullTrack* track : document.Tracks())
        track->Values.VisitBlocks([&](const void* key, bool, std::size_t) {
            const auto found = Blocks.find(key);
            if (found != Blocks.end() && seen.insert(key).second)
                shared += found->second.Bytes + BlockOverhead;
        });
    return shared;
}

std::size_t THistoryMemory::TallyBytes() const {
    // A node holds its key and use and the link to the next, rounded up by the allocator.
    constexpr std::size_t Node = sizeof(std::pair<const void* const, TUse>) + 2 * sizeof(void*);
    return Blocks.size() * Node + Blocks.bucket_count() * sizeof(void*);
}

void ReturnFreeMemoryToSystem() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace lumivox
