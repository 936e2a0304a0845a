// Rules for new tracks: the first free output, the MIDI key of an output, and the colour
// palette with the pair chosen by a track's count.
#pragma once

#include "model/ProjectClasses.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumivox {

struct TPaletteEntry {
    TColor Strong; // becomes LaneColor and HeaderColor
    TColor Pale;   // becomes LaneBackColor and CaptionColor
};

inline constexpr int PaletteSize = 11;
extern const std::array<TPaletteEntry, PaletteSize> TrackPalette;

// Palette entry (1..11) for the track that makes the count `count`.
int PaletteEntryForCount(int count);

// Applies palette entry `entry` (1..11) to a track's four colours.
void ApplyPaletteEntry(TFullTrack& track, int entry);

// Lowest output from 1 to 255 used by no track; 255 when all are used. Never 0.
std::uint8_t FirstFreeOutput(const std::vector<std::unique_ptr<TFullTrack>>& tracks);

// MIDI key for a new track on `output`: the output itself up to 127, else output - 127.
std::uint8_t MidiKeyForOutput(std::uint8_t output);

// The output label text: "All" word for 0 (given by the caller), else three digits.
QString OutputText(std::uint8_t output, const QString& allWord);

} // namespace lumivox
