// Painting the beats and marks: a full repaint of the 1920-pixel ruler strip and of a 1920 x
// 1080 lanes view of 255 tracks over a one-hour song, holding the 7,200 beats of that song at
// 120 BPM and 2,000 named marks, at level 15 (the finest) and at level 1 (where every mark and
// beat falls in view), each against the same repaint without beats or marks in the same run.
#include "BenchSupport.h"
#include "BenchWaveform.h"

#include "editing/TimelineScroll.h"
#include "model/ShowDocument.h"
#include "timeline/LanesView.h"
#include "timeline/RulerView.h"

#include <QApplication>
#include <QImage>

#include <memory>

namespace {

using namespace lumivox;

constexpr int ViewWidth = 1920;
constexpr int ViewHeight = 1080;
constexpr int HourMs = 3600 * 1000;
constexpr int MarkCount = 2000;

// 255 tracks over one hour with values in them, the song's beats and the show's marks.
struct HourShow {
    ShowDocument Doc;
    TWavePeaks Peaks = lumivox::bench::MakeBenchPeaks(3600);
    TSongBeats Beats;
    TShowMarks Marks;
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
        Beats.TempoBpm = 120;
        for (double ms = 180; ms < HourMs; ms += 500)
            Beats.BeatsMs.push_back(ms);
        std::vector<TShowMark> marks;
        marks.reserve(MarkCount);
        for (int i = 0; i < MarkCount; ++i)
            marks.push_back({static_cast<int>(std::int64_t{HourMs} * i / MarkCount + 77),
                             QStringLiteral("Mark %1").arg(i + 1)});
        Marks = TShowMarks(std::move(marks));
    }
};

HourShow& Show() {
    static HourShow show;
    return show;
}

// Both views of the hour show at `level`, in the middle of the song and of the tracks.
struct Views {
    TimelineGeometry Geometry;
    TimelineScroll Scroll;
    LanesView Lanes;
    RulerView Ruler;
    QImage LanesImage{ViewWidth, ViewHeight, QImage::Format_RGB32};
    QImage RulerImage{ViewWidth, TimelineStripHeight, QImage::Format_RGB32};

    explicit Views(int level)
        : Lanes(Show().Doc, Geometry, Scroll), Ruler(Show().Peaks, Geometry, Scroll) {
        Geometry.SetPeakPairCount(static_cast<std::int64_t>(Show().Peaks.size()));
        Geometry.SetHorzZoom(level);
        Lanes.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Lanes.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Lanes.resize(ViewWidth, ViewHeight);
        Ruler.resize(ViewWidth, TimelineStripHeight);
        Lanes.show();
        Ruler.show();
        Lanes.UpdateContentWidth();
        Lanes.UpdateLanesHeight();
        Scroll.ScrollTo(Scroll.ContentWidth() / 2, Scroll.ContentHeight() / 2);
        Ruler.SetTiming(&Show().Doc.Marks(), &Show().Beats);
        Render(); // reduces the waveform for this level once
    }
    void Render() {
        Ruler.render(&RulerImage, QPoint(), QRegion(), QWidget::RenderFlags());
        Lanes.viewport()->render(&LanesImage, QPoint(), QRegion(), QWidget::RenderFlags());
    }
};

// Level in the first argument; the second says whether the beats and marks are there.
void BM_RulerAndLanesRepaint(benchmark::State& state) {
    HourShow& show = Show();
    const bool timing = state.range(1) != 0;
    show.Doc.SetMarks(timing ? show.Marks : TShowMarks());
    const TSongBeats beats = show.Beats;
    if (!timing)
        show.Beats = {};
    {
        Views views(static_cast<int>(state.range(0)));
        views.Ruler.ResetPaintStats();
        views.Lanes.ResetPaintStats();
        for (auto _ : state) {
            views.Render();
            benchmark::DoNotOptimize(views.LanesImage.constBits());
            benchmark::DoNotOptimize(views.RulerImage.constBits());
        }
        const auto paints =
            static_cast<double>(std::max<std::int64_t>(views.Ruler.PaintStats().Paints, 1));
        state.counters["beats"] = static_cast<double>(views.Ruler.PaintStats().Beats) / paints;
        state.counters["flags"] = static_cast<double>(views.Ruler.PaintStats().Marks) / paints;
        state.counters["lines"] = static_cast<double>(views.Lanes.PaintStats().Marks) / paints;
    }
    show.Beats = beats;
}

void Options(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->MinTime(0.5);
}

BENCHMARK(BM_RulerAndLanesRepaint)
    ->Args({15, 0})
    ->Args({15, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({13, 1})
    ->Apply(Options);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_RulerAndLanesRepaint/15/1", "BM_RulerAndLanesRepaint/15/0",
          "ruler + lanes, 1 h, 7,200 beats, 2,000 marks, level 15: <= 8 ms median"},
         {"BM_RulerAndLanesRepaint/1/1", "BM_RulerAndLanesRepaint/1/0",
          "same at level 1, every beat and mark in view (info)"}});
}
