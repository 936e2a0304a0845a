// Tests of the progress window: the gauge's clamping, its immediate repaint only on a change,
// its text and colours, and the window's geometry and showing.
#include "dialogs/ProgressWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

namespace lumivox {
namespace {

const QColor kNavy(0x00, 0x00, 0x80);

class PaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++Paints;
        }
        return false;
    }
};

class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetText(QStringLiteral("Saving tracks..."));
        form.ShowProgress();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
        form.Gauge1()->installEventFilter(&counter);
    }

    TForm4 form;
    PaintCounter counter;
};

TEST_F(ProgressWindowTest, GaugeClampsToZeroToHundred) {
    form.SetGauge(140);
    EXPECT_EQ(form.Gauge(), 100);
    EXPECT_EQ(form.Gauge1()->ProgressText(), QStringLiteral("100%"));
    form.SetGauge(-7);
    EXPECT_EQ(form.Gauge(), 0);
    EXPECT_EQ(form.Gauge1()->ProgressText(), QStringLiteral("0%"));
    form.SetGauge(40);
    EXPECT_EQ(form.Gauge1()->ProgressText(), QStringLiteral("40%"));
}

TEST_F(ProgressWindowTest, RepaintsAtOnceOnlyWhenThePercentageChanges) {
    form.SetGauge(40);
    EXPECT_EQ(counter.Paints, 1) << "painted without returning to the event loop";
    form.SetGauge(40);
    EXPECT_EQ(counter.Paints, 1);
    form.SetGauge(100);
    form.SetGauge(250); // clamps to the 100 already shown
    EXPECT_EQ(counter.Paints, 2);
    form.SetGauge(0);
    form.SetGauge(-1);
    EXPECT_EQ(counter.Paints, 3);
}

TEST_F(ProgressWindowTest, BarIsNavyUpToTheValueAndTextContrastsOnBothParts) {
    form.SetGauge(50);
    const QImage image = form.Gauge1()->grab().toImage();
    const int scale = qRound(image.devicePixelRatio());
    const int middle = image.height() / 2;
    EXPECT_EQ(image.pixelColor(4 * scale, middle), kNavy);
    EXPECT_EQ(image.pixelColor(188 * scale, middle), QColor(Qt::white));

    // The text straddles the end of the bar: light pixels inside the navy part and dark
    // pixels inside the white part, on the rows the text covers.
    const int barEnd = (1 + 191 * 50 / 100) * scale;
    int lightOnNavy = 0;
    int darkOnWhite = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = barEnd - 30 * scale; x < barEnd + 30 * scale; ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (x < barEnd - scale && colour.lightness() > 128) {
                ++lightOnNavy;
            }
            if (x > barEnd + scale && colour.lightness() < 128 && y > scale &&
                y < image.height() - scale) {
                ++darkOnWhite;
            }
        }
    }
    EXPECT_GT(lightOnNavy, 5);
    EXPECT_GT(darkOnWhite, 5);
}

TEST_F(ProgressWindowTest, WindowLayoutAndShowing) {
    EXPECT_EQ(form.size(), QSize(226, 58));
    EXPECT_EQ(form.findChild<TGauge*>(QStringLiteral("Gauge1")), form.Gauge1());
    EXPECT_EQ(form.Gauge1()->geometry(), QRect(16, 16, 193, 25));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Saving tracks..."));

    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 2);

    form.CloseProgress();
    EXPECT_FALSE(form.isVisible());
    form.SetGauge(30); // a hidden gauge still takes its value
    EXPECT_EQ(form.Gauge(), 30);
}

} // namespace
} // namespace lumivox
