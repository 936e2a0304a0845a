// The tool cursors painted with QPainter on a 32-pixel square: dark ink outlined in white,
// so they show on light lanes and dark bars alike.
#include "timeline/ToolCursors.h"

#include "dialogs/GlyphPalette.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

namespace lumivox {
namespace {

using namespace palette;

// The white halo round every outline.
constexpr QColor kHalo = kPaper;

// Both pencils touch the lane at the bottom-left corner.
const QPoint kPencilTip(1, 30);
// The rubber's erasing edge begins at its lower-left corner.
const QPoint kRubberCorner(3, 28);

// Fills `path` with `fill` inside a white halo and a dark outline.
void Outlined(QPainter& p, const QPainterPath& path, const QColor& fill) {
    p.strokePath(path, QPen(kHalo, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(path, fill);
    p.strokePath(path, QPen(kInk, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// A pencil of `length` pixels from its point at the origin along +x, in the caller's
// transform.
void PaintPencil(QPainter& p, qreal length) {
    constexpr qreal half = 3.5;
    const qreal cone = length * 0.27;
    const qreal ferrule = length * 0.80;
    const qreal eraser = length * 0.88;
    QPainterPath outline =
        Polygon({{0, 0}, {cone, -half}, {length, -half}, {length, half}, {cone, half}});
    p.strokePath(outline, QPen(kHalo, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(Polygon({{0, 0}, {cone, -half}, {cone, half}}), kWood);
    p.fillPath(Polygon({{0, 0}, {cone * 0.4, -half * 0.4}, {cone * 0.4, half * 0.4}}), kInk);
    QPainterPath body;
    body.addRect(QRectF(cone, -half, ferrule - cone, 2 * half));
    p.fillPath(body, kPencil);
    QPainterPath band;
    band.addRect(QRectF(ferrule, -half, eraser - ferrule, 2 * half));
    p.fillPath(band, kSteel);
    QPainterPath end;
    end.addRect(QRectF(eraser, -half, length - eraser, 2 * half));
    p.fillPath(end, kPink);
    p.strokePath(outline, QPen(kInk, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

// A solid dot on the hot spot's pixel, so the point that edits is never a see-through pixel.
void MarkHotSpot(QPainter& p, QPoint hotSpot) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(hotSpot, QSize(1, 1)), kInk);
}

void PaintDraw(QPainter& p) {
    p.save();
    p.translate(QPointF(kPencilTip) + QPointF(0.5, 0.5));
    p.rotate(-45);
    PaintPencil(p, 38);
    p.restore();
    MarkHotSpot(p, kPencilTip);
}

void PaintRubber(QPainter& p) {
    p.save();
    p.translate(QPointF(kRubberCorner) + QPointF(0.5, 0.5));
    p.rotate(-40);
    QPainterPath block;
    block.addRoundedRect(QRectF(0, -11, 27, 11), 1.5, 1.5);
    p.strokePath(block, QPen(kHalo, 3.0));
    QPainterPath face;
    face.addRect(QRectF(0, -11, 10, 11));
    p.fillPath(face, kPink);
    QPainterPath sleeve;
    sleeve.addRect(QRectF(10, -11, 17, 11));
    p.fillPath(sleeve, kBlue);
    p.strokePath(block, QPen(kInk, 1.0));
    p.restore();
    MarkHotSpot(p, kRubberCorner);
}

void PaintDrawValue(QPainter& p) {
    // Value bars of rising height beside the pencil's path.
    const std::initializer_list<QRectF> bars = {QRectF(18, 24, 3, 6), QRectF(22.5, 19, 3, 11),
                                                QRectF(27, 14, 3, 16)};
    for (const QRectF& bar : bars) {
        QPainterPath path;
        path.addRect(bar);
        Outlined(p, path, kBlue);
    }
    p.save();
    p.translate(QPointF(kPencilTip) + QPointF(0.5, 0.5));
    p.rotate(-45);
    PaintPencil(p, 30);
    p.restore();
    MarkHotSpot(p, kPencilTip);
}

} // namespace

QPixmap ToolCursorPixmap(TToolCursor cursor) {
    if (cursor == TToolCursor::Default)
        return {};
    QPixmap pixmap(ToolCursorSize, ToolCursorSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (cursor) {
    case TToolCursor::Draw:
        PaintDraw(painter);
        break;
    case TToolCursor::Rubber:
        PaintRubber(painter);
        break;
    case TToolCursor::DrawValue:
        PaintDrawValue(painter);
        break;
    case TToolCursor::Default:
        break;
    }
    return pixmap;
}

QPoint ToolCursorHotSpot(TToolCursor cursor) {
    switch (cursor) {
    case TToolCursor::Draw:
    case TToolCursor::DrawValue:
        return kPencilTip;
    case TToolCursor::Rubber:
        return kRubberCorner;
    case TToolCursor::Default:
        break;
    }
    return {};
}

QCursor ToolCursor(TToolCursor cursor) {
    if (cursor == TToolCursor::Default)
        return QCursor(Qt::ArrowCursor);
    const QPoint hotSpot = ToolCursorHotSpot(cursor);
    return QCursor(ToolCursorPixmap(cursor), hotSpot.x(), hotSpot.y());
}

} // namespace lumivox
