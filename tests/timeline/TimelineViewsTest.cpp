// The ruler strip and the lanes on the offscreen platform: pixel colours at known points
// (backgrounds, bars, grey lanes, grid over bars, separators, ruler and waveform), the one
// scroll state every area follows, narrow repaints of the markers, paint work that follows
// the exposed rectangle, bulk updates of the show, repaints of exactly what the show
// announces as changed, and mouse input translated for the tools.
#include "editing/TimelineScroll.h"
#include "model/ShowDocument.h"
#include "support/TimelineTestSupport.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/TimelineStyle.h"

#include <QApplication>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace lumivox;
using lumivox::test::Hex;
using lumivox::test::Settle;
using lumivox::test::SilentPeaks;

namespace {

constexpr TColor BarColor = 0x0000C8;  // red 200
constexpr TColor BackColor = 0xDDFFDD; // pale green

std::string At(const QImage& image, int x, int y) {
    return Hex(image.pixelColor(x, y));
}

// Records the rectangles of the paint events a widget receives.
class PaintLog : public QObject {
public:
    std::vector<QRect> Rects;
    QRegion Region; // everything repainted
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            Rects.push_back(static_cast<QPaintEvent*>(event)->rect());
            Region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

// The pixels the window system holds for `widget`, as last flushed.
QImage OnScreen(QWidget& widget) {
    QWidget* window = widget.window();
    const QPoint origin = widget.mapTo(window, QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), origin.x(), origin.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

class TimelineViews : public ::testing::Test {
protected:
    ShowDocument Doc;
    TWavePeaks Peaks;
    TimelineGeometry Geometry;
    TimelineScroll Scroll;
    std::unique_ptr<LanesView> Lanes;
    std::unique_ptr<RulerView> Ruler;

    // A song `seconds` long with `tracks` tracks in the test colours, and both views.
    void Open(double seconds, int tracks, int width = 800, int height = 400) {
        Peaks = SilentPeaks(seconds);
        Geometry.SetPeakPairCount(static_cast<std::int64_t>(Peaks.size()));
        Doc.SlotCount = static_cast<int>(seconds * 10) + 1;
        for (int k = 1; k <= tracks; ++k) {
            const TFullTrack* track = Doc.AddTrack(Language::English);
            Doc.SetColors(k, track->HeaderColor, track->CaptionColor, BarColor, BackColor);
        }
        Lanes = std::make_unique<LanesView>(Doc, Geometry, Scroll);
        Ruler = std::make_unique<RulerView>(Peaks, Geometry, Scroll);
        Lanes->resize(width, height);
        Ruler->resize(width, TimelineStripHeight);
        Lanes->show();
        Ruler->show();
        Refresh();
    }

    void Refresh() {
        Lanes->UpdateContentWidth();
        Lanes->UpdateLanesHeight();
        Ruler->PeaksChanged();
        Lanes->RepaintAll();
        Settle();
    }

    void Set(int track, int slot, std::uint8_t value) {
        ASSERT_TRUE(Doc.SetSlot(track, slot, value));
    }

    QImage LanesImage() { return Lanes->viewport()->grab().toImage(); }
    QImage RulerImage() { return Ruler->grab().toImage(); }
    std::string Window() { return Hex(Lanes->palette().color(QPalette::Window)); }
};

} // namespace

TEST_F(TimelineViews, BarsStandOnTheBottomLineAtLevel13) {
    Open(60, 3);
    Set(1, 1, 255);
    Set(1, 2, 128);
    const QImage image = LanesImage();
    // Slot 1 (pixels 0-8): its bar fills columns 1-8 and rows 0-63 above the bottom line.
    EXPECT_EQ(At(image, 1, 0), Hex(BarColor));
    EXPECT_EQ(At(image, 8, 63), Hex(BarColor));
    EXPECT_EQ(At(image, 4, 64), Hex(SeparatorPenColor));
    // Its first column is the tick line of tick 0, drawn over the lane.
    EXPECT_EQ(At(image, 0, 30), Hex(GridTickColor));
    // Slot 2 (9-16), value 128: 32 rows, 32..63.
    EXPECT_EQ(At(image, 9, 40), Hex(GridTickColor));
    EXPECT_EQ(At(image, 10, 32), Hex(BarColor));
    EXPECT_EQ(At(image, 16, 63), Hex(BarColor));
    EXPECT_EQ(At(image, 13, 31), Hex(BackColor));
    EXPECT_EQ(At(image, 17, 63), Hex(GridTickColor)); // slot 3 starts on tick 2
    EXPECT_EQ(At(image, 18, 63), Hex(BackColor));
    // Track 2 holds nothing.
    EXPECT_EQ(At(image, 4, 73 + 30), Hex(BackColor));
}

TEST_F(TimelineViews, BarHeightsAtTheFlattestAndTallestLanes) {
    Geometry.SetVertZoom(5); // lanes of 25 rows, bottom line at row 16
    Open(60, 2);
    Set(1, 1, 1);
    Set(1, 2, 17);
    Set(2, 1, 255);
    QImage image = LanesImage();
    EXPECT_EQ(At(image, 4, 15), Hex(BarColor)); // value 1: one row
    EXPECT_EQ(At(image, 4, 14), Hex(BackColor));
    EXPECT_EQ(At(image, 12, 14), Hex(BarColor)); // value 17: two rows
    EXPECT_EQ(At(image, 12, 13), Hex(BackColor));
    EXPECT_EQ(At(image, 4, 25), Hex(BarColor)); // 255 reaches track 2's top row
    EXPECT_EQ(At(image, 4, 41), Hex(SeparatorPenColor));

    Geometry.SetVertZoom(1); // rows of 264
    Refresh();
    image = LanesImage();
    EXPECT_EQ(At(image, 4, 254), Hex(BarColor));
    EXPECT_EQ(At(image, 4, 253), Hex(BackColor));
    EXPECT_EQ(At(image, 4, 255), Hex(SeparatorPenColor));
}

TEST_F(TimelineViews, TracksNotHeardAreGreyOnGrey) {
    Open(60, 3);
    for (int k = 1; k <= 3; ++k)
        Set(k, 3, 255);
    Doc.SetMute(2, true);
    QImage image = LanesImage();
    EXPECT_EQ(At(image, 20, 73 + 30), Hex(SilentLaneBarColor));
    EXPECT_EQ(At(image, 30, 73 + 30), Hex(SilentLaneBackColor));
    EXPECT_EQ(At(image, 20, 30), Hex(BarColor));

    // Track 3 soloed: track 1 goes grey too; the muted track 2 stays grey.
    Doc.SetSolo(3, true);
    image = LanesImage();
    EXPECT_EQ(At(image, 20, 30), Hex(SilentLaneBarColor));
    EXPECT_EQ(At(image, 30, 30), Hex(SilentLaneBackColor));
    EXPECT_EQ(At(image, 20, 146 + 30), Hex(BarColor));
    EXPECT_EQ(At(image, 30, 146 + 30), Hex(BackColor));
    // The values are kept.
    std::uint8_t value = 0;
    ASSERT_TRUE(Doc.Track(1).GetValue(3, value));
    EXPECT_EQ(value, 255);
}

TEST_F(TimelineViews, GridLinesRunOverTheBars) {
    Geometry.SetHorzZoom(10); // slots of 1.08 pixels, ticks of 10.77
    Open(60, 1);
    for (int slot = 1; slot <= 200; ++slot)
        Set(1, slot, 255);
    const QImage image = LanesImage();
    EXPECT_EQ(At(image, 11, 30), Hex(GridTickColor));      // tick 1 over a bar
    EXPECT_EQ(At(image, 12, 30), Hex(BarColor));           // a one-pixel slot
    EXPECT_EQ(At(image, 108, 30), Hex(GridLabelledColor)); // tick 10 carries a label
    // The separator band is painted after the grid.
    EXPECT_EQ(At(image, 11, 68), Hex(SeparatorFillColor));
}

TEST_F(TimelineViews, SeparatorBandAndTheEndOfTheContent) {
    Open(5, 3); // 430 pixels at level 13
    const QImage image = LanesImage();
    EXPECT_EQ(At(image, 100, 64), Hex(SeparatorPenColor));
    for (int y = 65; y <= 71; ++y)
        EXPECT_EQ(At(image, 100, y), Hex(SeparatorFillColor)) << y;
    EXPECT_EQ(At(image, 100, 72), Hex(SeparatorPenColor));
    EXPECT_EQ(At(image, 0, 68), Hex(SeparatorPenColor));   // left edge of the band
    EXPECT_EQ(At(image, 429, 68), Hex(SeparatorPenColor)); // right edge
    EXPECT_EQ(At(image, 429, 30), Hex(GridLabelledColor)); // closing line of the grid
    EXPECT_EQ(At(image, 430, 30), Window());
    EXPECT_EQ(At(image, 100, 3 * 73), Window()); // under the last track
}

TEST_F(TimelineViews, NothingButBackgroundWithoutASong) {
    Lanes = std::make_unique<LanesView>(Doc, Geometry, Scroll);
    Ruler = std::make_unique<RulerView>(Peaks, Geometry, Scroll);
    Doc.AddTrack(Language::English);
    Lanes->resize(300, 200);
    Ruler->resize(300, TimelineStripHeight);
    Refresh();
    EXPECT_EQ(Scroll.ContentWidth(), 0);
    EXPECT_EQ(At(LanesImage(), 10, 10), Window());
    const QImage ruler = RulerImage();
    EXPECT_EQ(At(ruler, 10, 5), Hex(TimelineStripColor));
    EXPECT_EQ(At(ruler, 10, 50), Hex(TimelineStripColor));
    EXPECT_FALSE(Ruler->PlayCursor()->isVisible());
    EXPECT_EQ(Lanes->HitAt(QPoint(0, 0)).Track, -1);
}

TEST_F(TimelineViews, RulerGridAndWaveform) {
    // Column 0 at level 13 gathers groups 0-3; a left maximum of 80 rises 10 rows.
    Open(60, 1);
    Peaks[1] = {80, 0};
    Peaks[3 * 8 + 2] = {0, -40}; // column 2: the right channel dips 5 rows
    Ruler->PeaksChanged();
    Ruler->SetMarkersVisible(false);
    const QImage image = RulerImage();
    const std::string button = Hex(Ruler->palette().color(QPalette::Button));
    // Tick 0 carries no label: the ruler is bare up to the first label on tick 10 (x 86).
    for (int x = 0; x < 80; ++x)
        for (int y = 0; y < RulerBaselineY; ++y)
            ASSERT_EQ(At(image, x, y), button) << x << "," << y;
    bool labelled = false;
    for (int x = 86; x < 140 && !labelled; ++x)
        for (int y = 0; y < RulerBaselineY; ++y)
            labelled = labelled || At(image, x, y) != button;
    EXPECT_TRUE(labelled);
    EXPECT_EQ(At(image, 40, RulerBaselineY), Hex(RulerPenColor));
    // Grid behind the waveform.
    EXPECT_EQ(At(image, 5, 50), Hex(GridBackColor));
    EXPECT_EQ(At(image, 9, 20), Hex(GridTickColor));
    EXPECT_EQ(At(image, 86, 20), Hex(GridLabelledColor));
    // Waveform: centre lines at rows 32 and 70, the left peak up to row 22, the right dip
    // down to row 75.
    EXPECT_EQ(At(image, 50, 32), Hex(WaveformColor));
    EXPECT_EQ(At(image, 50, 70), Hex(WaveformColor));
    EXPECT_EQ(At(image, 0, 22), Hex(WaveformColor));
    EXPECT_EQ(At(image, 0, 21), Hex(GridTickColor));
    EXPECT_EQ(At(image, 2, 75), Hex(WaveformColor));
    EXPECT_EQ(At(image, 2, 76), Hex(GridBackColor));
}

TEST_F(TimelineViews, EveryAreaFollowsTheOneScrollState) {
    Open(60, 4, 800, 200);
    Set(1, 106, 255); // slot 106: pixels 904-912
    Scroll.SetHorizontalOffset(900);
    Settle();
    EXPECT_EQ(Lanes->horizontalScrollBar()->value(), 900);
    QImage lanes = LanesImage();
    EXPECT_EQ(At(lanes, 4, 30), Hex(GridTickColor)); // tick 105 at 904
    EXPECT_EQ(At(lanes, 5, 30), Hex(BarColor));
    EXPECT_EQ(At(lanes, 12, 30), Hex(BarColor));
    EXPECT_EQ(At(lanes, 13, 30), Hex(GridTickColor)); // tick 106 at 913
    QImage ruler = RulerImage();
    EXPECT_EQ(At(ruler, 4, 20), Hex(GridTickColor));
    EXPECT_EQ(At(ruler, 47, 20), Hex(GridLabelledColor)); // tick 110 at 947

    // Moving the lanes' own scroll bars moves the shared state and so the strip.
    Lanes->horizontalScrollBar()->setValue(1200);
    Lanes->verticalScrollBar()->setValue(73);
    Settle();
    EXPECT_EQ(Scroll.HorizontalOffset(), 1200);
    EXPECT_EQ(Scroll.VerticalOffset(), 73);
    ruler = RulerImage();
    EXPECT_EQ(At(ruler, 1206 - 1200, 20), Hex(GridLabelledColor)); // tick 140 at 1206
}

TEST_F(TimelineViews, ScrollingRepaintsOnlyTheUncoveredStrip) {
    Open(60, 4, 800, 200);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Lanes.get()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Ruler.get()));
    Ruler->SetPlayCursorX(100);
    Settle();
    PaintLog log;
    Lanes->viewport()->installEventFilter(&log);
    Scroll.SetHorizontalOffset(30);
    Settle();
    ASSERT_FALSE(log.Rects.empty());
    for (const QRect& rect : log.Rects)
        EXPECT_LE(rect.width(), 30) << rect.x() << "," << rect.width();
    // What the screens show after the blits equals a fresh paint of the whole areas.
    EXPECT_TRUE(OnScreen(*Lanes->viewport()) == LanesImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(OnScreen(*Ruler) == RulerImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(TimelineViews, MarkersMoveWithNarrowRepaints) {
    Open(60, 1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Ruler.get()));
    Ruler->SetPlayCursorX(200);
    Ruler->SetCueX(150);
    Settle();
    EXPECT_TRUE(Ruler->PlayCursor()->isVisible());
    EXPECT_EQ(Ruler->PlayCursor()->geometry(), QRect(200, 0, 1, TimelineStripHeight));
    EXPECT_EQ(Ruler->CueMarker()->geometry().x(), 150);
    EXPECT_EQ(At(RulerImage(), 200, 50), Hex(PlayCursorColor));

    PaintLog log;
    Ruler->installEventFilter(&log);
    Ruler->SetPlayCursorX(201);
    Settle();
    ASSERT_FALSE(log.Rects.empty());
    for (const QRect& rect : log.Rects)
        EXPECT_LE(rect.width(), 2);

    // Markers follow the scroll offset, and leave the strip when out of view.
    Scroll.SetHorizontalOffset(100);
    Settle();
    EXPECT_EQ(Ruler->PlayCursor()->geometry().x(), 101);
    EXPECT_EQ(Ruler->CueMarker()->geometry().x(), 50);
    Scroll.SetHorizontalOffset(160);
    Settle();
    EXPECT_FALSE(Ruler->CueMarker()->isVisible());
    Ruler->SetCueColor(ToQColor(clSilver));
    Scroll.SetHorizontalOffset(0);
    Settle();
    EXPECT_EQ(At(RulerImage(), 150, 50), Hex(clSilver));
    Ruler->SetMarkersVisible(false);
    EXPECT_FALSE(Ruler->PlayCursor()->isVisible());
}

TEST_F(TimelineViews, ThePlayCursorCrossesTheLanesAndMovesWithNarrowRepaints) {
    Open(60, 3, 800, 400);
    Set(1, 24, 255); // slot 24: its bar fills columns 199-206
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Lanes.get()));
    EXPECT_EQ(At(LanesImage(), 200, 30), Hex(BarColor)) << "no cursor until it is placed";
    Lanes->SetPlayCursorX(200);
    Settle();
    QImage image = LanesImage();
    const std::string red = Hex(PlayCursorColor);
    // Over every lane, bar and separator, down to the last track's last row.
    for (const int y : {0, 30, 64, 68, 100, 3 * 73 - 1})
        EXPECT_EQ(At(image, 200, y), red) << y;
    EXPECT_EQ(At(image, 199, 30), Hex(BarColor));
    EXPECT_EQ(At(image, 201, 30), Hex(BarColor));
    EXPECT_EQ(At(image, 200, 3 * 73 + 5), Window()) << "nothing below the tracks";

