// Sequence export of a full show: 255 tracks whose values change every 50 slots, at the
// largest slot count and at half of it, to show the export grows linearly.
#include "BenchSupport.h"

#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "output/SequenceExport.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using namespace lumivox;

void BM_ExportFullShow(benchmark::State& state) {
    QTemporaryDir dir;
    ShowDocument show;
    show.SetSongFile(dir.filePath(QStringLiteral("song.mp3")));
    show.SlotCount = static_cast<int>(state.range(0));
    {
        TBulkUpdate filling(show);
        for (int t = 0; t < MaxTracks; ++t) {
            show.AddTrack(Language::English);
            TFullTrack& track = filling.Track(t + 1);
            track.Output = static_cast<std::uint8_t>(t + 1);
            for (int slot = 1; slot < show.SlotCount; ++slot)
                track.SetValue(slot, static_cast<std::uint8_t>((slot / 50 + t) % 256));
        }
    }
    UnattendedUserInterface ui;
    TSequenceExport exporter;
    for (auto _ : state) {
        const auto result = exporter.Export(show, ui, Language::English);
        if (result == TSequenceExport::Result::Failed || ui.Failures != 0)
            state.SkipWithError("export failed");
        benchmark::DoNotOptimize(result);
    }
    state.counters["events"] = static_cast<double>(exporter.Events().size());
}
BENCHMARK(BM_ExportFullShow)
    ->Arg(MaxSlotCount)
    ->Arg(MaxSlotCount / 2)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const std::string full = "BM_ExportFullShow/" + std::to_string(MaxSlotCount);
    const std::string half = "BM_ExportFullShow/" + std::to_string(MaxSlotCount / 2);
    return lumivox::bench::RunAndReport(argc, argv,
                                        {{full, "", "255 tracks x 131,070 slots: <= 500 ms"},
                                         {full, half, "full / half slots: about 2 (linear)"}});
}
