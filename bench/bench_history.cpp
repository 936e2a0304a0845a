// Undo history cost on a one-hour show of 255 tracks at 100 ms: taking a snapshot after a
// one-cell edit against one memcpy of all values, the memory twenty and a thousand snapshots
// hold after as many one-cell edits against one copy of all values, the memory a hundred
// whole-show inverts leave held against the budget and against one copy, a snapshot and an
// undo at a depth of a thousand, and what an autosave of the show costs the UI thread against
// one undo snapshot.
#include "BenchShows.h"
#include "BenchSupport.h"

#include "editing/BlockOperations.h"
#include "persistence/Autosave.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <malloc.h>

#include <QFile>

#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

using namespace lumivox;

using bench::HourSlots;

// The hour show with its history's first snapshot taken.
struct HourShow : bench::EmptyHourShow {
    HourShow() { History.TakeSnapshot(); }
    // One cell written on a different track each time, as a drag step writes it; the new
    // value always differs from the old one, so every edit makes a snapshot.
    void EditOneCell(int step) {
        const int track = step % MaxTracks + 1;
        const int slot = step % (HourSlots - 1) + 1;
        std::uint8_t value = 0;
        Doc.Track(track).GetValue(slot, value);
        Doc.SetSlot(track, slot, static_cast<std::uint8_t>(value ^ 1));
        Doc.SetModified(true);
    }
};

HourShow& Show() {
    static HourShow show;
    return show;
}

// Snapshots, each after a one-cell edit from `step` on. The edit that makes the snapshot
// differ is outside the timing: the release of the mouse takes the snapshot, the drag before
// it wrote the cell.
void TimeSnapshotsAfterOneCellEdits(benchmark::State& state, HourShow& show, int step) {
    for (auto _ : state) {
        state.PauseTiming();
        show.EditOneCell(++step);
        state.ResumeTiming();
        show.History.TakeSnapshot();
    }
    benchmark::DoNotOptimize(show.History.Count());
}

void BM_TakeSnapshotAfterOneCellEdit(benchmark::State& state) {
    TimeSnapshotsAfterOneCellEdits(state, Show(), 0);
}
BENCHMARK(BM_TakeSnapshotAfterOneCellEdit)->Unit(benchmark::kMillisecond);

