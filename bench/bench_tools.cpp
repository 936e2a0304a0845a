// Editing tool speed: one step of a drag (a mouse move that writes a cell) on a one-hour show
// of 255 tracks, at the finest zoom, the default one and the coarsest, where one cell holds
// 18,000 slots; against filling the same cell's bytes with std::fill.
#include "BenchSupport.h"

#include "core/UserInterface.h"
#include "editing/EditingTools.h"
#include "editing/KeyboardControl.h"
#include "editing/TimelineGeometry.h"
#include "model/ShowDocument.h"

#include <algorithm>
#include <vector>

namespace {

using namespace lumivox;

constexpr int HourSlots = 36001; // one hour at 100 ms
constexpr std::size_t HourPeakPairs = static_cast<std::size_t>(3600LL * 44100 / 128 * 3);

class CountingHost : public IEditingToolHost {
public:
    void ShowValueText(const QString& text) override { Shown += text.size(); }
    void ShowToolCursor(TToolCursor) override {}
    void PopupToolMenu() override {}
    void TakeSnapshot() override {}
    std::int64_t Painted = 0; // slots the show reported written
    std::int64_t Shown = 0;
};

struct HourShow {
    ShowDocument Doc;
    TimelineGeometry Timeline;
    CountingHost Host;
    UnattendedUserInterface Ui;
    Language Lang = Language::English;

    HourShow() {
        Timeline.SetPeakPairCount(HourPeakPairs);
        Doc.SlotCount = HourSlots;
        for (int k = 0; k < MaxTracks; ++k)
            Doc.AddTrack(Lang);
        QObject::connect(&Doc, &ShowDocument::SlotsChanged, &Doc,
                         [this](int, int first, int last) { Host.Painted += last - first + 1; });
    }
    // What the lanes view hands the tools for content (x, y).
    TLaneHit HitAt(std::int64_t x, std::int64_t y, Qt::MouseButton button) const {
        TLaneHit hit = Timeline.HitAt(x, y, Doc.TrackCount());
        hit.Button = button;
        return hit;
    }
};

HourShow& Show() {
    static HourShow show;
    return show;
}

// Drags across the whole song on a different track at every step, so each step writes a new
// cell in memory that is not in cache.
void BM_ApplyToolDragStep(benchmark::State& state) {
    HourShow& show = Show();
    show.Timeline.SetHorzZoom(static_cast<int>(state.range(0)));
    EditingTools tools(show.Doc, show.Host, show.Ui, show.Lang);
    const std::int64_t width = show.Timeline.ContentWidth();
    const std::int64_t cellWidth = std::max<std::int64_t>(1, show.Timeline.CellSpan(1).X1);
    const std::int64_t lastX = width - cellWidth - 1;

    tools.MouseDown(show.HitAt(0, 10, Qt::LeftButton), TModifierKey::None);
    std::int64_t x = 0;
    int track = 1;
    for (auto _ : state) {
        x += cellWidth * 7 + 3;
        if (x > lastX)
            x %= lastX;
        track = track % MaxTracks + 1;
        const std::int64_t y = show.Timeline.LaneRow(track).Top + 5;
        // The hit test is part of the step: the lanes view makes it of every mouse event.
        tools.MouseMove(show.HitAt(x, y, Qt::NoButton), TModifierKey::None);
    }
    tools.MouseUp();
    benchmark::DoNotOptimize(show.Host.Painted);
    state.SetLabel(std::to_string(show.Timeline.SlotsPerCell()) + " slots per cell");
}

// The bytes one step writes at the same level, with nothing else.
void BM_AnchorFillCellBytes(benchmark::State& state) {
    HourShow& show = Show();
    show.Timeline.SetHorzZoom(static_cast<int>(state.range(0)));
    const int slots = show.Timeline.SlotsPerCell();
    int first = 0;
    int track = 1;
    std::uint8_t value = 0;
    TBulkUpdate writing(show.Doc); // the bytes themselves, with nothing announced
    for (auto _ : state) {
        first = (first + 7 * slots + 3) % (HourSlots - slots - 1);
        track = track % MaxTracks + 1;
        writing.Track(track).Values.Fill(first, slots, ++value);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_ApplyToolDragStep)->Arg(15)->Arg(13)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnchorFillCellBytes)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_ApplyToolDragStep/15", "", "one drag step, 1 slot per cell: goal <= 0.2 ms"},
         {"BM_ApplyToolDragStep/13", "", "one drag step, 1 slot per cell: goal <= 0.2 ms"},
         {"BM_ApplyToolDragStep/1", "", "one drag step, 18,000 slots: goal <= 0.2 ms"},
         {"BM_ApplyToolDragStep/1", "BM_AnchorFillCellBytes/1",
          "same against std::fill of the cell's bytes"}});
}
