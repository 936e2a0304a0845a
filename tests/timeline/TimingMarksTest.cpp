// The beats and marks on the timeline: the walk over the columns of a range, which marks a
// change touched, and what the ruler and the lanes draw of them and repaint when they change.
#include "timeline/TimingMarks.h"
#include "editing/TimelineScroll.h"
#include "model/ShowDocument.h"
#include "support/TimelineTestSupport.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"
#include "timeline/TimelineStyle.h"

#include <QApplication>
#include <QPaintEvent>

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace lumivox;
using lumivox::test::Hex;
using lumivox::test::Settle;

namespace {

class PaintRegion : public QObject {
public:
    QRegion Region;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            Region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

TEST(TimingColumns, OneItemPerColumnFromABinarySearchStart) {
    std::vector<double> times;
    times.reserve(20000);
    for (int i = 0; i < 20000; ++i)
        times.push_back(i * 37.25); // about 12 minutes
    for (const int zoom : {1, 8, 13, 15}) {
        const std::int64_t width = ColumnOfMs(times.back(), zoom) + 1;
        for (const auto& [x0, x1] :
             std::vector<std::pair<std::int64_t, std::int64_t>>{{0, width},
                                                                {width / 3, width / 3 + 500},
                                                                {width - 7, width},
                                                                {width, width + 9}}) {
            // What a walk over every item finds: the first item of each column in range.
            std::map<std::int64_t, int> expected;
            for (int i = 0; i < static_cast<int>(times.size()); ++i) {
                const std::int64_t column = ColumnOfMs(times[static_cast<std::size_t>(i)], zoom);
                if (column >= x0 && column < x1)
                    expected.emplace(column, i);
            }
            std::map<std::int64_t, int> visited;
            int reads = 0;
            VisitColumns(
                static_cast<int>(times.size()),
                [&](int i) {
                    ++reads;
                    return times[static_cast<std::size_t>(i)];
                },
                zoom, x0, x1, [&](int i, std::int64_t column) { visited.emplace(column, i); });
            EXPECT_EQ(visited, expected) << zoom << " " << x0;
            // The work follows the columns found, not the items: a binary search per column.
            EXPECT_LE(reads, static_cast<int>(expected.size() + 1) * 32) << zoom << " " << x0;
        }
    }
}

TEST(TimingColumns, ChangedMarksAreThoseThatDifferAtTheirTimes) {
    const TShowMarks before({{100, QStringLiteral("a")},
                             {200, QStringLiteral("b")},
                             {200, QStringLiteral("c")},
                             {500, QStringLiteral("d")}});
    EXPECT_TRUE(ChangedMarkTimes(before, before).empty());
    TShowMarks after = before;
    after.Move(0, 300); // a move: both times
    EXPECT_EQ(ChangedMarkTimes(before, after), (std::vector<int>{100, 300}));
    after = before;
    after.Rename(2, QStringLiteral("C")); // a rename inside a group of two
    EXPECT_EQ(ChangedMarkTimes(before, after), (std::vector<int>{200}));
    after = before;
    after.Remove(3);
    after.Add(0, QString());
    EXPECT_EQ(ChangedMarkTimes(before, after), (std::vector<int>{0, 500}));
    EXPECT_EQ(ChangedMarkTimes(before, TShowMarks()), (std::vector<int>{100, 200, 500}));
}

namespace {

class TimingViews : public ::testing::Test {
protected:
    ShowDocument Doc;
    TWavePeaks Peaks;
    TimelineGeometry Geometry;
    TimelineScroll Scroll;
    TSongBeats Beats;
    std::unique_ptr<LanesView> Lanes;
    std::unique_ptr<RulerView> Ruler;