    // A move repaints the old line's column and the new one's, nothing between.
    PaintLog log;
    Lanes->viewport()->installEventFilter(&log);
    Lanes->SetPlayCursorX(600);
    Settle();
    const int height = Lanes->viewport()->height();
    EXPECT_EQ(log.Region, QRegion(200, 0, 1, height) + QRegion(600, 0, 1, height));
    image = LanesImage();
    EXPECT_EQ(At(image, 200, 30), Hex(BarColor));
    EXPECT_EQ(At(image, 600, 30), red);
    EXPECT_TRUE(OnScreen(*Lanes->viewport()) == image.convertToFormat(QImage::Format_RGB32));
    // Placing it where it is repaints nothing.
    log.Region = QRegion();
    Lanes->SetPlayCursorX(600);
    Settle();
    EXPECT_TRUE(log.Region.isEmpty());

    // It scrolls with the content, and at the song's end stands on the last column.
    Scroll.SetHorizontalOffset(100);
    Settle();
    EXPECT_EQ(At(LanesImage(), 500, 30), red);
    Lanes->SetPlayCursorX(Scroll.ContentWidth());
    Scroll.SetHorizontalOffset(Scroll.MaxHorizontalOffset());
    Settle();
    EXPECT_EQ(At(LanesImage(),
                 static_cast<int>(Scroll.ContentWidth() - 1 - Scroll.HorizontalOffset()), 30),
              red);
    EXPECT_TRUE(OnScreen(*Lanes->viewport()) == LanesImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(TimelineViews, PaintWorkFollowsTheExposedRectangleNotTheSong) {
    // Level 15 on a 60-minute song is 1.24 million pixels wide; a 6-minute song must cost
    // a paint the same work.
    Geometry.SetHorzZoom(15);
    auto measure = [&](double seconds) {
        Doc.RemoveAllTracks();
        Open(seconds, 6, 800, 400);
        for (int k = 1; k <= 6; ++k)
            for (int slot = 1; slot < Doc.SlotCount; slot += 3)
                Set(k, slot, static_cast<std::uint8_t>(slot % 251 + 1));
        Scroll.SetHorizontalOffset(Scroll.ContentWidth() / 2);
        Settle();
        Lanes->ResetPaintStats();
        Ruler->ResetPaintStats();
        LanesImage();
        RulerImage();
        return std::pair(Lanes->PaintStats(), Ruler->PaintStats());
    };
    const auto [longLanes, longRuler] = measure(3600);
    EXPECT_EQ(Scroll.ContentWidth(), 1240312);
    const auto [shortLanes, shortRuler] = measure(360);
    EXPECT_EQ(longLanes.Paints, 1);
    EXPECT_EQ(longLanes.Columns, shortLanes.Columns);
    EXPECT_LE(longLanes.Columns, 800 / 34 + 3);
    // The offsets differ, so a tick may fall on either side of the edge.
    EXPECT_LE(std::abs(longLanes.Ticks - shortLanes.Ticks), 1);
    EXPECT_LE(longLanes.Ticks, 800 / 34 + 2);
    EXPECT_EQ(longLanes.Tracks, 6);
    EXPECT_EQ(longRuler.WaveColumns, shortRuler.WaveColumns);
    EXPECT_LE(longRuler.WaveColumns, 800 + 2);
    EXPECT_LE(longRuler.Labels, 800 / 34 / 5 + 3);
}

TEST_F(TimelineViews, PaintingIsSkippedDuringABulkUpdate) {
    Open(60, 3);
    Set(1, 1, 255);
    Scroll.ScrollTo(300, 50);
    Doc.BeginBulkUpdate();
    Doc.BeginBulkUpdate();
    EXPECT_FALSE(Lanes->LanesPaintEnabled());
    Lanes->ResetPaintStats();
    QImage image = LanesImage();
    EXPECT_EQ(Lanes->PaintStats().Tracks, 0);
    EXPECT_EQ(At(image, 4, 30), Window());
    Doc.AddTrack(Language::English); // the height follows at the end
    Doc.EndBulkUpdate();
    EXPECT_FALSE(Lanes->LanesPaintEnabled());
    EXPECT_EQ(Scroll.HorizontalOffset(), 300);
    // The outermost end paints again where the view was: the offsets stay.
    Doc.EndBulkUpdate();
    EXPECT_TRUE(Lanes->LanesPaintEnabled());
    EXPECT_EQ(Scroll.HorizontalOffset(), 300);
    EXPECT_EQ(Scroll.VerticalOffset(), 0); // the four rows fit in the view
    EXPECT_EQ(Scroll.ContentHeight(), 4 * 73);
    Scroll.ScrollTo(0, 0);
    image = LanesImage();
    EXPECT_EQ(At(image, 4, 30), Hex(BarColor));
    Doc.EndBulkUpdate(); // unbalanced: ignored
    EXPECT_TRUE(Lanes->LanesPaintEnabled());
}

TEST_F(TimelineViews, MouseInputArrivesTranslated) {
    Open(60, 6, 800, 200);
    QSignalSpy pressed(Lanes.get(), &LanesView::MousePressed);
    QSignalSpy moved(Lanes.get(), &LanesView::MouseMoved);
    QSignalSpy released(Lanes.get(), &LanesView::MouseReleased);

    QTest::mousePress(Lanes->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(13, 63));
    ASSERT_EQ(pressed.count(), 1);
    auto hit = pressed.at(0).at(0).value<TLanesHit>();
    EXPECT_EQ(hit.Track, 1);
    EXPECT_EQ(hit.Cell, 2);
    EXPECT_EQ(hit.Slots, (TSlotRange{2, 2}));
    EXPECT_EQ(hit.CellPixels, (TPixelSpan{9, 17}));
    EXPECT_EQ(hit.Value, 4);
    EXPECT_EQ(hit.Button, Qt::LeftButton);
    EXPECT_EQ(hit.Modifiers, Qt::ControlModifier);
    EXPECT_EQ(hit.GlobalPos, Lanes->viewport()->mapToGlobal(QPoint(13, 63)));

    // Scrolled: viewport (5, 10) is content (905, 83), track 2's lane, cell 106.
    Scroll.ScrollTo(900, 73);
    QTest::mouseMove(Lanes->viewport(), QPoint(5, 10));
    ASSERT_GE(moved.count(), 1);
    hit = moved.last().at(0).value<TLanesHit>();
    EXPECT_EQ(hit.ContentX, 905);
    EXPECT_EQ(hit.ContentY, 83);
    EXPECT_EQ(hit.Track, 2);
    EXPECT_EQ(hit.Cell, 106);
    EXPECT_EQ(hit.Value, (137 - 83) * 4);

    QTest::mouseRelease(Lanes->viewport(), Qt::LeftButton, {}, QPoint(5, 70));
    ASSERT_EQ(released.count(), 1);
    hit = released.at(0).at(0).value<TLanesHit>();
    EXPECT_EQ(hit.Track, -1); // content y 143: track 2's separator band
    EXPECT_EQ(hit.Value, -1);
    EXPECT_EQ(Lanes->ValueAtY(64), 0); // content y 137 is track 2's bottom line
    EXPECT_EQ(Lanes->ValueAtY(0), 255);
}

TEST_F(TimelineViews, RepaintsOfSlotsAndCellsStayInTheirColumns) {
    Open(60, 3, 800, 400);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Lanes.get()));
    Settle();
    PaintLog log;
    Lanes->viewport()->installEventFilter(&log);
    // A slot written in the show repaints that slot's columns of its lane, nothing more.
    Set(2, 2, 200);
    Settle();
    ASSERT_EQ(log.Rects.size(), 1u);
    EXPECT_EQ(log.Rects[0], QRect(9, 73, 8, 73));
    EXPECT_EQ(At(LanesImage(), 12, 73 + 20), Hex(BarColor));

