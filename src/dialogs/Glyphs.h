// The editor's pictures, drawn in code: tool-bar and menu glyphs as icons that stay sharp at
// any device pixel ratio, the About box logo and the application icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QSize>

class QPainter;

namespace lumivox {

enum class Glyph {
    // Transport and recording.
    GoToBeginning,
    Play,
    Stop,
    Pause,
    GoToEnd,
    RecordOff, // the record button while recording is off: an outlined dot
    RecordOn,  // the record button while recording is on: a filled red dot
    RealTime,
    // Editing tools.
    Draw,
    Rubber,
    DrawValue,
    ValueSelector,
    // Zoom.
    HorizontalZoomIn,
    HorizontalZoomOut,
    VerticalZoomIn,
    VerticalZoomOut,
    // Snapping to beats and marks.
    Snap,
    // Menu images.
    NewProject,
    ProjectProperties,
    OpenProject,
    SaveProject,
    CreateSeqFile,
    ReplaceSong,
    Undo,
    Redo,
    NewTrack,
    DeleteTrack,
    Cut,
    Copy,
    Paste,
    SelectAll,
    Value,  // the image of every entry of the draw-value menu
    Output, // the image of every entry of the output menu
    About,
};

// Number of glyphs, for iterating over all of them.
inline constexpr int GlyphCount = static_cast<int>(Glyph::About) + 1;

// An icon that paints `glyph` at whatever size and device pixel ratio it is asked for; its
// QIcon::Disabled mode is drawn in greys.
QIcon GlyphIcon(Glyph glyph);

// Paints `glyph` centred in the largest square that fits `box`, greyed when `disabled`.
void PaintGlyph(QPainter& painter, Glyph glyph, const QRectF& box, bool disabled = false);

// The About box picture: a waveform lit by stage beams, on a transparent background, of
// `size` logical pixels rendered for `devicePixelRatio`.
QPixmap LogoPixmap(QSize size, qreal devicePixelRatio);

// The application icon at every size (window icon, About box), and its painter.
QIcon ApplicationIcon();
void PaintApplicationIcon(QPainter& painter, const QRectF& box);

} // namespace lumivox
