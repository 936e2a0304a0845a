// Painting the timeline: a full repaint of a 1920 x 1080 lanes view holding 255 tracks of a
// one-hour song at levels 15 and 1 (and, for reference, the densest level 10 with the
// flattest lanes), and the 1920-pixel waveform strip of a 13,107-second song at levels 1
// and 15, each against filling the same area with one colour in the same run; a move of the
// play cursor's line across those lanes against a full update of the same view, both through
// the window system's repaint; and the lanes repainted for each move of a selection drag over
// all 255 tracks, against a full repaint of the same view through the same event loop.
#include "BenchSupport.h"
#include "BenchWaveform.h"

#include "editing/TimelineScroll.h"
#include "model/ShowDocument.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>

namespace {

using namespace lumivox;

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;

// 255 tracks over one hour, each holding a mix of ramps, blocks and gaps; one muted.
struct HourShow {
    ShowDocument Doc;
    TWavePeaks Peaks = lumivox::bench::MakeBenchPeaks(3600);
    HourShow() {
        Doc.SlotCount = 3600 * 10 + 1;
        for (int k = 0; k < MaxTracks; ++k)
            Doc.AddTrack(Language::English);
        {
            TBulkUpdate filling(Doc);
            for (int k = 1; k <= MaxTracks; ++k)
                for (int slot = 1; slot < Doc.SlotCount; ++slot)
                    filling.Track(k).SetValue(
                        slot,
                        static_cast<std::uint8_t>((slot / 7 + k) % 3 == 0 ? 0 : (slot * k) % 256));
        }
        Doc.SetMute(3, true);
    }
};

HourShow& Show() {
    static HourShow show;
    return show;
}

const TWavePeaks& LongestSong() {
    static const TWavePeaks peaks = lumivox::bench::MakeBenchPeaks(13107);
    return peaks;
}

// Renders `widget` into `image` as a full repaint of its area.
void Render(QWidget& widget, QImage& image) {
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
}

// The anchor: a widget that fills itself with one colour.
class FlatView : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0xDD, 0xFF, 0xDD));
    }
};

