// A single-producer, single-consumer ring of interleaved 16-bit stereo frames: the decode
// feeder writes, the audio thread reads. No locks, and no allocation after construction.
#pragma once

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace lumivox {

class SampleRing {
public:
    static constexpr std::size_t Channels = 2;

    // Holds at least `minimumFrames` frames: the capacity is the next power of two, so an
    // index becomes a slot with a mask.
    explicit SampleRing(std::size_t minimumFrames)
        : Mask(std::bit_ceil(std::max<std::size_t>(minimumFrames, 1)) - 1),
          Samples(std::make_unique<std::int16_t[]>((Mask + 1) * Channels)) {}

    SampleRing(const SampleRing&) = delete;
    SampleRing& operator=(const SampleRing&) = delete;

    std::size_t Capacity() const { return Mask + 1; }

    // Frames written since construction. The consumer loads it with acquire semantics, so
    // every frame below the value it sees is complete.
    std::uint64_t WriteIndex() const { return Head.load(std::memory_order_acquire); }
    // Frames read or discarded since construction.
    std::uint64_t ReadIndex() const { return Tail.load(std::memory_order_acquire); }

    // Producer: room for this many frames.
    std::size_t FreeFrames() const {
        return Capacity() - static_cast<std::size_t>(Head.load(std::memory_order_relaxed) -
                                                     Tail.load(std::memory_order_acquire));
    }

    // Producer: copies up to `count` frames in; returns how many fitted.
    std::size_t Write(const std::int16_t* frames, std::size_t count) {
        const std::uint64_t head = Head.load(std::memory_order_relaxed);
        count = std::min(count, FreeFrames());
        CopyIn(head, frames, count);
        Head.store(head + count, std::memory_order_release);
        return count;
    }

    // Consumer: frames ready to read.
    std::size_t ReadableFrames() const {
        return static_cast<std::size_t>(Head.load(std::memory_order_acquire) -
                                        Tail.load(std::memory_order_relaxed));
    }

    // Consumer: copies up to `count` frames out; returns how many there were.
    std::size_t Read(std::int16_t* out, std::size_t count) {
        const std::uint64_t tail = Tail.load(std::memory_order_relaxed);
        count = std::min(count, ReadableFrames());
        CopyOut(tail, out, count);
        Tail.store(tail + count, std::memory_order_release);
        return count;
    }

    // Consumer: drops every frame below `index`, a write index the producer has reached.
    // Nothing happens when the reader is already there or beyond.
    void DiscardTo(std::uint64_t index) {
        const std::uint64_t tail = Tail.load(std::memory_order_relaxed);
        index = std::min(index, Head.load(std::memory_order_acquire));
        if (index > tail)
            Tail.store(index, std::memory_order_release);
    }

private:
    void CopyIn(std::uint64_t index, const std::int16_t* frames, std::size_t count) {
        if (count == 0)
            return;
        const std::size_t slot = static_cast<std::size_t>(index) & Mask;
        const std::size_t first = std::min(count, Capacity() - slot);
        std::memcpy(&Samples[slot * Channels], frames, first * Channels * sizeof(std::int16_t));
        std::memcpy(&Samples[0], frames + first * Channels,
                    (count - first) * Channels * sizeof(std::int16_t));
    }

    void CopyOut(std::uint64_t index, std::int16_t* out, std::size_t count) const {
        if (count == 0)
            return;
        const std::size_t slot = static_cast<std::size_t>(index) & Mask;
        const std::size_t first = std::min(count, Capacity() - slot);
        std::memcpy(out, &Samples[slot * Channels], first * Channels * sizeof(std::int16_t));
        std::memcpy(out + first * Channels, &Samples[0],
                    (count - first) * Channels * sizeof(std::int16_t));
    }

    const std::size_t Mask;
    const std::unique_ptr<std::int16_t[]> Samples;
    // The two indices live on their own cache lines, so producer and consumer do not
    // invalidate each other's line on every update.
    alignas(64) std::atomic<std::uint64_t> Head{0};
    alignas(64) std::atomic<std::uint64_t> Tail{0};
};

} // namespace lumivox
