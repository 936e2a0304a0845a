// The one mapping from a song position to the show's slot, for the transport, the live
// outputs, recording and snapping alike.
#pragma once

#include <algorithm>
#include <cstdint>

namespace lumivox {

// The slot (1-based, as the tracks number their values) that song position `ms` falls in:
// slot n covers [(n - 1) * slotMs, n * slotMs). A position before the song is in slot 1, and so
// is every position when the slot length is not positive.
inline int SlotAtMs(std::int64_t ms, int slotMs) {
    if (slotMs <= 0)
        return 1;
    return static_cast<int>(std::max<std::int64_t>(ms, 0) / slotMs) + 1;
}

} // namespace lumivox
