// The message ring between the MIDI thread and the user-interface thread, without a MIDI
// system: what a full ring or a lack of system-exclusive buffers loses, how a long
// system-exclusive message is spread and joined, and an ordered stream between two threads.
#include "midi/MidiEventRing.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <thread>
#include <vector>

using namespace lumivox;

namespace {

std::vector<std::uint8_t> Sysex(int length, int seed = 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    for (int i = 1; i + 1 < length; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i + seed) % 128);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

TMidiQueued Push(TMidiEventRing& ring, const std::vector<std::uint8_t>& bytes,
                 std::uint32_t stamp = 0) {
    return ring.Push(bytes.data(), bytes.size(), stamp);
}

} // namespace

TEST(MidiEventRing, AFullRingLosesTheNewestMessageAndKeepsOrderAcrossTheWrap) {
    TMidiEventRing ring(3, 16, 2);
    for (std::uint8_t i = 0; i < 3; ++i) {
        const TMidiQueued queued = Push(ring, {0x90, i, 100}, 10u + i);
        EXPECT_EQ(queued.Items, 1u);
        EXPECT_FALSE(queued.Overflowed);
    }
    const TMidiQueued lost = Push(ring, {0x90, 9, 100});
    EXPECT_EQ(lost.Items, 0u);
    EXPECT_TRUE(lost.Overflowed);
    EXPECT_EQ(ring.Count(), 3u);
    EXPECT_EQ(ring.Dropped(), 1u);

    // Taking and queueing in turn carries the positions round the end several times.
    std::vector<int> order;
    for (std::uint8_t next = 3; next < 11; ++next) {
        const auto event = ring.Take();
        ASSERT_TRUE(event.has_value());
        order.push_back(event->DataByte1);
        EXPECT_FALSE(Push(ring, {0x80, next, 0}).Overflowed);
    }
    while (const auto event = ring.Take())
        order.push_back(event->DataByte1);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ring.Count(), 0u);
    EXPECT_EQ(ring.Dropped(), 1u);
}

TEST(MidiEventRing, ShortMessagesKeepTheirBytesAndTimeStamp) {
    TMidiEventRing ring(4, 16, 1);
    Push(ring, {0xC3, 5}, 7);
    Push(ring, {0xF6}, 8);
    Push(ring, {0xE0, 0x7F, 0x40}, 9);
    const std::vector<std::array<int, 4>> expected = {
        {0xC3, 5, 0, 7}, {0xF6, 0, 0, 8}, {0xE0, 0x7F, 0x40, 9}};
    for (const auto& [status, data1, data2, stamp] : expected) {
        const auto event = ring.Take();
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->StatusByte, status);
        EXPECT_EQ(event->DataByte1, data1);
        EXPECT_EQ(event->DataByte2, data2);
        EXPECT_EQ(event->TimeStamp, static_cast<std::uint32_t>(stamp));
        EXPECT_EQ(event->SysexSize, 0);
        EXPECT_TRUE(event->SysexData.empty());
    }
    EXPECT_FALSE(ring.Take().has_value());
    EXPECT_EQ(ring.Push(nullptr, 0, 0).Items, 0u) << "an empty message is nothing";
    EXPECT_EQ(ring.Dropped(), 0u);
}

