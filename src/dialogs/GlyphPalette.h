// The named colours of the editor's drawn pictures: the tool-bar and menu glyphs, the About
// box logo, the application icon, the tool cursors and the track-header glyphs draw from
// these, so the set looks like one family.
#pragma once

#include <QColor>

namespace lumivox::palette {

inline constexpr QColor kInk(0x2B, 0x35, 0x45);
inline constexpr QColor kPaper(0xFF, 0xFF, 0xFF);
inline constexpr QColor kPaperShade(0xE4, 0xE9, 0xF0);
inline constexpr QColor kGreen(0x22, 0x9A, 0x55);
inline constexpr QColor kRed(0xD6, 0x28, 0x2E);
inline constexpr QColor kDarkRed(0x9E, 0x17, 0x1C);
inline constexpr QColor kBlue(0x1F, 0x6F, 0xD1);
inline constexpr QColor kDarkBlue(0x17, 0x4A, 0x8C);
inline constexpr QColor kNavy(0x1A, 0x2A, 0x6C);
inline constexpr QColor kAmber(0xF4, 0xA8, 0x1D);
inline constexpr QColor kDarkAmber(0xB8, 0x78, 0x0E);
inline constexpr QColor kDeepAmber(0xD9, 0x8A, 0x0B);
inline constexpr QColor kTeal(0x3C, 0xCF, 0xE3);
inline constexpr QColor kPencil(0xF2, 0xB6, 0x32);
inline constexpr QColor kWood(0xEF, 0xD3, 0xA8);
inline constexpr QColor kPink(0xEC, 0x74, 0x8F);
inline constexpr QColor kSteel(0x9A, 0xA5, 0xB3);
inline constexpr QColor kGlass(0xE8, 0xF2, 0xFF);

} // namespace lumivox::palette
