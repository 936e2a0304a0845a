// The glyph icons: each glyph drawn on the 24-unit grid of its group, scaled to the size and
// device pixel ratio asked for, and greyed for the disabled look.
#include "dialogs/Glyphs.h"

#include "dialogs/GlyphCanvas.h"

#include <QIconEngine>

namespace lumivox {
namespace {

using glyphs::Canvas;

void DrawOnGrid(Canvas& c, Glyph glyph) {
    if (!glyphs::DrawToolBarGlyph(c, glyph))
        glyphs::DrawMenuGlyph(c, glyph);
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
        return glyphs::CachedPixmap(key, size,
                                    [this, disabled](QPainter& painter, const QRectF& box) {
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

} // namespace

void PaintGlyph(QPainter& painter, Glyph glyph, const QRectF& box, bool disabled) {
    const QRectF square = glyphs::CentredSquare(box);
    if (square.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(square.topLeft());
    painter.scale(square.width() / glyphs::kGrid, square.height() / glyphs::kGrid);
    Canvas canvas(painter, disabled);
    DrawOnGrid(canvas, glyph);
    painter.restore();
}

QIcon GlyphIcon(Glyph glyph) {
    return QIcon(new GlyphEngine(glyph));
}

} // namespace lumivox
