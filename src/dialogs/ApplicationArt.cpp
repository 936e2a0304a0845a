// The application icon and the About box logo: a waveform lit by stage lamps.
#include "dialogs/GlyphCanvas.h"
#include "dialogs/GlyphPalette.h"

#include <QIconEngine>
#include <QLinearGradient>

#include <array>
#include <numbers>

namespace lumivox {
namespace {

using glyphs::CachedPixmap;
using glyphs::CentredSquare;
using namespace palette;

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
    wave.setColorAt(0, kNavy);
    wave.setColorAt(0.5, QColor(0x1F, 0x9F, 0xC8));
    wave.setColorAt(1, kNavy);
    painter.setBrush(wave);
    for (int i = 0; i < 30; ++i) {
        const qreal x = 5 + i * 4.0;
        const qreal envelope = std::sin(std::numbers::pi * (i + 0.5) / 30.0);
        const qreal ripple = 0.55 + 0.45 * std::abs(std::sin(i * 1.7) * std::cos(i * 0.6));
        const qreal half = 1.5 + 13.0 * envelope * ripple;
        painter.drawRoundedRect(QRectF(x, 38 - half, 2.6, 2 * half), 1.2, 1.2);
    }

    for (const Lamp& lamp : lamps) {
        painter.setBrush(kInk);
        painter.drawRoundedRect(QRectF(lamp.x - 5, 0.5, 10, 6), 2, 2);
        painter.setBrush(lamp.light);
        painter.drawEllipse(QRectF(lamp.x - 3.5, 5, 7, 2.5));
    }
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace lumivox
