// The modifier override and the space bar.
#include "editing/KeyboardControl.h"

#include "editing/EditingTools.h"

#include <Qt>

namespace lumivox {

KeyboardControl::KeyboardControl(EditingTools& tools, IKeyboardHost& host)
    : Tools(tools), Host(host) {}

namespace {

std::optional<TCursorMove> CursorMoveOf(int key) {
    switch (key) {
    case Qt::Key_Home:
        return TCursorMove::Start;
    case Qt::Key_End:
        return TCursorMove::End;
    case Qt::Key_Left:
        return TCursorMove::CellBack;
    case Qt::Key_Right:
        return TCursorMove::CellForward;
    default:
        return std::nullopt;
    }
}

} // namespace

bool KeyboardControl::KeyDown(int key, bool autoRepeat, Qt::KeyboardModifiers modifiers) {
    bool consumed = false;
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
        consumed = true;
        break;
    default:
        Modifier = TModifierKey::None;
        // With a modifier the cursor keys keep whatever meaning the focused control gives
        // them; the keypad's flag is no modifier.
        if (const std::optional<TCursorMove> move = CursorMoveOf(key);
            move && (modifiers & ~Qt::KeypadModifier) == Qt::NoModifier) {
            Host.MovePlayCursor(*move);
            consumed = true;
        }
        break;
    }
    FollowPointer();
    return consumed;
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
