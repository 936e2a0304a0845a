// Output, MIDI key and colour choices for new tracks.
#include "model/TrackRules.h"

namespace lumivox {

const std::array<TPaletteEntry, PaletteSize> TrackPalette = {{
    {0x00FF80, 0xD9E9E5},
    {0xFF0000, 0xE5DDDF},
    {0x0080FF, 0xD9E3EB},
    {0x80FF00, 0xDFE9DF},
    {0x8000FF, 0xDFDDEB},
    {0xFF8000, 0xE5E3DF},
    {0x00FFFF, 0xD9E9EB},
    {0x0000FF, 0xD9DDEB},
    {0x00FF00, 0xD9E9DF},
    {0xFF00FF, 0xE5DDEB},
    {0xFFFF00, 0xE5E9DF},
}};

int PaletteEntryForCount(int count) {
    return ((count - 1) % PaletteSize + PaletteSize) % PaletteSize + 1;
}

void ApplyPaletteEntry(TFullTrack& track, int entry) {
    const TPaletteEntry& colours = TrackPalette.at(static_cast<std::size_t>(entry - 1));
    track.LaneColor = colours.Strong;
    track.LaneBackColor = colours.Pale;
    track.HeaderColor = colours.Strong;
    track.CaptionColor = colours.Pale;
}

std::uint8_t FirstFreeOutput(const std::vector<std::unique_ptr<TFullTrack>>& tracks) {
    bool used[256] = {};
    for (const auto& track : tracks)
        used[track->Output] = true;
    for (int candidate = 1; candidate <= 255; ++candidate)
        if (!used[candidate])
            return static_cast<std::uint8_t>(candidate);
    return 255;
}

std::uint8_t MidiKeyForOutput(std::uint8_t output) {
    return output <= 127 ? output : static_cast<std::uint8_t>(output - 127);
}

QString OutputText(std::uint8_t output, const QString& allWord) {
    if (output == 0)
        return allWord;
    return QStringLiteral("%1").arg(output, 3, 10, QLatin1Char('0'));
}

} // namespace lumivox
