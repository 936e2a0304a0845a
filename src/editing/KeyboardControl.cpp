// The modifier override and the space bar.
#include "editing/KeyboardControl.h"

#include "editing/EditingTools.h"

#include <Qt>

namespace lumivox {

KeyboardControl::KeyboardControl(EditingTools& tools, IKeyboardHost& host)
    : Tools(tools), Host(host) {}

void KeyboardControl::KeyDown(int key, bool autoRepeat) {
    switch (key) {
    case Qt::Key_Shift:
        Modifier = TModifierKey::Shift;
        break;
    case Qt::Key_Control:
        Modifier = TModifierKey::Ctrl;
        break;
    case Qt::Key_Alt:
        Modifier = TModifierKey::Alt;
        break;
    case Qt::Key_Space:
        if (!autoRepeat) {
            if (Host.SongPlaying())
                Host.Pause();
            else
                Host.Play();
        }
        break;
    default:
        Modifier = TModifierKey::None;
        break;
    }
    FollowPointer();
}

void KeyboardControl::KeyUp(int key, bool autoRepeat) {
    if (autoRepeat)
        return;
    if (key != 0)
        Modifier = TModifierKey::None;
    FollowPointer();
}

void KeyboardControl::ReleaseModifier() {
    Modifier = TModifierKey::None;
    FollowPointer();
}

void KeyboardControl::FollowPointer() {
    if (const std::optional<TLaneHit> hit = Host.PointerInLanes())
        Tools.UpdatePointerFeedback(*hit, Modifier);
}

} // namespace lumivox