void RenderFlat(benchmark::State& state, int width, int height) {
    FlatView view;
    view.resize(width, height);
    QImage image(width, height, QImage::Format_RGB32);
    for (auto _ : state) {
        Render(view, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_FillLanesView(benchmark::State& state) {
    RenderFlat(state, ViewWidth, ViewHeight);
}

void BM_FillWaveformStrip(benchmark::State& state) {
    RenderFlat(state, ViewWidth, TimelineStripHeight);
}

// Level in the first argument, vertical level in the second.
void BM_LanesRepaint(benchmark::State& state) {
    HourShow& show = Show();
    TimelineGeometry geometry;
    geometry.SetHorzZoom(static_cast<int>(state.range(0)));
    geometry.SetVertZoom(static_cast<int>(state.range(1)));
    geometry.SetPeakPairCount(static_cast<std::int64_t>(show.Peaks.size()));
    TimelineScroll scroll;
    LanesView view(show.Doc, geometry, scroll);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.resize(ViewWidth, ViewHeight);
    view.show();
    view.UpdateContentWidth();
    view.UpdateLanesHeight();
    // Somewhere in the middle of the show.
    scroll.ScrollTo(scroll.ContentWidth() / 2, scroll.ContentHeight() / 2);
    QImage image(ViewWidth, ViewHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        Render(*view.viewport(), image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["bars"] =
        static_cast<double>(view.PaintStats().Bars) /
        static_cast<double>(std::max<std::int64_t>(view.PaintStats().Paints, 1));
}

void BM_WaveformStrip(benchmark::State& state) {
    const TWavePeaks& peaks = LongestSong();
    TimelineGeometry geometry;
    geometry.SetHorzZoom(static_cast<int>(state.range(0)));
    TimelineScroll scroll;
    RulerView view(peaks, geometry, scroll);
    view.resize(ViewWidth, TimelineStripHeight);
    view.show();
    scroll.SetViewSize(ViewWidth, ViewHeight);
    geometry.SetPeakPairCount(static_cast<std::int64_t>(peaks.size()));
    scroll.SetContentWidth(geometry.ContentWidth());
    scroll.SetHorizontalOffset(scroll.ContentWidth() / 2);
    QImage image(ViewWidth, TimelineStripHeight, QImage::Format_RGB32);
    Render(view, image); // reduces the waveform for this level once
    for (auto _ : state) {
        Render(view, image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The lanes of the hour show at level 13 in its middle, shown on screen, their paints run by
// the event loop as on screen: for the cursor and selection benchmarks.
struct ShownLanes {
    TimelineGeometry Geometry;
    TimelineScroll Scroll;
    LanesView View;
    ShownLanes() : View(Show().Doc, Geometry, Scroll) {
        Geometry.SetPeakPairCount(static_cast<std::int64_t>(Show().Peaks.size()));
        View.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        View.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        View.resize(ViewWidth, ViewHeight);
        View.show();
        View.UpdateContentWidth();
        View.UpdateLanesHeight();
        Scroll.ScrollTo(Scroll.ContentWidth() / 2, Scroll.ContentHeight() / 2);
        View.SetPlayCursorX(Scroll.HorizontalOffset() + 100);
        QApplication::processEvents();
    }
    // Runs the paints the last changes asked for.
    static void Flush() { QApplication::processEvents(); }
};

// One 10 ms tick's move of the cursor (a pixel or so at level 13) and its repaint.
void BM_CursorMove(benchmark::State& state) {
    ShownLanes lanes;
    const std::int64_t left = lanes.Scroll.HorizontalOffset() + 100;
    std::int64_t step = 0;
    lanes.View.ResetPaintStats();
    for (auto _ : state) {
        lanes.View.SetPlayCursorX(left + (++step % 1000));
        QApplication::processEvents();
    }
    state.counters["tracks/paint"] =
        static_cast<double>(lanes.View.PaintStats().Tracks) /
        static_cast<double>(std::max<std::int64_t>(lanes.View.PaintStats().Paints, 1));
}

// The anchor: the whole view updated and repainted the same way.
void BM_LanesFullUpdate(benchmark::State& state) {
    ShownLanes lanes;
    for (auto _ : state) {
        lanes.View.RepaintAll();
        QApplication::processEvents();
    }
}

// Each move of a drag over all 255 tracks: the band's right edge one slot further, then
// back, and what that repaints.
void BM_SelectionDragMove(benchmark::State& state) {
    ShownLanes lanes;
    const int first = lanes.View.SelectionCornerAt(QPoint(100, 0)).Slot;
    const int last = lanes.View.SelectionCornerAt(QPoint(ViewWidth / 2, 0)).Slot;
    TRangeSelection range{1, MaxTracks, first, last};
    lanes.View.SetSelectionBand(range);
    ShownLanes::Flush();
    lanes.View.ResetPaintStats();
    int step = 1;
    for (auto _ : state) {
        range.LastSlot += step;
        step = -step;
        lanes.View.SetSelectionBand(range);
        ShownLanes::Flush();
    }
    state.counters["paints"] = static_cast<double>(lanes.View.PaintStats().Paints) /
                               static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
}

// Reducing the longest song for level 1 the first time it is shown.
void BM_WaveformReduceLevel1(benchmark::State& state) {
    const TWavePeaks& peaks = LongestSong();
    WaveformColumns columns;
    for (auto _ : state) {
        columns.Invalidate();
        benchmark::DoNotOptimize(columns.At(peaks, 1, 0));
    }
}

void Options(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->MinTime(0.5);
}

BENCHMARK(BM_FillLanesView)->Apply(Options);
BENCHMARK(BM_LanesRepaint)->Args({15, 3})->Args({1, 3})->Args({10, 5})->Apply(Options);
BENCHMARK(BM_FillWaveformStrip)->Apply(Options);
BENCHMARK(BM_WaveformStrip)->Arg(1)->Arg(15)->Apply(Options);
BENCHMARK(BM_LanesFullUpdate)->Apply(Options);
BENCHMARK(BM_CursorMove)->Apply(Options);
BENCHMARK(BM_SelectionDragMove)->Apply(Options);
BENCHMARK(BM_WaveformReduceLevel1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_LanesRepaint/15/3", "BM_FillLanesView",
          "lanes 1920x1080, 255 tracks, 1 h, level 15: <= 8 ms median"},
         {"BM_LanesRepaint/1/3", "BM_FillLanesView", "same at level 1: <= 8 ms median"},
         {"BM_LanesRepaint/10/5", "BM_FillLanesView", "densest: level 10, flattest lanes (info)"},
         {"BM_SelectionDragMove", "BM_LanesFullUpdate",
          "lanes repaint per selection drag move, 255 tracks: <= 8 ms median"},
         {"BM_WaveformStrip/1", "BM_FillWaveformStrip",
          "waveform strip, 13,107 s song, level 1: <= 8 ms"},
         {"BM_WaveformStrip/15", "BM_FillWaveformStrip", "same at level 15: <= 8 ms"},
         {"BM_CursorMove", "BM_LanesFullUpdate",
          "play cursor move over 1920x1080, 255 tracks: <= 5% of a full update"},
         {"BM_WaveformReduceLevel1", "", "first reduction of that song for level 1 (once)"}});
}
