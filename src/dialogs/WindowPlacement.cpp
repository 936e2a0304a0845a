// Centring a dialog on the screen it belongs to.
#include "dialogs/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lumivox {

void CenterOnScreen(QWidget& window) {
    QScreen* screen =
        window.parentWidget() != nullptr ? window.parentWidget()->screen() : window.screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace lumivox