    void Open(double seconds) {
        Peaks =
            TWavePeaks(static_cast<std::size_t>(seconds * 44100.0 / 128.0) * 3, TPeakPair{0, 0});
        Doc.SlotCount = static_cast<int>(seconds * 10) + 1;
        Doc.AddTrack(Language::English);
        Geometry.SetHorzZoom(TimelineGeometry::MaxHorzZoom);
        Geometry.SetPeakPairCount(static_cast<std::int64_t>(Peaks.size()));
        Lanes = std::make_unique<LanesView>(Doc, Geometry, Scroll);
        Ruler = std::make_unique<RulerView>(Peaks, Geometry, Scroll);
        Ruler->SetTiming(&Doc.Marks(), &Beats);
        QObject::connect(&Doc, &ShowDocument::MarksChanged, Ruler.get(), &RulerView::MarksChanged);
        Lanes->resize(800, 300);
        Ruler->resize(800, TimelineStripHeight);
        Lanes->show();
        Ruler->show();
        Lanes->UpdateContentWidth();
        Lanes->UpdateLanesHeight();
        Ruler->PeaksChanged();
        Settle();
    }
    int X(double ms) const { return static_cast<int>(ColumnOfMs(ms, Geometry.HorzZoom())); }
};

} // namespace

TEST_F(TimingViews, BeatsAreTicksOnTheRulerWithStrongerBarsWhenATempoIsKnown) {
    Open(60);
    for (int i = 0; i < 120; ++i)
        Beats.BeatsMs.push_back(250.0 + i * 500.0);
    Beats.TempoBpm = 120;
    Ruler->BeatsChanged();
    Ruler->ResetPaintStats();
    QImage image = Ruler->grab().toImage();
    const int bar = X(250);   // beat 0: a bar
    const int beat = X(750);  // beat 1
    const int bar2 = X(2250); // beat 4
    EXPECT_EQ(Hex(image.pixelColor(bar, RulerBaselineY - 8)), Hex(BarTickColor));
    EXPECT_EQ(Hex(image.pixelColor(bar2, RulerBaselineY - 1)), Hex(BarTickColor));
    EXPECT_EQ(Hex(image.pixelColor(beat, RulerBaselineY - 1)), Hex(BeatTickColor));
    EXPECT_NE(Hex(image.pixelColor(beat, RulerBaselineY - 6)), Hex(BeatTickColor));
    // Only the beats in view were drawn: 800 pixels at level 15 hold about 2.3 s.
    EXPECT_GT(Ruler->PaintStats().Beats, 3);
    EXPECT_LE(Ruler->PaintStats().Beats, 6);

    // Without a tempo every beat is the same tick.
    Beats.TempoBpm = 0;
    Ruler->BeatsChanged();
    image = Ruler->grab().toImage();
    EXPECT_EQ(Hex(image.pixelColor(bar, RulerBaselineY - 1)), Hex(BeatTickColor));
    EXPECT_NE(Hex(image.pixelColor(bar, RulerBaselineY - 8)), Hex(BarTickColor));
}

TEST_F(TimingViews, MarksAreFlagsOnTheRulerAndLinesOnTheLanesRepaintedWhereTheyChange) {
    Open(60);
    Doc.AddMark(1000, QStringLiteral("Drop"));
    Doc.AddMark(40'000, QStringLiteral("far away"));
    Settle();
    const int x = X(1000);
    QImage ruler = Ruler->grab().toImage();
    EXPECT_EQ(Hex(ruler.pixelColor(x, 2)), Hex(MarkLineColor));
    EXPECT_EQ(Hex(ruler.pixelColor(x, 60)), Hex(MarkLineColor)); // across the waveform
    EXPECT_EQ(Hex(ruler.pixelColor(x + 2, 1)), Hex(MarkFlagColor));
    QImage lanes = Lanes->viewport()->grab().toImage();
    EXPECT_EQ(Hex(lanes.pixelColor(x, 20)), Hex(MarkLineColor));
    EXPECT_NE(Hex(lanes.pixelColor(x + 1, 20)), Hex(MarkLineColor));
    EXPECT_EQ(Ruler->MarkAt(QPoint(x + 5, 5)), 0);
    EXPECT_EQ(Ruler->MarkAt(QPoint(x + 5, 40)), -1); // the flag sits on the ruler's rows
    EXPECT_EQ(Ruler->MarkAt(QPoint(x + RulerView::MaxFlagWidth + 5, 5)), -1);
    EXPECT_EQ(Ruler->MsAtColumn(x), 1000);

    // A new mark repaints its flag and its line, nothing else.
    PaintRegion rulerPaints;
    PaintRegion lanePaints;
    Ruler->installEventFilter(&rulerPaints);
    Lanes->viewport()->installEventFilter(&lanePaints);
    Doc.AddMark(1500, QString());
    Settle();
    const int x2 = X(1500);
    EXPECT_TRUE(QRegion(x2 - 1, 0, RulerView::MaxFlagWidth + 3, Ruler->height())
                    .contains(rulerPaints.Region.boundingRect()));
    EXPECT_EQ(lanePaints.Region.boundingRect(), QRect(x2, 0, 1, Lanes->viewport()->height()));
    ruler = Ruler->grab().toImage();
    lanes = Lanes->viewport()->grab().toImage();
    EXPECT_EQ(Hex(ruler.pixelColor(x2, 30)), Hex(MarkLineColor));
    EXPECT_EQ(Hex(lanes.pixelColor(x2, 30)), Hex(MarkLineColor));

    // Removed: gone from both.
    rulerPaints.Region = {};
    Doc.RemoveMark(0);
    Settle();
    EXPECT_FALSE(rulerPaints.Region.isEmpty());
    EXPECT_NE(Hex(Ruler->grab().toImage().pixelColor(x, 60)), Hex(MarkLineColor));
    EXPECT_NE(Hex(Lanes->viewport()->grab().toImage().pixelColor(x, 20)), Hex(MarkLineColor));
    // The mark far out of view was never drawn.
    Ruler->ResetPaintStats();
    Lanes->ResetPaintStats();
    Ruler->grab();
    Lanes->viewport()->grab();
    EXPECT_EQ(Ruler->PaintStats().Marks, 1);
    EXPECT_EQ(Lanes->PaintStats().Marks, 1);
}
