// Tests of the drawn pictures: every glyph draws something of its own at 100% and 200%, the
// shapes sit where the tool bar needs them, edges stay crisp, the disabled look is grey, and
// the logo and application icon render at the asked size.
#include "dialogs/Glyphs.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <vector>

namespace lumivox {
namespace {

QImage Render(Glyph glyph, qreal ratio = 1.0, QIcon::Mode mode = QIcon::Normal) {
    return GlyphIcon(glyph).pixmap(QSize(24, 24), ratio, mode).toImage();
}

int Alpha(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y));
}

int CoveredPixels(const QImage& image) {
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            covered += Alpha(image, x, y) > 0 ? 1 : 0;
        }
    }
    return covered;
}

TEST(GlyphsTest, EveryGlyphDrawsAtOneAndTwoTimesAndNoTwoAreAlike) {
    std::vector<QImage> images;
    for (int i = 0; i < GlyphCount; ++i) {
        const auto glyph = static_cast<Glyph>(i);
        const QPixmap single = GlyphIcon(glyph).pixmap(QSize(24, 24), 1.0);
        const QPixmap twice = GlyphIcon(glyph).pixmap(QSize(24, 24), 2.0);
        EXPECT_EQ(single.size(), QSize(24, 24)) << i;
        EXPECT_EQ(twice.size(), QSize(48, 48)) << i;
        EXPECT_DOUBLE_EQ(twice.devicePixelRatio(), 2.0) << i;
        EXPECT_GT(CoveredPixels(single.toImage()), 20) << i;
        EXPECT_GT(CoveredPixels(twice.toImage()), 80) << i;
        images.push_back(single.toImage());
    }
    for (std::size_t a = 0; a < images.size(); ++a) {
        for (std::size_t b = a + 1; b < images.size(); ++b) {
            EXPECT_NE(images[a], images[b]) << "glyphs " << a << " and " << b;
        }
    }
}

TEST(GlyphsTest, TransportShapesFillWhereExpected) {
    const QImage play = Render(Glyph::Play);
    const QColor playCentre = play.pixelColor(11, 12);
    EXPECT_EQ(playCentre.alpha(), 255);
    EXPECT_GT(playCentre.green(), playCentre.red() + 60) << "play is green";

    EXPECT_EQ(Alpha(Render(Glyph::Stop), 12, 12), 255);
    EXPECT_EQ(Alpha(Render(Glyph::Pause), 12, 12), 0) << "the gap between the bars";
    EXPECT_EQ(Alpha(Render(Glyph::Pause), 8, 12), 255);
    // The bar stands where the triangles only have their points: left for the beginning,
    // right for the end.
    EXPECT_EQ(Alpha(Render(Glyph::GoToBeginning), 5, 17), 255);
    EXPECT_EQ(Alpha(Render(Glyph::GoToBeginning), 18, 17), 0);
    EXPECT_EQ(Alpha(Render(Glyph::GoToEnd), 5, 17), 0);
    EXPECT_EQ(Alpha(Render(Glyph::GoToEnd), 18, 17), 255);
}

TEST(GlyphsTest, RecordShowsAFilledRedDotOnlyWhileRecording) {
    const QColor on = Render(Glyph::RecordOn).pixelColor(12, 12);
    EXPECT_EQ(on.alpha(), 255);
    EXPECT_GT(on.red(), 150);
    EXPECT_LT(on.green(), 80);
    EXPECT_EQ(Alpha(Render(Glyph::RecordOff), 12, 12), 0) << "only a ring while off";
    EXPECT_GT(Render(Glyph::RecordOff).pixelColor(6, 12).red(), 150);
}

TEST(GlyphsTest, ZoomGlyphsShowTheirSignAndAxis) {
    // The upright stroke of the plus, which the minus lacks.
    EXPECT_LT(Render(Glyph::HorizontalZoomIn).pixelColor(10, 8).lightness(), 100);
    EXPECT_GT(Render(Glyph::HorizontalZoomOut).pixelColor(10, 8).lightness(), 200);
    EXPECT_LT(Render(Glyph::VerticalZoomIn).pixelColor(10, 8).lightness(), 100);
    EXPECT_GT(Render(Glyph::VerticalZoomOut).pixelColor(10, 8).lightness(), 200);
    // The axis arrow: along the bottom for horizontal zoom, up the right side for vertical.
    for (const Glyph glyph : {Glyph::HorizontalZoomIn, Glyph::HorizontalZoomOut}) {
        EXPECT_GT(Alpha(Render(glyph), 5, 20), 0);
        EXPECT_EQ(Alpha(Render(glyph), 20, 5), 0);
    }
    for (const Glyph glyph : {Glyph::VerticalZoomIn, Glyph::VerticalZoomOut}) {
        EXPECT_EQ(Alpha(Render(glyph), 5, 20), 0);
        EXPECT_GT(Alpha(Render(glyph), 20, 5), 0);
    }
}

