// Placing dialogs: centred on the screen of the window that opens them.
#pragma once

class QWidget;

namespace lumivox {

// Moves `window` so its frame is centred on its parent's screen (or its own, or the primary
// screen when it has no parent).
void CenterOnScreen(QWidget& window);

} // namespace lumivox
