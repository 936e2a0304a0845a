// Block operation speed: each operation over the whole of a one-hour show, 255 tracks of
// 36,001 slots, against a memcpy of the same bytes into the tracks in the same run. Before
// every timed run the show gets its values back and an undo snapshot shares them, as after
// the edit before, so each operation also pays for taking its tracks' bytes as its own. The
// step the window takes afterwards is timed apart, with the real history.
#include "BenchShows.h"
#include "BenchSupport.h"

#include "editing/BlockOperations.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace lumivox;

using bench::HourSlots;
constexpr int EditableSlots = HourSlots - 1;

// Counts the steps asked for; the history's own cost is measured by its own figure.
class CountingHost : public IBlockHost {
public:
    void TakeSnapshot() override { ++Steps; }
    std::int64_t Steps = 0;
};

class HistoryHost : public IBlockHost {
public:
    explicit HistoryHost(UndoHistory& history) : History(history) {}
    void TakeSnapshot() override { History.TakeSnapshot(); }

private:
    UndoHistory& History;
};

// The hour show with a pattern to put back into its tracks before each timed run.
struct HourShow : bench::EmptyHourShow {
    CountingHost Counting;
    std::vector<std::uint8_t> Pattern; // every track's bytes, one after the other
    std::vector<TSlotValues> Held;     // what an undo snapshot would share

    HourShow() : Pattern(static_cast<std::size_t>(MaxTracks) * HourSlots) {
        for (std::size_t i = 0; i < Pattern.size(); ++i)
            Pattern[i] = static_cast<std::uint8_t>((i * 7 + i / HourSlots * 13) % 251 + 1);
        for (int k = 1; k <= MaxTracks; ++k)
            Pattern[static_cast<std::size_t>(k) * HourSlots - 1] = 0; // the storage slot
    }
    // The pattern back in every track, its bytes shared as with the snapshot after an edit.
    void Restore() {
        Held.clear();
        {
            TBulkUpdate bulk(Doc);
            for (int k = 1; k <= MaxTracks; ++k)
                bulk.Track(k).Values.CopyIn(
                    0, HourSlots, Pattern.data() + static_cast<std::size_t>(k - 1) * HourSlots);
        }
        for (const TFullTrack* track : Doc.Tracks())
            Held.push_back(track->Values);
        Doc.SetModified(false);
    }
};

HourShow& Show() {
    static HourShow show;
    return show;
}

const TRangeSelection Everything{1, MaxTracks, 1, EditableSlots};

using Operation = std::function<bool(BlockOperations&)>;

void RunOperation(benchmark::State& state, const Operation& prepare, const Operation& operation) {
    HourShow& show = Show();
    BlockOperations blocks(show.Doc, show.Counting);
    show.Restore();
    if (prepare && !prepare(blocks)) {
        state.SkipWithError("the preparation wrote nothing");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        show.Restore();
        state.ResumeTiming();
        const bool wrote = operation(blocks);
        benchmark::DoNotOptimize(wrote);
        if (!wrote) {
            state.SkipWithError("the operation wrote nothing");
            break;
        }
    }
    show.Held.clear();
}

void BM_AnchorMemcpyAllValues(benchmark::State& state) {
    HourShow& show = Show();
    show.Restore();
    show.Held.clear();
    TBulkUpdate bulk(show.Doc);
    for (auto _ : state) {
        for (int k = 1; k <= MaxTracks; ++k)
            bulk.Track(k).Values.CopyIn(
                0, HourSlots, show.Pattern.data() + static_cast<std::size_t>(k - 1) * HourSlots);
        benchmark::ClobberMemory();
    }
}

