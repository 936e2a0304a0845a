// The MIDI message ring: packing short messages, spreading system-exclusive ones over their
// buffers, and unpacking both for the user-interface thread.
#include "midi/MidiEventRing.h"

#include <algorithm>
#include <cstring>

namespace lumivox {

TMidiEventRing::TMidiEventRing(int capacity, int sysexSize, int sysexCount)
    : Items(static_cast<std::size_t>(capacity)),
      SysexSize(static_cast<std::uint32_t>(sysexCount > 0 ? sysexSize : 0)),
      SysexData(static_cast<std::size_t>(SysexSize) * static_cast<std::size_t>(sysexCount)),
      SysexBytes(SysexSize > 0 ? static_cast<std::size_t>(sysexCount) : 0),
      FreeSysex(SysexBytes.size()) {
    for (std::size_t i = 0; i < SysexBytes.size(); ++i)
        FreeSysex.Put(static_cast<std::int32_t>(i));
}

TMidiQueued TMidiEventRing::Push(const std::uint8_t* bytes, std::size_t size,
                                 std::uint32_t timeStamp) {
    TMidiQueued queued;
    if (size == 0)
        return queued;
    const auto overflow = [&] {
        DroppedCount.fetch_add(1);
        queued.Overflowed = true;
        return queued;
    };

    if (bytes[0] != SysexStatus) {
        std::uint32_t packed = bytes[0];
        if (size > 1)
            packed |= static_cast<std::uint32_t>(bytes[1]) << 8;
        if (size > 2)
            packed |= static_cast<std::uint32_t>(bytes[2]) << 16;
        if (!Items.Put({timeStamp, packed, -1}))
            return overflow();
        queued.Items = 1;
        return queued;
    }

    std::size_t done = 0;
    while (done < size) {
        // Only this thread adds items, so a ring with room keeps it until the Put below.
        if (Items.Full())
            return overflow();
        const std::int32_t* free = FreeSysex.Peek();
        if (free == nullptr) {
            DroppedCount.fetch_add(1);
            return queued;
        }
        const std::int32_t index = *free;
        FreeSysex.Remove();
        const std::size_t chunk = std::min<std::size_t>(size - done, SysexSize);
        std::memcpy(SysexData.data() + static_cast<std::size_t>(index) * SysexSize, bytes + done,
                    chunk);
        SysexBytes[static_cast<std::size_t>(index)] = static_cast<std::uint32_t>(chunk);
        done += chunk;
        Items.Put({timeStamp, 0, index});
        ++queued.Items;
    }
    return queued;
}

std::optional<TMyMidiEvent> TMidiEventRing::Take() {
    const TItem* item = Items.Peek();
    if (item == nullptr)
        return std::nullopt;

    TMyMidiEvent event;
    event.TimeStamp = item->TimeStamp;
    if (item->Buffer < 0) {
        event.StatusByte = static_cast<std::uint8_t>(item->ShortMessage & 0xFF);
        event.DataByte1 = static_cast<std::uint8_t>((item->ShortMessage >> 8) & 0xFF);
        event.DataByte2 = static_cast<std::uint8_t>((item->ShortMessage >> 16) & 0xFF);
    } else {
        const auto index = static_cast<std::size_t>(item->Buffer);
        const std::uint32_t bytes = SysexBytes[index];
        const std::uint8_t* data = SysexData.data() + index * SysexSize;
        event.StatusByte = SysexStatus;
        event.SysexSize = static_cast<std::uint16_t>(bytes);
        event.SysexData.assign(data, data + bytes);
        FreeSysex.Put(item->Buffer);
    }
    Items.Remove();
    return event;
}

} // namespace lumivox
