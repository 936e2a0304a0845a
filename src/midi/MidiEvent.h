// One MIDI message as the input device hands it to the user-interface thread.
#pragma once

#include <cstdint>
#include <vector>

namespace lumivox {

inline constexpr std::uint8_t SysexStatus = 0xF0; // status byte of a system-exclusive message

struct TMyMidiEvent {
    std::uint8_t StatusByte = 0; // 0xF0 for a system-exclusive message
    std::uint8_t DataByte1 = 0;  // 0 for system-exclusive
    std::uint8_t DataByte2 = 0;  // 0 for system-exclusive
    std::uint32_t TimeStamp = 0; // milliseconds since the device was started
    std::uint16_t SysexSize = 0; // number of system-exclusive bytes, else 0
    std::vector<std::uint8_t> SysexData;
};

} // namespace lumivox