    log.Rects.clear();
    Geometry.SetHorzZoom(12); // cells of 5 slots
    Lanes->RepaintCell(1, 2);
    Settle();
    ASSERT_EQ(log.Rects.size(), 1u);
    EXPECT_EQ(log.Rects[0].x(), 22) << log.Rects[0].width();
    EXPECT_EQ(log.Rects[0], QRect(22, 0, 21, 73)); // slots 6-10: pixels 22-42

    // The same cell written by the show: the same span.
    log.Rects.clear();
    Doc.FillSlots(1, 6, 10, 90);
    Settle();
    ASSERT_EQ(log.Rects.size(), 1u);
    EXPECT_EQ(log.Rects[0], QRect(22, 0, 21, 73));
}

TEST_F(TimelineViews, HeaderFieldsRepaintTheirLaneAndSoloRepaintsAll) {
    Open(60, 4, 800, 400);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Lanes.get()));
    Settle();
    PaintLog log;
    Lanes->viewport()->installEventFilter(&log);
    Doc.SetMute(3, true);
    Settle();
    ASSERT_EQ(log.Rects.size(), 1u);
    EXPECT_EQ(log.Rects[0], QRect(0, 146, 800, 73)) << "track 3's row";
    log.Rects.clear();
    Doc.SetCaption(3, QStringLiteral("no lane change"));
    Settle();
    EXPECT_TRUE(log.Rects.empty());
    Doc.SetSolo(1, true); // every other lane turns grey
    Settle();
    ASSERT_FALSE(log.Rects.empty());
    EXPECT_EQ(log.Rects.back(), Lanes->viewport()->rect());
    // Removing track 2 repaints at least from its row down, and shortens the content.
    log.Rects.clear();
    Doc.RemoveTrack(2);
    Settle();
    QRect painted;
    for (const QRect& rect : log.Rects)
        painted |= rect;
    EXPECT_TRUE(painted.contains(QRect(0, 73, 800, 400 - 73)));
    EXPECT_EQ(Scroll.ContentHeight(), 3 * 73);
}

