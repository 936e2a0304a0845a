// Keyboard control of the editor: the held modifier that overrides the editing tool, and the
// space bar that starts or pauses playback. Widget-free: keys arrive as Qt key codes.
#pragma once

#include "editing/TimelineGeometry.h"

#include <Qt>

#include <cstdint>
#include <optional>

namespace lumivox {

class EditingTools;

// The most recent modifier pressed; there is no combination state.
enum class TModifierKey : std::uint8_t { None = 0, Ctrl = 1, Shift = 2, Alt = 3 };

// Moves of the play cursor by key: to the song's start or end, or one editing cell.
enum class TCursorMove : std::uint8_t { Start, End, CellBack, CellForward };

// What the keyboard asks of the window: the transport and where the pointer is.
class IKeyboardHost {
public:
    virtual ~IKeyboardHost() = default;
    virtual bool SongPlaying() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    // What the pointer is over while it is over the lanes' viewport; empty elsewhere, so a
    // modifier pressed over another control leaves its cursor alone.
    virtual std::optional<TLaneHit> PointerInLanes() const = 0;
    // Home, End and the arrows move the play cursor; a host without one ignores them.
    virtual void MovePlayCursor(TCursorMove /*move*/) {}
};

class KeyboardControl {
public:
    KeyboardControl(EditingTools& tools, IKeyboardHost& host);

    TModifierKey ModifierKey() const { return Modifier; }

    // `key` is a Qt::Key code. Shift, Ctrl and Alt start their override; Space plays or
    // pauses (auto-repeat is ignored so holding it does not toggle again and again); Home
    // and End move the play cursor to the song's start and end, Left and Right one cell
    // back and forward (repeating while held), unless a modifier is held with them; any
    // other key ends the override. Then the pointer feedback follows at once. True when the
    // key was a command of its own (Space, and the cursor keys it moved the cursor for),
    // which no other control should then take.
    bool KeyDown(int key, bool autoRepeat = false,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Releasing any key with a non-zero code ends the override, even while the modifier is
    // still held. The synthetic releases of auto-repeat change nothing.
    void KeyUp(int key, bool autoRepeat = false);
    // Ends the override without a key event, for when the window loses the keyboard and
    // will never see the release.
    void ReleaseModifier();

private:
    void FollowPointer();

    EditingTools& Tools;
    IKeyboardHost& Host;
    TModifierKey Modifier = TModifierKey::None;
};

} // namespace lumivox
