// The tool bar's glyphs: transport, recording, the live link, the editing tools, zoom and
// snapping.
#include "dialogs/GlyphCanvas.h"
#include "dialogs/GlyphPalette.h"

namespace lumivox::glyphs {
namespace {

using namespace palette;

// --- Transport ------------------------------------------------------------------------------

void DrawGoToBeginning(Canvas& c) {
    c.Fill(Rect(4, 6, 2, 12), kInk);
    c.Fill(Polygon({{13, 6}, {13, 18}, {7, 12}}), kInk);
    c.Fill(Polygon({{20, 6}, {20, 18}, {14, 12}}), kInk);
}

void DrawGoToEnd(Canvas& c) {
    c.Fill(Polygon({{4, 6}, {4, 18}, {10, 12}}), kInk);
    c.Fill(Polygon({{11, 6}, {11, 18}, {17, 12}}), kInk);
    c.Fill(Rect(18, 6, 2, 12), kInk);
}

void DrawPlay(Canvas& c) {
    c.Fill(Polygon({{7, 5}, {7, 19}, {19, 12}}), kGreen);
}

void DrawStop(Canvas& c) {
    c.Fill(Rect(6, 6, 12, 12, 1), kInk);
}

void DrawPause(Canvas& c) {
    c.Fill(Rect(6, 6, 4, 12, 0.5), kInk);
    c.Fill(Rect(14, 6, 4, 12, 0.5), kInk);
}

void DrawRecordOff(Canvas& c) {
    c.Stroke(Circle(12, 12, 6), kRed, 2);
}

void DrawRecordOn(Canvas& c) {
    c.FillStroke(Circle(12, 12, 7), kRed, kDarkRed);
    // A soft highlight makes the lit state read at a glance.
    c.Fill(Circle(9.5, 9.5, 2), QColor(255, 255, 255, 110));
}

// A serial connector sending a pulse train: the live link to the playback unit.
void DrawRealTime(Canvas& c) {
    c.FillStroke(Polygon({{3.5, 3.5}, {20.5, 3.5}, {18, 11.5}, {6, 11.5}}), kBlue, kDarkBlue);
    for (int i = 0; i < 5; ++i) {
        c.Fill(Circle(6.6 + i * 2.7, 6.3, 0.9), kPaper);
    }
    for (int i = 0; i < 4; ++i) {
        c.Fill(Circle(8.0 + i * 2.7, 9.0, 0.9), kPaper);
    }
    c.Fill(Rect(10.5, 11.5, 3, 3), kInk);
    QPainterPath pulses(QPointF(2, 20.5));
    for (const QPointF& point : {QPointF(5.5, 20.5), QPointF(5.5, 16.5), QPointF(9, 16.5),
                                 QPointF(9, 20.5), QPointF(15, 20.5), QPointF(15, 16.5),
                                 QPointF(18.5, 16.5), QPointF(18.5, 20.5), QPointF(22, 20.5)}) {
        pulses.lineTo(point);
    }
    c.Stroke(Line({12, 14.5}, {12, 20.5}), kInk, 1.5, Qt::FlatCap);
    c.Stroke(pulses, kAmber, 1.5, Qt::FlatCap);
}

// --- Editing tools --------------------------------------------------------------------------

// A pencil lying along the x axis with its point at x = -11, drawn in the caller's transform.
void DrawPencilBody(Canvas& c) {
    constexpr qreal h = 3.2;
    c.Fill(Polygon({{-11, 0}, {-5, -h}, {-5, h}}), kWood);
    c.Fill(Polygon({{-11, 0}, {-8.6, -h * 0.4}, {-8.6, h * 0.4}}), kInk);
    c.Fill(Rect(-5, -h, 11, 2 * h), kPencil);
    c.Fill(Rect(-5, -0.6, 11, 1.2), QColor(0xD9, 0x93, 0x14));
    c.Fill(Rect(6, -h, 1.8, 2 * h), kSteel);
    c.Fill(Rect(7.8, -h, 2.6, 2 * h, 0.8), kPink);
    c.Stroke(Polygon({{-11, 0}, {-5, -h}, {10.4, -h}, {10.4, h}, {-5, h}}), kInk, 1);
}

void DrawDraw(Canvas& c) {
    c.p.save();
    c.p.translate(12.3, 11.7);
    c.p.rotate(-45);
    DrawPencilBody(c);
    c.p.restore();
}

void DrawRubber(Canvas& c) {
    c.Stroke(Line({3, 20.5}, {11, 20.5}), kSteel, 1.5);
    c.Stroke(Line({5, 17.5}, {8, 17.5}), kSteel, 1.5);
    c.p.save();
    c.p.translate(13.5, 10.5);
    c.p.rotate(-35);
    c.Fill(Rect(-8, -4, 7, 8, 1), kPink);
    c.Fill(Rect(-1, -4, 9, 8, 1), kBlue);
    c.Fill(Rect(-1, -4, 1.5, 8), kBlue);
    c.Stroke(Rect(-8, -4, 16, 8, 1), kInk, 1);
    c.Stroke(Line({-1, -4}, {-1, 4}), kInk, 1, Qt::FlatCap);
    c.p.restore();
}

// Value bars with a pencil writing over them.
void DrawDrawValue(Canvas& c) {
    c.Fill(Rect(2, 17, 3, 4), kBlue);
    c.Fill(Rect(6, 14, 3, 7), kBlue);
    c.Fill(Rect(10, 11, 3, 10), kBlue);
    c.p.save();
    c.p.translate(16.5, 9);
    c.p.rotate(-45);
    c.p.scale(0.68, 0.68);
    DrawPencilBody(c);
    c.p.restore();
}

void DrawValueSelector(Canvas& c) {
    for (const qreal y : {7.0, 12.0, 17.0}) {
        c.Stroke(Line({3, y}, {12, y}), kInk, 2, Qt::FlatCap);
    }
    c.Fill(Polygon({{14.5, 9}, {21.5, 9}, {18, 14.5}}), kInk);
}

// --- Zoom -----------------------------------------------------------------------------------

enum class Axis { Horizontal, Vertical };

void DrawZoom(Canvas& c, Axis axis, bool zoomIn) {
    // The sign's strokes are 2 units wide on whole units, so they stay crisp at 100%.
    c.FillStroke(Circle(10, 10, 5.5), kGlass, kInk, 2);
    c.Stroke(Line({14, 14}, {18.5, 18.5}), kInk, 3);
    c.Stroke(Line({7, 10}, {13, 10}), kInk, 2, Qt::FlatCap);
    if (zoomIn) {
        c.Stroke(Line({10, 7}, {10, 13}), kInk, 2, Qt::FlatCap);
    }
    if (axis == Axis::Horizontal) {
        c.Arrow({7.5, 21}, {1, 21}, kBlue, 2);
        c.Arrow({7.5, 21}, {14, 21}, kBlue, 2);
    } else {
        c.Arrow({21, 7.5}, {21, 1}, kBlue, 2);
        c.Arrow({21, 7.5}, {21, 14}, kBlue, 2);
    }
}

// --- Snapping -------------------------------------------------------------------------------

// A horseshoe magnet with its poles against a beat line: the pointer is pulled onto beats and
// marks.
void DrawSnap(Canvas& c) {
    c.Stroke(Line({20.5, 3}, {20.5, 21}), kBlue, 1.5, Qt::FlatCap);
    QPainterPath horseshoe(QPointF(16, 7));
    horseshoe.lineTo(9, 7);
    horseshoe.arcTo(QRectF(4, 7, 10, 10), 90, 180);
    horseshoe.lineTo(16, 17);
    c.Stroke(horseshoe, kRed, 4, Qt::FlatCap);
    c.Fill(Rect(13, 5, 3, 4), kSteel);
    c.Fill(Rect(13, 15, 3, 4), kSteel);
}

} // namespace

bool DrawToolBarGlyph(Canvas& c, Glyph glyph) {
    switch (glyph) {
    case Glyph::GoToBeginning:
        DrawGoToBeginning(c);
        return true;
    case Glyph::Play:
        DrawPlay(c);
        return true;
    case Glyph::Stop:
        DrawStop(c);
        return true;
    case Glyph::Pause:
        DrawPause(c);
        return true;
    case Glyph::GoToEnd:
        DrawGoToEnd(c);
        return true;
    case Glyph::RecordOff:
        DrawRecordOff(c);
        return true;
    case Glyph::RecordOn:
        DrawRecordOn(c);
        return true;
    case Glyph::RealTime:
        DrawRealTime(c);
        return true;
    case Glyph::Draw:
        DrawDraw(c);
        return true;
    case Glyph::Rubber:
        DrawRubber(c);
        return true;
    case Glyph::DrawValue:
        DrawDrawValue(c);
        return true;
    case Glyph::ValueSelector:
        DrawValueSelector(c);
        return true;
    case Glyph::HorizontalZoomIn:
        DrawZoom(c, Axis::Horizontal, true);
        return true;
    case Glyph::HorizontalZoomOut:
        DrawZoom(c, Axis::Horizontal, false);
        return true;
    case Glyph::VerticalZoomIn:
        DrawZoom(c, Axis::Vertical, true);
        return true;
    case Glyph::VerticalZoomOut:
        DrawZoom(c, Axis::Vertical, false);
        return true;
    case Glyph::Snap:
        DrawSnap(c);
        return true;
    default:
        return false;
    }
}

} // namespace lumivox::glyphs
