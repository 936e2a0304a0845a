// The editor's pictures drawn with QPainter: glyphs on a 24-unit grid (whole and half units
// land on pixel edges at 24 and 48 pixels, so tool-bar glyphs are crisp at 100% and 200%),
// the About box logo and the application icon.
#include "dialogs/Glyphs.h"

#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace lumivox {
namespace {

constexpr qreal kGrid = 24.0;

// The palette every glyph draws from, so the set looks like one family.
const QColor kInk(0x2B, 0x35, 0x45);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kPaperShade(0xE4, 0xE9, 0xF0);
const QColor kGreen(0x22, 0x9A, 0x55);
const QColor kRed(0xD6, 0x28, 0x2E);
const QColor kDarkRed(0x9E, 0x17, 0x1C);
const QColor kBlue(0x1F, 0x6F, 0xD1);
const QColor kDarkBlue(0x17, 0x4A, 0x8C);
const QColor kNavy(0x1A, 0x2A, 0x6C);
const QColor kAmber(0xF4, 0xA8, 0x1D);
const QColor kDarkAmber(0xB8, 0x78, 0x0E);
const QColor kTeal(0x3C, 0xCF, 0xE3);
const QColor kPencil(0xF2, 0xB6, 0x32);
const QColor kWood(0xEF, 0xD3, 0xA8);
const QColor kPink(0xEC, 0x74, 0x8F);
const QColor kSteel(0x9A, 0xA5, 0xB3);
const QColor kGlass(0xE8, 0xF2, 0xFF);

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath Rect(qreal x, qreal y, qreal w, qreal h, qreal radius = 0) {
    QPainterPath path;
    if (radius > 0) {
        path.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    } else {
        path.addRect(QRectF(x, y, w, h));
    }
    return path;
}

QPainterPath Circle(qreal cx, qreal cy, qreal r) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

QPainterPath Line(QPointF a, QPointF b) {
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

// --- Menu images ----------------------------------------------------------------------------

QPainterPath Document(qreal x, qreal y, qreal w, qreal h, qreal fold = 3) {
    return Polygon({{x, y}, {x + w - fold, y}, {x + w, y + fold}, {x + w, y + h}, {x, y + h}});
}

void DrawDocument(Canvas& c, qreal x, qreal y, qreal w, qreal h) {
    c.FillStroke(Document(x, y, w, h), kPaper, kInk);
    c.Fill(Polygon({{x + w - 3, y}, {x + w - 3, y + 3}, {x + w, y + 3}}), kPaperShade);
    c.Stroke(Polygon({{x + w - 3, y}, {x + w - 3, y + 3}, {x + w, y + 3}}), kInk, 1);
}

void DrawTextLines(Canvas& c, qreal x, qreal y, qreal w, int count) {
    for (int i = 0; i < count; ++i) {
        const qreal width = (i % 2 == 1) ? w * 0.7 : w;
        c.Fill(Rect(x, y + i * 3, width, 1), kSteel);
    }
}

// A round badge with a plus or a cross, for "new" and "delete" images.
void DrawBadge(Canvas& c, qreal cx, qreal cy, bool plus) {
    c.Fill(Circle(cx, cy, 4.5), plus ? kGreen : kRed);
    if (plus) {
        c.Stroke(Line({cx - 2.5, cy}, {cx + 2.5, cy}), kPaper, 1.5, Qt::FlatCap);
        c.Stroke(Line({cx, cy - 2.5}, {cx, cy + 2.5}), kPaper, 1.5, Qt::FlatCap);
    } else {
        c.Stroke(Line({cx - 2, cy - 2}, {cx + 2, cy + 2}), kPaper, 1.5, Qt::FlatCap);
        c.Stroke(Line({cx - 2, cy + 2}, {cx + 2, cy - 2}), kPaper, 1.5, Qt::FlatCap);
    }
}

void DrawNewProject(Canvas& c) {
    DrawDocument(c, 4.5, 2.5, 13, 18);
    DrawTextLines(c, 7, 8, 8, 3);
    DrawBadge(c, 17.5, 17.5, true);
}

void DrawProjectProperties(Canvas& c) {
    DrawDocument(c, 5.5, 2.5, 13, 19);
    DrawTextLines(c, 8, 7, 8, 5);
}

void DrawOpenProject(Canvas& c) {
    c.FillStroke(
        Polygon({{2.5, 5.5}, {8.5, 5.5}, {10.5, 7.5}, {19.5, 7.5}, {19.5, 19.5}, {2.5, 19.5}}),
        kDarkAmber, kInk);
    c.FillStroke(Polygon({{2.5, 19.5}, {5.5, 10.5}, {22.5, 10.5}, {19.5, 19.5}}), kAmber, kInk);
}

void DrawSaveProject(Canvas& c) {
    c.FillStroke(Polygon({{3.5, 3.5}, {17.5, 3.5}, {20.5, 6.5}, {20.5, 20.5}, {3.5, 20.5}}), kBlue,
                 kDarkBlue);
    c.Fill(Rect(7, 3.5, 9, 6), kPaperShade);
    c.Fill(Rect(12.5, 4.5, 2, 4), kDarkBlue);
    c.FillStroke(Rect(6.5, 12.5, 11, 8), kPaper, kDarkBlue);
    c.Fill(Rect(8.5, 15, 7, 1), kSteel);
    c.Fill(Rect(8.5, 17.5, 7, 1), kSteel);
}

// A document of binary blocks: the sequence file for the playback unit.
void DrawCreateSeqFile(Canvas& c) {
    DrawDocument(c, 5.5, 2.5, 13, 19);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            if ((row * 5 + column * 3) % 4 != 1) {
                c.Fill(Rect(8 + column * 2, 7 + row * 3.5, 1.5, 2), kNavy);
            }
        }
    }
}

