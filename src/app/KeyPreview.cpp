#include "app/KeyPreview.h"

#include "editing/KeyboardControl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace lumivox {

KeyPreview::KeyPreview(QWidget& window, KeyboardControl& keyboard)
    : QObject(&window), Window(window), Keyboard(keyboard) {
    qApp->installEventFilter(this);
    // A modifier held while another application took the keyboard is never seen released.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    Keyboard.ReleaseModifier();
            });
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::KeyPress;
    if ((!press && event->type() != QEvent::KeyRelease) || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &Window)
        return false;
    // See each event once, however far it travels up.
    auto* key = static_cast<QKeyEvent*>(event);
    if (key == LastKeyEvent && key->timestamp() == LastKeyTime && press == LastKeyWasPress)
        return false;
    LastKeyEvent = key;
    LastKeyTime = key->timestamp();
    LastKeyWasPress = press;
    // Text fields keep their keys (a blank in a caption, Delete inside a name).
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus))
        return false;
    bool consumed = false;
    if (press)
        consumed = Keyboard.KeyDown(key->key(), key->isAutoRepeat(), key->modifiers());
    else
        Keyboard.KeyUp(key->key(), key->isAutoRepeat());
    // Space belongs to play and pause, and the cursor keys to the play cursor, not to the
    // control that has the focus (a button, or the lanes' scroll bars).
    return consumed || (!press && key->key() == Qt::Key_Space);
}

} // namespace lumivox
