// The queue between RtMidi's thread and the user-interface thread: a fixed ring of messages,
// short ones packed into the ring itself, system-exclusive ones in buffers of their own that
// the user-interface thread hands back once it has taken them. Neither side allocates, locks
// or waits after construction.
#pragma once

#include "midi/MidiEvent.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumivox {

// A ring with one producer thread and one consumer thread. The producer writes an item
// completely before counting it; the consumer reads it before uncounting it. Capacity is
// fixed at construction, so neither side allocates.
template <typename T> class TSpscRing {
public:
    explicit TSpscRing(std::size_t capacity) : Items(capacity) {}

    std::uint32_t Count() const { return Stored.load(std::memory_order_acquire); }
    bool Full() const { return Count() >= Items.size(); }

    // Producer: false when full, the item then being lost.
    bool Put(const T& item) {
        if (Stored.load(std::memory_order_acquire) >= Items.size())
            return false;
        Items[WritePos] = item;
        WritePos = WritePos + 1 == Items.size() ? 0 : WritePos + 1;
        Stored.fetch_add(1, std::memory_order_release);
        return true;
    }

    // Consumer: the oldest item, or null when empty; Remove drops it.
    const T* Peek() const { return Count() == 0 ? nullptr : &Items[ReadPos]; }
    void Remove() {
        ReadPos = ReadPos + 1 == Items.size() ? 0 : ReadPos + 1;
        Stored.fetch_sub(1, std::memory_order_release);
    }

private:
    std::vector<T> Items;
    std::size_t WritePos = 0;
    std::size_t ReadPos = 0;
    std::atomic<std::uint32_t> Stored{0};
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

// What became of one message handed to the ring.
struct TMidiQueued {
    // Items that reached the ring: one for a short message, one per buffer it filled for a
    // system-exclusive message.
    std::uint32_t Items = 0;
    // The ring was full, so the message (or the rest of a system-exclusive one) is lost.
    bool Overflowed = false;
};

class TMidiEventRing {
public:
    // Room for `capacity` items and `sysexCount` system-exclusive buffers of `sysexSize`
    // bytes (none when either is 0).
    TMidiEventRing(int capacity, int sysexSize, int sysexCount);

    // Producer. Queues one message of `size` bytes that came at `timeStamp`: a short message
    // as one item; a system-exclusive one (status 0xF0) in one buffer, or in several in
    // order when it is longer than one. What finds the ring full or no free buffer is lost
    // and counted in Dropped.
    TMidiQueued Push(const std::uint8_t* bytes, std::size_t size, std::uint32_t timeStamp);

    // Consumer. Takes the oldest item; nothing when none waits. A system-exclusive item hands
    // its buffer back to the producer.
    std::optional<TMyMidiEvent> Take();
    // Items waiting.
    std::uint32_t Count() const { return Items.Count(); }
    // Messages lost since construction.
    std::uint64_t Dropped() const { return DroppedCount.load(); }

private:
    // One item: when it came, its bytes for a short message, or the system-exclusive buffer
    // that holds it (-1 for none).
    struct TItem {
        std::uint32_t TimeStamp = 0;
        std::uint32_t ShortMessage = 0;
        std::int32_t Buffer = -1;
    };
    static_assert(sizeof(TItem) == 12);

    TSpscRing<TItem> Items;
    // The system-exclusive buffers: SysexBytes.size() blocks of SysexSize bytes, how many
    // bytes each holds, and the free ones, handed from the consumer back to the producer.
    std::uint32_t SysexSize;
    std::vector<std::uint8_t> SysexData;
    std::vector<std::uint32_t> SysexBytes;
    TSpscRing<std::int32_t> FreeSysex;
    std::atomic<std::uint64_t> DroppedCount{0};
};

} // namespace lumivox