void DrawNote(Canvas& c) {
    c.Stroke(Line({9.5, 17}, {9.5, 3.5}), kInk, 1.5, Qt::FlatCap);
    QPainterPath flag(QPointF(9.5, 3.5));
    flag.cubicTo(QPointF(11, 6.5), QPointF(14.5, 6.5), QPointF(13.5, 10.5));
    c.Stroke(flag, kInk, 1.5);
    c.p.save();
    c.p.translate(7, 17.5);
    c.p.rotate(-20);
    QPainterPath head;
    head.addEllipse(QPointF(0, 0), 3.2, 2.3);
    c.Fill(head, kInk);
    c.p.restore();
}

void DrawReplaceSong(Canvas& c) {
    DrawNote(c);
    c.Arrow({14, 13}, {22.5, 13}, kBlue);
    c.Arrow({22.5, 19.5}, {14, 19.5}, kBlue);
}

// A curved arrow; `mirrored` turns Undo into Redo.
void DrawTurnArrow(Canvas& c, bool mirrored) {
    c.p.save();
    if (mirrored) {
        c.p.translate(kGrid, 0);
        c.p.scale(-1, 1);
    }
    QPainterPath curve(QPointF(8.5, 9));
    curve.lineTo(13, 9);
    curve.cubicTo(QPointF(20.5, 9), QPointF(20.5, 19), QPointF(13, 19));
    curve.lineTo(9, 19);
    c.Stroke(curve, kBlue, 2.2);
    c.Fill(Polygon({{3, 9}, {9.5, 3.5}, {9.5, 14.5}}), kBlue);
    c.p.restore();
}

void DrawTrackStrip(Canvas& c) {
    c.FillStroke(Rect(2.5, 8.5, 14, 7), QColor(0xD5, 0xF3, 0xF7), kInk);
    c.Fill(Rect(4, 11, 3, 3), kDarkBlue);
    c.Fill(Rect(8, 10, 2, 4), kDarkBlue);
    c.Fill(Rect(11, 12, 4, 2), kDarkBlue);
}