// Fill with the undo step the window takes: the history compares the show with its current
// snapshot and records a new one sharing the written bytes.
void BM_FillWithUndoStep(benchmark::State& state) {
    HourShow& show = Show();
    HistoryHost host(show.History);
    BlockOperations blocks(show.Doc, host);
    std::uint8_t value = 0;
    for (auto _ : state) {
        state.PauseTiming();
        show.Restore();
        show.Held.clear();
        show.History.ClearHistory();
        show.History.TakeSnapshot();
        value = static_cast<std::uint8_t>(value % 200 + 1);
        state.ResumeTiming();
        if (!blocks.Fill(Everything, value)) {
            state.SkipWithError("the operation wrote nothing");
            break;
        }
    }
    show.History.ClearHistory();
}

// Copy writes nothing: it is run on its own, and its result is the block it took.
void BM_Copy(benchmark::State& state) {
    HourShow& show = Show();
    BlockOperations blocks(show.Doc, show.Counting);
    show.Restore();
    for (auto _ : state)
        benchmark::DoNotOptimize(blocks.Copy(Everything));
    show.Held.clear();
}

const std::vector<std::pair<std::string, std::pair<Operation, Operation>>>& Operations() {
    static const std::vector<std::pair<std::string, std::pair<Operation, Operation>>> list{
        {"Cut", {{}, [](BlockOperations& b) { return b.Cut(Everything); }}},
        // The block pasted is the show inverted, so that every slot changes.
        {"Paste",
         {[](BlockOperations& b) { return b.Invert(Everything) && b.Copy(Everything); },
          [](BlockOperations& b) { return b.Paste(1, 1); }}},
        {"Clear", {{}, [](BlockOperations& b) { return b.Clear(Everything); }}},
        {"Fill", {{}, [](BlockOperations& b) { return b.Fill(Everything, 128); }}},
        {"Ramp", {{}, [](BlockOperations& b) { return b.Ramp(Everything, 0, 255); }}},
        {"Invert", {{}, [](BlockOperations& b) { return b.Invert(Everything); }}},
        {"Scale", {{}, [](BlockOperations& b) { return b.Scale(Everything, 150); }}},
        {"ShiftLater", {{}, [](BlockOperations& b) { return b.Shift(Everything, 1000); }}},
        {"ShiftEarlier", {{}, [](BlockOperations& b) { return b.Shift(Everything, -1000); }}},
        // The first 1,000 slots copied 35 times over the rest of the song.
        {"Repeat",
         {{},
          [](BlockOperations& b) {
              return b.Repeat(TRangeSelection{1, MaxTracks, 1, 1000}, 35);
          }}},
        {"Chase", {{}, [](BlockOperations& b) { return b.Chase(Everything, 10, 255); }}},
    };
    return list;
}

void Register() {
    auto configure = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->Iterations(8)->Repetitions(5)->ReportAggregatesOnly(true);
    };
    configure(benchmark::RegisterBenchmark("BM_AnchorMemcpyAllValues", BM_AnchorMemcpyAllValues));
    configure(benchmark::RegisterBenchmark("BM_Copy", BM_Copy));
    // The list lives as long as the program, so the benchmarks may refer to its entries.
    for (const auto& entry : Operations()) {
        const auto* run = &entry.second;
        configure(benchmark::RegisterBenchmark(
            ("BM_" + entry.first).c_str(),
            [run](benchmark::State& state) { RunOperation(state, run->first, run->second); }));
    }
    configure(benchmark::RegisterBenchmark("BM_FillWithUndoStep", BM_FillWithUndoStep));
}

} // namespace

int main(int argc, char** argv) {
    Register();
    std::vector<lumivox::bench::RatioLine> lines;
    const std::string goal = "all 255 x 36,001 slots: goal <= 50 ms";
    lines.push_back({"BM_Copy", "BM_AnchorMemcpyAllValues", goal});
    for (const auto& entry : Operations())
        lines.push_back({"BM_" + entry.first, "BM_AnchorMemcpyAllValues", goal});
    lines.push_back({"BM_FillWithUndoStep", "BM_AnchorMemcpyAllValues", goal + " (with undo)"});
    return lumivox::bench::RunAndReport(argc, argv, lines);
}
