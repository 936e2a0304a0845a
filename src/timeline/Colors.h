// The model's colours on screen. The model keeps a colour as 0x00BBGGRR (red in the low
// byte), the way the project file stores it.
#pragma once

#include "model/ProjectClasses.h"

#include <QColor>

namespace lumivox {

constexpr QColor ToQColor(TColor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

} // namespace lumivox