void DrawNewTrack(Canvas& c) {
    DrawTrackStrip(c);
    DrawBadge(c, 18.5, 15.5, true);
}

void DrawDeleteTrack(Canvas& c) {
    DrawTrackStrip(c);
    DrawBadge(c, 18.5, 15.5, false);
}

void DrawCut(Canvas& c) {
    c.Stroke(Line({9.5, 15}, {16, 3}), kSteel, 2);
    c.Stroke(Line({14.5, 15}, {8, 3}), kSteel, 2);
    c.Fill(Circle(12, 10.4, 0.9), kInk);
    c.Stroke(Circle(7.5, 18, 3), kRed, 1.8);
    c.Stroke(Circle(16.5, 18, 3), kRed, 1.8);
}

void DrawCopy(Canvas& c) {
    DrawDocument(c, 3.5, 2.5, 11, 14);
    DrawDocument(c, 9.5, 7.5, 11, 14);
    DrawTextLines(c, 11.5, 12, 7, 3);
}

void DrawPaste(Canvas& c) {
    c.FillStroke(Rect(4.5, 4.5, 15, 17, 1.5), QColor(0xC2, 0x8A, 0x4E), kInk);
    c.FillStroke(Rect(7.5, 8.5, 9, 11), kPaper, kInk);
    DrawTextLines(c, 9, 11, 6, 3);
    c.FillStroke(Rect(8.5, 2.5, 7, 4, 1), kSteel, kInk);
}

void DrawSelectAll(Canvas& c) {
    c.Fill(Rect(6, 6, 12, 12), QColor(0xC9, 0xDE, 0xF7));
    QPen pen(c.Tint(kInk), 1, Qt::CustomDashLine, Qt::FlatCap);
    pen.setDashPattern({2, 2});
    c.p.strokePath(Rect(3.5, 3.5, 17, 17), pen);
}

// A level gauge, the image of each entry of the draw-value menu.
void DrawValue(Canvas& c) {
    c.FillStroke(Rect(3.5, 8.5, 17, 7, 1), kPaper, kInk);
    c.Fill(Rect(5, 10, 9, 4), kAmber);
}

void DrawAbout(Canvas& c) {
    c.Fill(Circle(12, 12, 9.5), kBlue);
    c.Fill(Circle(12, 7.5, 1.5), kPaper);
    c.Fill(Rect(10.8, 10, 2.4, 8, 0.6), kPaper);
}

void DrawOnGrid(Canvas& c, Glyph glyph) {
    switch (glyph) {
    case Glyph::GoToBeginning:
        return DrawGoToBeginning(c);
    case Glyph::Play:
        return DrawPlay(c);
    case Glyph::Stop:
        return DrawStop(c);
    case Glyph::Pause:
        return DrawPause(c);
    case Glyph::GoToEnd:
        return DrawGoToEnd(c);
    case Glyph::RecordOff:
        return DrawRecordOff(c);
    case Glyph::RecordOn:
        return DrawRecordOn(c);
    case Glyph::RealTime:
        return DrawRealTime(c);
    case Glyph::Draw:
        return DrawDraw(c);
    case Glyph::Rubber:
        return DrawRubber(c);
    case Glyph::DrawValue:
        return DrawDrawValue(c);
    case Glyph::ValueSelector:
        return DrawValueSelector(c);
    case Glyph::HorizontalZoomIn:
        return DrawZoom(c, Axis::Horizontal, true);
    case Glyph::HorizontalZoomOut:
        return DrawZoom(c, Axis::Horizontal, false);
    case Glyph::VerticalZoomIn:
        return DrawZoom(c, Axis::Vertical, true);
    case Glyph::VerticalZoomOut:
        return DrawZoom(c, Axis::Vertical, false);
    case Glyph::NewProject:
        return DrawNewProject(c);
    case Glyph::ProjectProperties:
        return DrawProjectProperties(c);
    case Glyph::OpenProject:
        return DrawOpenProject(c);
    case Glyph::SaveProject:
        return DrawSaveProject(c);
    case Glyph::CreateSeqFile:
        return DrawCreateSeqFile(c);
    case Glyph::ReplaceSong:
        return DrawReplaceSong(c);
    case Glyph::Undo:
        return DrawTurnArrow(c, false);
    case Glyph::Redo:
        return DrawTurnArrow(c, true);
    case Glyph::NewTrack:
        return DrawNewTrack(c);
    case Glyph::DeleteTrack:
        return DrawDeleteTrack(c);
    case Glyph::Cut:
        return DrawCut(c);
    case Glyph::Copy:
        return DrawCopy(c);
    case Glyph::Paste:
        return DrawPaste(c);
    case Glyph::SelectAll:
        return DrawSelectAll(c);
    case Glyph::Value:
        return DrawValue(c);
    case Glyph::About:
        return DrawAbout(c);
    }
}