TEST(GlyphsTest, SnapShowsARedMagnetOpenTowardsABlueBeatLine) {
    const QImage snap = Render(Glyph::Snap);
    const QColor bend = snap.pixelColor(5, 12); // the magnet's curve, on the left
    EXPECT_EQ(bend.alpha(), 255);
    EXPECT_GT(bend.red(), bend.blue() + 100);
    EXPECT_EQ(Alpha(snap, 11, 12), 0) << "open between the arms";
    const QColor line = snap.pixelColor(20, 12);
    EXPECT_GT(line.alpha(), 200);
    EXPECT_GT(line.blue(), line.red() + 100);
}

TEST(GlyphsTest, EdgesStayCrispAtBothRatios) {
    // The stop square spans grid units 6..18: whole pixels at 100% and at 200%.
    const QImage single = Render(Glyph::Stop, 1.0);
    EXPECT_EQ(Alpha(single, 5, 12), 0);
    EXPECT_EQ(Alpha(single, 6, 12), 255);
    EXPECT_EQ(Alpha(single, 17, 12), 255);
    EXPECT_EQ(Alpha(single, 18, 12), 0);
    const QImage twice = Render(Glyph::Stop, 2.0);
    EXPECT_EQ(Alpha(twice, 11, 24), 0);
    EXPECT_EQ(Alpha(twice, 12, 24), 255);
    EXPECT_EQ(Alpha(twice, 35, 24), 255);
    EXPECT_EQ(Alpha(twice, 36, 24), 0);
}

TEST(GlyphsTest, DisabledModeIsGreyWithTheSameShape) {
    for (const Glyph glyph : {Glyph::Play, Glyph::RecordOn, Glyph::RealTime}) {
        const QImage normal = Render(glyph);
        const QImage disabled = Render(glyph, 1.0, QIcon::Disabled);
        EXPECT_EQ(CoveredPixels(disabled), CoveredPixels(normal));
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                const QColor colour = disabled.pixelColor(x, y);
                ASSERT_EQ(colour.red(), colour.green()) << x << "," << y;
                ASSERT_EQ(colour.green(), colour.blue()) << x << "," << y;
            }
        }
    }
    // Painting an icon directly (as menus may) honours the mode too.
    QImage painted(24, 24, QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    {
        QPainter painter(&painted);
        GlyphIcon(Glyph::Play)
            .paint(&painter, QRect(0, 0, 24, 24), Qt::AlignCenter, QIcon::Disabled);
    }
    const QColor centre = painted.pixelColor(11, 12);
    EXPECT_EQ(centre.red(), centre.green());
    EXPECT_EQ(centre.alpha(), 255);
}

TEST(GlyphsTest, LogoAndApplicationIconRenderAtTheAskedSize) {
    const QPixmap logo = LogoPixmap(QSize(128, 54), 2.0);
    EXPECT_EQ(logo.size(), QSize(256, 108));
    EXPECT_DOUBLE_EQ(logo.devicePixelRatio(), 2.0);
    const QImage logoImage = logo.toImage();
    EXPECT_EQ(Alpha(logoImage, 0, 107), 0) << "transparent background";
    EXPECT_EQ(Alpha(logoImage, 124, 76), 255) << "a waveform bar in the middle";
    EXPECT_TRUE(LogoPixmap(QSize(), 1.0).isNull());

    const QImage icon = ApplicationIcon().pixmap(QSize(32, 32), 1.0).toImage();
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(Alpha(icon, 0, 0), 0) << "rounded corner";
    const QColor background = icon.pixelColor(5, 16);
    EXPECT_EQ(background.alpha(), 255);
    EXPECT_GT(background.blue(), background.red());
    const QColor bar = icon.pixelColor(16, 22);
    EXPECT_GT(bar.green(), 150) << "the waveform's middle bar";
    EXPECT_FALSE(ApplicationIcon().availableSizes().isEmpty()) << "window managers need sizes";
}

} // namespace
} // namespace lumivox