void BM_MemcpyAllValues(benchmark::State& state) {
    HourShow& show = Show();
    std::vector<std::uint8_t> copy(show.AllValueBytes());
    for (auto _ : state) {
        std::uint8_t* out = copy.data();
        for (const auto& track : show.Doc.Tracks()) {
            const TSlotValues& values = track->Values; // read access: no private copy
            values.CopyOut(0, HourSlots, out);
            out += HourSlots;
        }
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyAllValues)->Unit(benchmark::kMillisecond);

// Twenty snapshots after twenty one-cell edits, each on its own track: the bytes they hold
// against one copy of all values.
void BM_TwentySnapshotsMemory(benchmark::State& state) {
    HourShow& show = Show();
    double ratio = 0;
    std::size_t held = 0;
    int snapshots = 0;
    for (auto _ : state) {
        show.History.ClearHistory();
        show.History.TakeSnapshot();
        for (int k = 1; k < UndoHistory::DefaultDepth + 1; ++k) {
            show.EditOneCell(k * 7);
            show.History.TakeSnapshot();
        }
        held = show.History.HeldValueBytes();
        snapshots = show.History.Count();
        ratio = static_cast<double>(held) / static_cast<double>(show.AllValueBytes());
    }
    state.counters["held_bytes"] = static_cast<double>(held);
    state.counters["one_copy_bytes"] = static_cast<double>(show.AllValueBytes());
    state.counters["ratio"] = ratio;
    state.counters["snapshots"] = snapshots;
    std::printf("%d snapshots hold %zu bytes, one copy is %zu bytes: %.3f x (goal <= 1.2 x)\n",
                snapshots, held, show.AllValueBytes(), ratio);
}
BENCHMARK(BM_TwentySnapshotsMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// Heap bytes in use, as the allocator counts them (its own bookkeeping included).
std::size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Fills a history a thousand deep: a thousand one-cell edits spread over all 255 tracks and
// the hour, each followed by its snapshot.
void FillThousandDeep(HourShow& show) {
    show.History.SetDepth(1000);
    show.History.ClearHistory();
    show.History.TakeSnapshot();
    for (int k = 1; k < 1000; ++k) {
        show.EditOneCell(k * 37 + 11);
        show.History.TakeSnapshot();
    }
}

// A thousand snapshots after a thousand one-cell edits: what they hold against one copy of
// all values, counted block by block and measured as the heap's growth. The show's values
// are the first snapshot's, so the held bytes include that one copy.
void BM_ThousandSnapshotsMemory(benchmark::State& state) {
    HourShow& show = Show();
    double ratio = 0;
    double heapRatio = 0;
    std::size_t held = 0;
    int snapshots = 0;
    for (auto _ : state) {
        show.History.ClearHistory();
        const std::size_t before = HeapInUse();
        FillThousandDeep(show);
        const std::size_t grown = HeapInUse() - before;
        held = show.History.HeldBytes();
        snapshots = show.History.Count();
        const auto oneCopy = static_cast<double>(show.AllValueBytes());
        ratio = static_cast<double>(held) / oneCopy;
        heapRatio = (oneCopy + static_cast<double>(grown)) / oneCopy;
    }
    show.History.SetDepth(UndoHistory::DefaultDepth);
    state.counters["held_bytes"] = static_cast<double>(held);
    state.counters["ratio"] = ratio;
    state.counters["heap_ratio"] = heapRatio;
    state.counters["snapshots"] = snapshots;
    std::printf("%d snapshots hold %zu bytes, one copy is %zu bytes: %.3f x, %.3f x by the "
                "heap's growth (goal <= 1.5 x)\n",
                snapshots, held, show.AllValueBytes(), ratio, heapRatio);
}
BENCHMARK(BM_ThousandSnapshotsMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

// The process's resident size in bytes, as /proc/self/statm gives it.
long long ResidentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * getpagesize() : 0;
}

// The window's side of the block operations: each step goes to the history.
struct HistoryHost : IBlockHost {
    UndoHistory* History = nullptr;
    void TakeSnapshot() override { History->TakeSnapshot(); }
};

// A hundred Edit > Block > Invert over every track and slot of the hour, each a whole copy
// of the show, at the greatest depth and the default budget: what the history holds beyond
// the show against the budget (goal <= 1.0 x) and against one copy, and the growth of the
// heap and of the resident size. Each iteration starts from an emptied history.
void BM_HundredWholeShowInvertsMemory(benchmark::State& state) {
    HourShow& show = Show();
    HistoryHost host;
    host.History = &show.History;
    BlockOperations blocks(show.Doc, host);
    const TRangeSelection everything{1, MaxTracks, 1, HourSlots - 1};
    double beyond = 0, heapGrown = 0, residentGrown = 0;
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        show.History.SetDepth(UndoHistory::MaxDepth);
        show.History.SetBudget(UndoHistory::DefaultBudget);
        show.History.ClearHistory();
        show.History.TakeSnapshot();
        const std::size_t heapBefore = HeapInUse();
        const long long residentBefore = ResidentBytes();
        state.ResumeTiming();
        for (int k = 0; k < 100; ++k)
            blocks.Invert(everything);
        state.PauseTiming();
        beyond = static_cast<double>(show.History.BytesBeyondShow());
        heapGrown = static_cast<double>(HeapInUse()) - static_cast<double>(heapBefore);
        residentGrown = static_cast<double>(ResidentBytes() - residentBefore);
        steps = show.History.Steps();
        state.ResumeTiming();
    }
    show.History.SetDepth(UndoHistory::DefaultDepth);
    show.History.ClearHistory();
    show.History.TakeSnapshot();
    const auto budget = static_cast<double>(UndoHistory::DefaultBudget);
    const auto oneCopy = static_cast<double>(show.AllValueBytes());
    state.counters["beyond_show_bytes"] = beyond;
    state.counters["budget_ratio"] = beyond / budget;
    state.counters["copies"] = beyond / oneCopy;
    state.counters["steps"] = steps;
    std::printf("after 100 whole-show inverts the history holds %d steps, %.1f MB beyond the "
                "show: %.3f x the %.0f MB budget (goal <= 1.0 x), %.1f x one copy of %.1f MB; "
                "the heap grew %.1f MB (%.3f x the budget), the resident size %.1f MB (%.3f x)\n",
                steps, beyond / 1048576, beyond / budget, budget / 1048576, beyond / oneCopy,
                oneCopy / 1048576, heapGrown / 1048576, heapGrown / budget, residentGrown / 1048576,
                residentGrown / budget);
}
BENCHMARK(BM_HundredWholeShowInvertsMemory)->Unit(benchmark::kMillisecond)->Iterations(2);

// The show with a history a thousand deep while this lives, at the default depth again after.
struct ThousandDeep {
    HourShow& Hour = Show();
    ThousandDeep() { FillThousandDeep(Hour); }
    ~ThousandDeep() { Hour.History.SetDepth(UndoHistory::DefaultDepth); }
    ThousandDeep(const ThousandDeep&) = delete;
    ThousandDeep& operator=(const ThousandDeep&) = delete;
};

// A snapshot after a one-cell edit with a full history a thousand deep (the oldest goes).
void BM_TakeSnapshotAtDepth1000(benchmark::State& state) {
    ThousandDeep deep;
    TimeSnapshotsAfterOneCellEdits(state, deep.Hour, 5000);
}
BENCHMARK(BM_TakeSnapshotAtDepth1000)->Unit(benchmark::kMillisecond);

// One undo and its redo in a history a thousand deep: each restores all 255 tracks.
void BM_UndoRedoAtDepth1000(benchmark::State& state) {
    ThousandDeep deep;
    for (auto _ : state) {
        deep.Hour.History.Undo();
        deep.Hour.History.Redo();
    }
    benchmark::DoNotOptimize(deep.Hour.History.CurrentIndex());
}
BENCHMARK(BM_UndoRedoAtDepth1000)->Unit(benchmark::kMillisecond);

// Autosave of the same show after a one-cell edit: the time the UI thread spends in SaveNow
// (taking the snapshot and handing it to the autosave thread). The write itself, on the other
// thread, is waited for outside the timing and reported apart.
void BM_AutosaveBlocksTheUiThread(benchmark::State& state) {
    HourShow& show = Show();
    QTemporaryDir dir;
    Autosave saver(show.Doc, dir.filePath(QStringLiteral("recovery")));
    int step = 1000;
    double writeMs = 0;
    int writes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        show.EditOneCell(++step);
        state.ResumeTiming();
        const bool started = saver.SaveNow();
        state.PauseTiming();
        QElapsedTimer written;
        written.start();
        if (!started || !saver.WaitForWrites(60000)) {
            state.SkipWithError("the recovery copy was not written");
            break;
        }
        writeMs += static_cast<double>(written.nsecsElapsed()) / 1e6;
        ++writes;
        state.ResumeTiming();
    }
    state.counters["write_ms_on_its_thread"] = writes > 0 ? writeMs / writes : 0;
}
BENCHMARK(BM_AutosaveBlocksTheUiThread)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // the autosave reports back through the event loop
    return lumivox::bench::RunAndReport(
        argc, argv,
        {{"BM_TakeSnapshotAfterOneCellEdit", "BM_MemcpyAllValues", "<= 5 ms"},
         {"BM_TakeSnapshotAtDepth1000", "BM_MemcpyAllValues", "<= 5 ms"},
         {"BM_UndoRedoAtDepth1000", "BM_MemcpyAllValues", "<= 100 ms"},
         {"BM_MemcpyAllValues", "", "anchor"},
         {"BM_AutosaveBlocksTheUiThread", "BM_TakeSnapshotAfterOneCellEdit", "<= 5 ms"}});
}