// The largest square that fits `box`, centred in it.
QRectF CentredSquare(const QRectF& box) {
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

class GlyphEngine final : public QIconEngine {
public:
    explicit GlyphEngine(Glyph glyph) : glyph_(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        PaintGlyph(*painter, glyph_, rect, mode == QIcon::Disabled);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        if (size.isEmpty()) {
            return {};
        }
        const bool disabled = mode == QIcon::Disabled;
        const QString key = QStringLiteral("lumivox-glyph-%1-%2-%3x%4")
                                .arg(static_cast<int>(glyph_))
                                .arg(disabled ? 1 : 0)
                                .arg(size.width())
                                .arg(size.height());
        return CachedPixmap(key, size, [this, disabled](QPainter& painter, const QRectF& box) {
            PaintGlyph(painter, glyph_, box, disabled);
        });
    }

    QIconEngine* clone() const override { return new GlyphEngine(glyph_); }
    QString key() const override { return QStringLiteral("lumivox-glyph"); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}};
    }

private:
    Glyph glyph_;
};

// --- Logo and application icon --------------------------------------------------------------

// The bar heights of the icon's waveform (64-unit grid), shared with data/lumivox-editor.svg.
constexpr std::array<qreal, 9> kIconBars{4, 9, 6, 13, 16, 11, 7, 10, 4};

class ApplicationIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        PaintApplicationIcon(*painter, rect);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        if (size.isEmpty()) {
            return {};
        }
        const QString key =
            QStringLiteral("lumivox-app-icon-%1x%2").arg(size.width()).arg(size.height());
        return CachedPixmap(key, size, [](QPainter& painter, const QRectF& box) {
            PaintApplicationIcon(painter, box);
        });
    }

    QIconEngine* clone() const override { return new ApplicationIconEngine; }
    QString key() const override { return QStringLiteral("lumivox-app-icon"); }
    // Window managers ask for a list of sizes; a scalable icon offers the usual ones.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }
};

} // namespace

