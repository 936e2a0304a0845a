// Tests of the tool cursors: each is its own picture with a dark outline and a light halo
// (so it shows on light lanes and dark bars), edits at an opaque hot spot at the tip, and
// the default cursor is the arrow.
#include "timeline/ToolCursors.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QImage>

namespace lumivox {
namespace {

TEST(EditingToolsCursors, EachToolCursorIsAnOutlinedShapeWithItsHotSpotAtTheTip) {
    QList<QImage> pictures;
    for (TToolCursor tool : {TToolCursor::Draw, TToolCursor::Rubber, TToolCursor::DrawValue}) {
        const QImage image = ToolCursorPixmap(tool).toImage();
        ASSERT_EQ(image.size(), QSize(ToolCursorSize, ToolCursorSize));
        const QPoint hot = ToolCursorHotSpot(tool);
        EXPECT_EQ(image.pixelColor(hot).alpha(), 255) << "the pixel that edits is visible";
        EXPECT_EQ(ToolCursor(tool).hotSpot(), hot);
        int clear = 0, light = 0, dark = 0, belowTip = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                clear += c.alpha() == 0;
                light += c.alpha() >= 192 && c.lightness() >= 220;
                dark += c.alpha() >= 192 && c.lightness() < 100;
                belowTip += c.alpha() > 0 && y > hot.y() + 1;
            }
        EXPECT_GT(clear, image.width() * image.height() / 3) << "a shape, not a block";
        EXPECT_GT(light, 20);
        EXPECT_GT(dark, 20);
        EXPECT_EQ(belowTip, 0) << "the hot spot is the lowest point";
        EXPECT_FALSE(pictures.contains(image));
        pictures << image;
    }
    EXPECT_EQ(ToolCursor(TToolCursor::Default).shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace lumivox
