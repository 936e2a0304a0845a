// The window's key preview: every key pressed or released anywhere in the window reaches the
// keyboard control before the focused control, except in text fields.
#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

namespace lumivox {

class KeyboardControl;

class KeyPreview : public QObject {
    Q_OBJECT
public:
    // Installs itself on the application for the keys of `window`.
    KeyPreview(QWidget& window, KeyboardControl& keyboard);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& Window;
    KeyboardControl& Keyboard;
    // A key an inner widget ignores travels up to its parents: the last one seen.
    const QKeyEvent* LastKeyEvent = nullptr;
    quint64 LastKeyTime = 0;
    bool LastKeyWasPress = false;
};

} // namespace lumivox
