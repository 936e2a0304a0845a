// The three tool cursors of the lanes, drawn in code: a pencil for drawing, a rubber for
// erasing and a pencil with value bars for the draw-value tool, each with its hot spot at
// the point that touches the lane.
#pragma once

#include "editing/EditingTools.h"

#include <QCursor>
#include <QPixmap>
#include <QPoint>

namespace lumivox {

// Cursor pictures are this many logical pixels square.
inline constexpr int ToolCursorSize = 32;

// The picture of a tool cursor on a transparent background; null for the default cursor.
QPixmap ToolCursorPixmap(TToolCursor cursor);
// The hot spot of a tool cursor in logical pixels of its picture.
QPoint ToolCursorHotSpot(TToolCursor cursor);
// The cursor to show: the arrow for TToolCursor::Default.
QCursor ToolCursor(TToolCursor cursor);

} // namespace lumivox