TEST(MidiEventRing, SystemExclusiveLosesWhatFindsNoRoomOrNoBuffer) {
    // A 40-byte message needs three 16-byte buffers; the ring has room for two items.
    {
        TMidiEventRing ring(2, 16, 4);
        const std::vector<std::uint8_t> sysex = Sysex(40);
        const TMidiQueued queued = Push(ring, sysex);
        EXPECT_EQ(queued.Items, 2u);
        EXPECT_TRUE(queued.Overflowed);
        EXPECT_EQ(ring.Dropped(), 1u);
        const auto first = ring.Take();
        const auto second = ring.Take();
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->SysexData, std::vector<std::uint8_t>(sysex.begin(), sysex.begin() + 16));
        EXPECT_EQ(second->SysexData,
                  std::vector<std::uint8_t>(sysex.begin() + 16, sysex.begin() + 32));
    }
    // Two buffers, both waiting to be taken: the next message finds none. That is a loss but
    // not an overflow of the ring, and short messages still go in.
    {
        TMidiEventRing ring(8, 16, 2);
        EXPECT_EQ(Push(ring, Sysex(10)).Items, 1u);
        EXPECT_EQ(Push(ring, Sysex(12)).Items, 1u);
        const TMidiQueued none = Push(ring, Sysex(5));
        EXPECT_EQ(none.Items, 0u);
        EXPECT_FALSE(none.Overflowed);
        EXPECT_EQ(ring.Dropped(), 1u);
        EXPECT_EQ(Push(ring, {0x90, 1, 2}).Items, 1u);

        // Taking one hands its buffer back.
        EXPECT_EQ(ring.Take()->SysexData, Sysex(10));
        EXPECT_EQ(Push(ring, Sysex(5)).Items, 1u);
        EXPECT_EQ(ring.Take()->SysexData, Sysex(12));
        EXPECT_EQ(ring.Take()->StatusByte, 0x90);
        const auto last = ring.Take();
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(last->SysexSize, 5);
        EXPECT_EQ(last->SysexData, Sysex(5));
    }
    // Without buffers every system-exclusive message is lost; without room, everything.
    {
        TMidiEventRing noBuffers(4, 16, 0);
        EXPECT_EQ(Push(noBuffers, Sysex(5)).Items, 0u);
        EXPECT_EQ(noBuffers.Dropped(), 1u);
        TMidiEventRing noRoom(0, 16, 2);
        EXPECT_TRUE(Push(noRoom, {0x90, 1, 2}).Overflowed);
        EXPECT_TRUE(Push(noRoom, Sysex(5)).Overflowed);
        EXPECT_EQ(noRoom.Dropped(), 2u);
        EXPECT_FALSE(noRoom.Take().has_value());
    }
}

TEST(MidiEventRing, AStreamBetweenTwoThreadsArrivesWholeAndInOrder) {
    constexpr int Messages = 10000;
    constexpr std::uint32_t Capacity = 64;
    TMidiEventRing ring(static_cast<int>(Capacity), 24, 4);
    // Every fifth message is a 50-byte system-exclusive one spread over three buffers. The
    // producer waits for room instead of losing: for a system-exclusive message until every
    // item, and so every buffer, has been taken back.
    std::thread producer([&] {
        for (int i = 0; i < Messages; ++i) {
            const bool sysex = i % 5 == 0;
            while (sysex ? ring.Count() > 0 : ring.Count() >= Capacity)
                std::this_thread::yield();
            const std::vector<std::uint8_t> bytes =
                sysex ? Sysex(50, i)
                      : std::vector<std::uint8_t>{0xB0, static_cast<std::uint8_t>(i & 0x7F),
                                                  static_cast<std::uint8_t>((i >> 7) & 0x7F)};
            ring.Push(bytes.data(), bytes.size(), static_cast<std::uint32_t>(i));
        }
    });

    std::vector<int> order;
    int wrong = 0;
    std::vector<std::uint8_t> joined;
    while (static_cast<int>(order.size()) < Messages) {
        const auto event = ring.Take();
        if (!event) {
            std::this_thread::yield();
            continue;
        }
        const int stamp = static_cast<int>(event->TimeStamp);
        if (event->StatusByte != 0xF0) {
            wrong += (event->DataByte1 | (event->DataByte2 << 7)) != stamp;
            order.push_back(stamp);
            continue;
        }
        joined.insert(joined.end(), event->SysexData.begin(), event->SysexData.end());
        if (joined.size() >= 50) {
            wrong += joined != Sysex(50, stamp);
            order.push_back(stamp);
            joined.clear();
        }
    }
    producer.join();
    EXPECT_EQ(wrong, 0) << "messages whose bytes do not match their number";
    std::vector<int> expected(Messages);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
    EXPECT_EQ(ring.Dropped(), 0u);
}