TEST_F(TimelineViews, ContentSizeFollowsZoomAndTracks) {
    Open(60, 3);
    EXPECT_EQ(Scroll.ContentWidth(), 5167);
    EXPECT_EQ(Scroll.ContentHeight(), 3 * 73);
    Geometry.ZoomHorizontal(true);
    Geometry.ZoomVertical(true);
    Lanes->UpdateContentWidth();
    Lanes->UpdateLanesHeight();
    Settle();
    EXPECT_EQ(Scroll.ContentWidth(), 10335);
    EXPECT_EQ(Scroll.ContentHeight(), 3 * 137);
    EXPECT_EQ(Lanes->horizontalScrollBar()->maximum(), 10335 - Lanes->viewport()->width());
}

namespace {

TEST_F(TimelineViews, TheSelectionBandTintsItsCellsAndRepaintsOnlyWhatItsMovesChange) {
    Open(60, 4);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Lanes.get()));
    Set(2, 12, 255);
    const QImage plain = LanesImage();
    Lanes->SetSelectionBand({2, 3, 10, 20}); // slots 10..20: x 78 .. 172 at level 13
    Settle();
    const QImage banded = LanesImage();
    const int inside = static_cast<int>(14.5 * 8.6133);
    const int lane2 = static_cast<int>(Geometry.LaneRow(2).Top) + 20;
    const int lane3 = static_cast<int>(Geometry.LaneRow(3).Top) + 20;
    EXPECT_NE(At(banded, inside, lane2), At(plain, inside, lane2));
    EXPECT_NE(At(banded, inside, lane3), At(plain, inside, lane3));
    // The tint lets the bars show through: a red bar stays far from the pale background.
    const QColor bar = banded.pixelColor(static_cast<int>(11.5 * 8.6133), lane2 + 20);
    EXPECT_LT(bar.green(), 64);
    EXPECT_GT(banded.pixelColor(inside, lane2).green(), 192);
    EXPECT_EQ(At(banded, inside, 20), At(plain, inside, 20)) << "track 1 is outside";
    EXPECT_EQ(At(banded, 300, lane2), At(plain, 300, lane2));

    // Growing by one slot repaints a strip of that slot and the edges, not the band.
    PaintLog log;
    Lanes->viewport()->installEventFilter(&log);
    Lanes->SetSelectionBand({2, 3, 10, 21});
    Settle();
    ASSERT_FALSE(log.Rects.empty());
    for (const QRect& rect : log.Rects)
        EXPECT_LE(rect.width(), 12) << rect.x() << "," << rect.width();
    EXPECT_NE(At(LanesImage(), static_cast<int>(20.5 * 8.6133), lane2),
              At(plain, static_cast<int>(20.5 * 8.6133), lane2));

    // Cleared, the lanes are as before.
    Lanes->SetSelectionBand({});
    Settle();
    EXPECT_EQ(LanesImage(), plain);
}

} // namespace
