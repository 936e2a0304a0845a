// Track values with their bounds, and the track rules of Mute and Solo.
#include "model/ProjectClasses.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace lumivox {

int ResolutionMs(int resolutionIndex) {
    switch (resolutionIndex) {
    case 1:
        return 100;
    case 2:
        return 500;
    case 3:
        return 1000;
    default:
        return 0;
    }
}

bool IsValidResolutionIndex(int resolutionIndex) {
    return ResolutionMs(resolutionIndex) != 0;
}

namespace {

std::uint64_t NextVersion() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

std::shared_ptr<std::uint8_t[]> ZeroChunk(std::size_t bytes) {
    return std::make_shared<std::uint8_t[]>(bytes, std::uint8_t{0});
}

} // namespace

TSlotValues::TSlotValues(int slotCount) : TSlotValues(slotCount, nullptr, 0) {}

TSlotValues::TSlotValues(int slotCount, const std::uint8_t* bytes, int count)
    : Table(std::make_shared<TChunkTable>()), Stamp(NextVersion()) {
    const std::size_t total = static_cast<std::size_t>(std::max(0, slotCount));
    const std::size_t given = std::min(static_cast<std::size_t>(std::max(0, count)), total);
    Table->Count = static_cast<int>(total);
    Table->Chunks.reserve((total + ChunkSize - 1) >> ChunkShift);
    for (std::size_t at = 0; at < total; at += ChunkSize) {
        const std::size_t length = std::min<std::size_t>(ChunkSize, total - at);
        TChunk chunk = std::make_shared_for_overwrite<std::uint8_t[]>(length);
        const std::size_t copied = at < given ? std::min(length, given - at) : 0;
        if (copied > 0)
            std::memcpy(chunk.get(), bytes + at, copied);
        std::memset(chunk.get() + copied, 0, length - copied);
        Table->Chunks.push_back(std::move(chunk));
    }
}

TSlotValues::TChunkTable& TSlotValues::OwnTable() {
    if (!Table)
        Table = std::make_shared<TChunkTable>();
    else if (Table.use_count() > 1)
        Table = std::make_shared<TChunkTable>(*Table);
    Stamp = NextVersion();
    return *Table;
}

std::uint8_t* TSlotValues::OwnChunk(TChunkTable& table, std::size_t k) {
    TChunk& chunk = table.Chunks[k];
    if (chunk.use_count() > 1) {
        const std::size_t bytes = ChunkBytes(k);
        TChunk own = std::make_shared_for_overwrite<std::uint8_t[]>(bytes);
        std::memcpy(own.get(), chunk.get(), bytes);
        chunk = std::move(own);
    }
    return chunk.get();
}

template <typename Step> void TSlotValues::ForRange(int offset, int count, Step&& step) const {
    const int first = std::max(offset, 0);
    const int end = std::min(offset + std::max(count, 0), SlotCount());
    for (int at = first; at < end;) {
        const std::size_t k = static_cast<std::size_t>(at) >> ChunkShift;
        const int inChunk = at & (ChunkSize - 1);
        const int length = std::min(end - at, ChunkSize - inChunk);
        step(k, inChunk, length, at - offset);
        at += length;
    }
}

bool TSlotValues::SetValue(int index, std::uint8_t value) {
    if (index < 1 || index >= SlotCount())
        return false;
    const auto at = static_cast<std::size_t>(index - 1);
    OwnChunk(OwnTable(), at >> ChunkShift)[at & (ChunkSize - 1)] = value;
    return true;
}

void TSlotValues::CopyOut(int offset, int count, std::uint8_t* out) const {
    ForRange(offset, count, [&](std::size_t k, int inChunk, int length, int done) {
        std::memcpy(out + done, Table->Chunks[k].get() + inChunk, static_cast<std::size_t>(length));
    });
}

void TSlotValues::CopyIn(int offset, int count, const std::uint8_t* in) {
    TChunkTable& table = OwnTable();
    ForRange(offset, count, [&](std::size_t k, int inChunk, int length, int done) {
        std::memcpy(OwnChunk(table, k) + inChunk, in + done, static_cast<std::size_t>(length));
    });
}

void TSlotValues::Fill(int offset, int count, std::uint8_t value) {
    TChunkTable& table = OwnTable();
    ForRange(offset, count, [&](std::size_t k, int inChunk, int length, int) {
        std::memset(OwnChunk(table, k) + inChunk, value, static_cast<std::size_t>(length));
    });
}

void TSlotValues::Resize(int newCount) {
    if (newCount < 0 || newCount > MaxSlotCount || newCount == SlotCount())
        return;
    TChunkTable& table = OwnTable();
    const std::size_t count = static_cast<std::size_t>(newCount);
    const std::size_t chunks = (count + ChunkSize - 1) >> ChunkShift;
    const std::size_t kept = std::min(chunks, table.Chunks.size());
    table.Chunks.resize(kept);
    // The last kept chunk changes length unless both counts fill it: it is rebuilt at its
    // new length, the values kept and any new bytes 0.
    if (kept > 0) {
        const std::size_t k = kept - 1;
        const std::size_t oldBytes = ChunkBytes(k);
        const std::size_t newBytes = std::min<std::size_t>(ChunkSize, count - (k << ChunkShift));
        if (oldBytes != newBytes) {
            TChunk rebuilt = ZeroChunk(newBytes);
            std::memcpy(rebuilt.get(), table.Chunks[k].get(), std::min(oldBytes, newBytes));
            table.Chunks[k] = std::move(rebuilt);
        }
    }
    table.Count = newCount;
    for (std::size_t at = kept << ChunkShift; at < count; at += ChunkSize)
        table.Chunks.push_back(ZeroChunk(std::min<std::size_t>(ChunkSize, count - at)));
}

int TSlotValues::SharedChunkCount(const TSlotValues& other) const {
    const std::size_t n = std::min<std::size_t>(ChunkCount(), other.ChunkCount());
    int shared = 0;
    for (std::size_t k = 0; k < n; ++k)
        if (Table->Chunks[k] == other.Table->Chunks[k])
            ++shared;
    return shared;
}

bool operator==(const TSlotValues& a, const TSlotValues& b) {
    if (a.Table == b.Table)
        return true;
    if (a.SlotCount() != b.SlotCount())
        return false;
    if (a.SlotCount() == 0)
        return true;
    // Equal counts give equal chunk lengths; shared chunks are equal without comparing.
    for (std::size_t k = 0; k < a.Table->Chunks.size(); ++k) {
        const auto& x = a.Table->Chunks[k];
        const auto& y = b.Table->Chunks[k];
        if (x != y && std::memcmp(x.get(), y.get(), a.ChunkBytes(k)) != 0)
            return false;
    }
    return true;
}

TFullTrack::TFullTrack(int slotCount) : Values(slotCount) {}

void TFullTrack::SetMute(bool flag) {
    Mute = flag;
    if (flag)
        Solo = false;
}

void TFullTrack::SetSolo(bool flag) {
    Solo = flag;
    if (flag)
        Mute = false;
}

TFullDataTrack::TFullDataTrack(int slotCount) : Values(slotCount) {}

} // namespace lumivox
