// The single-producer single-consumer frame ring: capacity limits, wrap-around, discarding up
// to a write index, and an ordered, lossless stream between two threads.
#include "audio/playback/SampleRing.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using lumivox::SampleRing;

namespace {

// Frames numbered from `first`: left = number, right = its negation, so a swapped channel or
// a shifted frame shows.
std::vector<std::int16_t> Numbered(int first, int count) {
    std::vector<std::int16_t> frames;
    for (int i = first; i < first + count; ++i) {
        frames.push_back(static_cast<std::int16_t>(i));
        frames.push_back(static_cast<std::int16_t>(-i));
    }
    return frames;
}

} // namespace

TEST(SampleRing, WritesStopAtCapacityUntilTheReaderMakesRoom) {
    EXPECT_EQ(SampleRing(1).Capacity(), 1u);
    EXPECT_EQ(SampleRing(1000).Capacity(), 1024u);
    SampleRing ring(7); // rounded up to 8
    EXPECT_EQ(ring.Capacity(), 8u);
    const std::vector<std::int16_t> frames = Numbered(1, 12);
    EXPECT_EQ(ring.Write(frames.data(), 12), 8u);
    EXPECT_EQ(ring.FreeFrames(), 0u);
    EXPECT_EQ(ring.ReadableFrames(), 8u);
    EXPECT_EQ(ring.Write(frames.data(), 1), 0u);

    std::vector<std::int16_t> out(2 * 3);
    EXPECT_EQ(ring.Read(out.data(), 3), 3u);
    EXPECT_EQ(out, Numbered(1, 3));
    EXPECT_EQ(ring.FreeFrames(), 3u);
    EXPECT_EQ(ring.Write(frames.data() + 2 * 8, 4), 3u);
    EXPECT_EQ(ring.WriteIndex(), 11u);
    EXPECT_EQ(ring.ReadIndex(), 3u);
}

TEST(SampleRing, FramesComeOutInOrderAcrossTheWrap) {
    SampleRing ring(8);
    std::vector<std::int16_t> out(2 * 8, 77);
    EXPECT_EQ(ring.Read(out.data(), 8), 0u);
    EXPECT_EQ(out[0], 77) << "an empty read must not touch the buffer";
    int next = 0;
    // Chunk sizes that straddle the end of the storage at different offsets.
    for (int size : {5, 6, 7, 3, 8, 1, 8}) {
        const std::vector<std::int16_t> frames = Numbered(next, size);
        ASSERT_EQ(ring.Write(frames.data(), size), static_cast<std::size_t>(size));
        ASSERT_EQ(ring.Read(out.data(), 8), static_cast<std::size_t>(size));
        EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 2 * size), frames)
            << "chunk of " << size << " from frame " << next;
        next += size;
    }
}

TEST(SampleRing, DiscardDropsFramesBelowAWriteIndexOnly) {
    SampleRing ring(16);
    const std::vector<std::int16_t> frames = Numbered(0, 10);
    ring.Write(frames.data(), 10);

    ring.DiscardTo(4);
    std::vector<std::int16_t> out(2);
    ASSERT_EQ(ring.Read(out.data(), 1), 1u);
    EXPECT_EQ(out, Numbered(4, 1));

    ring.DiscardTo(2); // behind the reader: nothing happens
    EXPECT_EQ(ring.ReadIndex(), 5u);

    ring.DiscardTo(1000); // beyond the writer: stops at what was written
    EXPECT_EQ(ring.ReadIndex(), 10u);
    EXPECT_EQ(ring.ReadableFrames(), 0u);
    EXPECT_EQ(ring.FreeFrames(), 16u);
}

TEST(SampleRing, TwoThreadsPassAStreamWithoutLossOrReordering) {
    SampleRing ring(64);
    constexpr int Total = 200000;

    std::thread producer([&] {
        int next = 0;
        while (next < Total) {
            const int size = std::min(1 + next % 37, Total - next);
            const std::vector<std::int16_t> frames = Numbered(next, size);
            std::size_t done = 0;
            while (done < static_cast<std::size_t>(size)) {
                done += ring.Write(frames.data() + 2 * done, size - done);
                if (done < static_cast<std::size_t>(size))
                    std::this_thread::yield();
            }
            next += size;
        }
    });

    std::vector<std::int16_t> out(2 * 50);
    int expected = 0;
    int mismatches = 0;
    while (expected < Total) {
        const std::size_t got = ring.Read(out.data(), 1 + expected % 50);
        for (std::size_t i = 0; i < got; ++i, ++expected) {
            if (out[2 * i] != static_cast<std::int16_t>(expected) ||
                out[2 * i + 1] != static_cast<std::int16_t>(-expected))
                ++mismatches;
        }
        if (got == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(ring.WriteIndex(), static_cast<std::uint64_t>(Total));
    EXPECT_EQ(ring.ReadableFrames(), 0u);
}