void PaintGlyph(QPainter& painter, Glyph glyph, const QRectF& box, bool disabled) {
    const QRectF square = CentredSquare(box);
    if (square.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(square.topLeft());
    painter.scale(square.width() / kGrid, square.height() / kGrid);
    Canvas canvas(painter, disabled);
    DrawOnGrid(canvas, glyph);
    painter.restore();
}

QIcon GlyphIcon(Glyph glyph) {
    return QIcon(new GlyphEngine(glyph));
}

void PaintApplicationIcon(QPainter& painter, const QRectF& box) {
    const QRectF square = CentredSquare(box);
    if (square.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(square.topLeft());
    painter.scale(square.width() / 64.0, square.height() / 64.0);
    painter.setPen(Qt::NoPen);

    QLinearGradient night(0, 2, 0, 62);
    night.setColorAt(0, QColor(0x26, 0x3B, 0x86));
    night.setColorAt(1, QColor(0x10, 0x1A, 0x44));
    painter.setBrush(night);
    painter.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    QLinearGradient beam(0, 12, 0, 54);
    beam.setColorAt(0, QColor(0xFF, 0xC8, 0x4A, 235));
    beam.setColorAt(1, QColor(0xFF, 0xC8, 0x4A, 0));
    painter.setBrush(beam);
    painter.drawPolygon(QPolygonF({{27, 13}, {37, 13}, {54, 54}, {10, 54}}));

    painter.setBrush(QColor(0xDD, 0xE4, 0xF0));
    painter.drawRoundedRect(QRectF(23, 6, 18, 7), 3, 3);
    painter.setBrush(QColor(0xFF, 0xC8, 0x4A));
    painter.drawEllipse(QRectF(26, 11, 12, 4));

    painter.setBrush(kTeal);
    for (std::size_t i = 0; i < kIconBars.size(); ++i) {
        const qreal x = 8.25 + static_cast<qreal>(i) * 5.5;
        const qreal h = kIconBars[i];
        painter.drawRoundedRect(QRectF(x, 44 - h / 2, 3.5, h), 1.5, 1.5);
    }
    painter.restore();
}

QIcon ApplicationIcon() {
    return QIcon(new ApplicationIconEngine);
}

QPixmap LogoPixmap(QSize size, qreal devicePixelRatio) {
    if (size.isEmpty() || devicePixelRatio <= 0) {
        return {};
    }
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);

    // Drawn on a 128 × 54 grid, scaled to fit and centred.
    constexpr qreal w = 128;
    constexpr qreal h = 54;
    const qreal scale = std::min(size.width() / w, size.height() / h);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate((size.width() - w * scale) / 2, (size.height() - h * scale) / 2);
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);

    // Three stage lamps; the outer two lean towards the middle.
    struct Lamp {
        qreal x;
        qreal aim;
        QColor light;
    };
    const std::array<Lamp, 3> lamps{{{26, 40, QColor(0xFF, 0xB3, 0x2E)},
                                     {64, 64, QColor(0xFF, 0xE6, 0xA8)},
                                     {102, 88, QColor(0xFF, 0xB3, 0x2E)}}};
    for (const Lamp& lamp : lamps) {
        QLinearGradient beam(0, 6, 0, 46);
        QColor top = lamp.light;
        top.setAlpha(200);
        QColor bottom = lamp.light;
        bottom.setAlpha(0);
        beam.setColorAt(0, top);
        beam.setColorAt(1, bottom);
        painter.setBrush(beam);
        painter.drawPolygon(QPolygonF(
            {{lamp.x - 3, 6}, {lamp.x + 3, 6}, {lamp.aim + 15, 46}, {lamp.aim - 15, 46}}));
    }

    // The waveform: mirrored bars under an envelope that swells towards the middle.
    QLinearGradient wave(4, 0, 124, 0);
    wave.setColorAt(0, QColor(0x1A, 0x2A, 0x6C));
    wave.setColorAt(0.5, QColor(0x1F, 0x9F, 0xC8));
    wave.setColorAt(1, QColor(0x1A, 0x2A, 0x6C));
    painter.setBrush(wave);
    for (int i = 0; i < 30; ++i) {
        const qreal x = 5 + i * 4.0;
        const qreal envelope = std::sin(std::numbers::pi * (i + 0.5) / 30.0);
        const qreal ripple = 0.55 + 0.45 * std::abs(std::sin(i * 1.7) * std::cos(i * 0.6));
        const qreal half = 1.5 + 13.0 * envelope * ripple;
        painter.drawRoundedRect(QRectF(x, 38 - half, 2.6, 2 * half), 1.2, 1.2);
    }

    for (const Lamp& lamp : lamps) {
        painter.setBrush(QColor(0x2B, 0x35, 0x45));
        painter.drawRoundedRect(QRectF(lamp.x - 5, 0.5, 10, 6), 2, 2);
        painter.setBrush(lamp.light);
        painter.drawEllipse(QRectF(lamp.x - 3.5, 5, 7, 2.5));
    }
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace lumivox
