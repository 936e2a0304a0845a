// What the glyph files share: the 24-unit grid, path shorthands, the canvas that greys every
// colour for the disabled look, the cached rendering of a picture, and the drawing function
// of each group of glyphs.
#pragma once

#include "dialogs/Glyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace lumivox::glyphs {

// Glyphs are drawn on a square of this many units: whole and half units land on pixel edges
// at 24 and 48 pixels, so tool-bar glyphs are crisp at 100% and 200%.
inline constexpr qreal kGrid = 24.0;

inline QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

inline QPainterPath Rect(qreal x, qreal y, qreal w, qreal h, qreal radius = 0) {
    QPainterPath path;
    if (radius > 0) {
        path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    } else {
        path.addRect(QRectF(x, y, w, h));
    }
    return path;
}

inline QPainterPath Circle(qreal cx, qreal cy, qreal r) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

inline QPainterPath Line(QPointF a, QPointF b) {
    QPainterPath path(a);
    path.lineTo(b);
    return path;
}

// Paints on the 24-unit grid, turning every colour into a grey of similar lightness for the
// disabled look.
class Canvas {
public:
    Canvas(QPainter& painter, bool disabled) : p(painter), disabled_(disabled) {}

    QColor Tint(const QColor& color) const {
        if (!disabled_) {
            return color;
        }
        const int grey = 150 + qGray(color.rgb()) * 90 / 255;
        return QColor(grey, grey, grey, color.alpha());
    }

    void Fill(const QPainterPath& path, const QColor& color) { p.fillPath(path, Tint(color)); }

    void Stroke(const QPainterPath& path, const QColor& color, qreal width,
                Qt::PenCapStyle cap = Qt::RoundCap) {
        p.strokePath(path, QPen(Tint(color), width, Qt::SolidLine, cap, Qt::RoundJoin));
    }

    void FillStroke(const QPainterPath& path, const QColor& fill, const QColor& outline,
                    qreal width = 1.0) {
        Fill(path, fill);
        Stroke(path, outline, width);
    }

    // A straight arrow from `from` to `to` with a filled head at `to`.
    void Arrow(QPointF from, QPointF to, const QColor& color, qreal width = 1.5) {
        const QPointF d = to - from;
        const qreal length = std::hypot(d.x(), d.y());
        const QPointF u = d / length;
        const QPointF n(-u.y(), u.x());
        constexpr qreal head = 3.5;
        constexpr qreal half = 3.0;
        Stroke(Line(from, to - u * head), color, width, Qt::FlatCap);
        Fill(Polygon({to, to - u * head + n * half, to - u * head - n * half}), color);
    }

    QPainter& p;

private:
    bool disabled_;
};

// Each group draws its own glyphs on the grid: false when `glyph` is not one of the group's.
// The tool bar's: transport, recording, editing tools, zoom and snapping.
bool DrawToolBarGlyph(Canvas& c, Glyph glyph);
// The menus': project, song, undo, tracks, clipboard, values and About.
bool DrawMenuGlyph(Canvas& c, Glyph glyph);

// The largest square that fits `box`, centred in it.
inline QRectF CentredSquare(const QRectF& box) {
    const qreal side = std::min(box.width(), box.height());
    return QRectF(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
}

// Renders a painting function into a pixmap of `size` device pixels, caching the result.
template <typename Paint> QPixmap CachedPixmap(const QString& key, const QSize& size, Paint paint) {
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        paint(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace lumivox::glyphs
