// Opening a show at start: from creating the main window with a project to the show's name in
// its title and the window painted, for a 255-track show over a one-hour song against a
// one-track show over a five-second song, both with their waveform caches warm.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "app/MainWindow.h"
#include "core/UserInterface.h"
#include "persistence/ProjectFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace lumivox;

namespace {

// Answers nothing and shows nothing: a start-up needs no dialog.
class NoProperties : public IProjectPropertiesEditor {
public:
    bool EditProjectProperties(TProjectPropertiesData&, Language) override { return false; }
};

// A show of `tracks` tracks over `song`, each value changing every few slots, written to
// `path`; false when it could not be written.
bool WriteShow(const QString& song, const QString& path, int tracks) {
    ShowDocument doc;
    UnattendedUserInterface ui;
    MeasuringMediaPlayer player;
    if (!player.Open(song))
        return false;
    doc.SlotCount = SlotCountForLength(player.LengthMs());
    doc.SetProjectName(QStringLiteral("Bench show"));
    doc.SetSongFile(song);
    TBulkUpdate filling(doc);
    for (int t = 0; t < tracks; ++t) {
        doc.AddTrack(Language::English);
        TFullTrack& track = filling.Track(t + 1);
        for (int slot = 1; slot < doc.SlotCount; ++slot)
            track.SetValue(slot, static_cast<std::uint8_t>((slot / (t % 7 + 2)) % 2 ? 255 : 0));
    }
    struct NoSongs : ISongLoader {
        bool LoadSong(const QString&) override { return true; }
        void CloseSong() override {}
    } songs;
    ProjectFile file(doc, ui, songs);
    return file.WriteProject(path);
}

// Milliseconds from creating the window until it shows the project's name and has painted.
double OpenTime(const QString& project, const QTemporaryDir& dir) {
    UnattendedUserInterface ui;
    NoProperties properties;
    TForm1Options options;
    options.Ui = &ui;
    options.Properties = &properties;
    options.HeadlessImport = true;
    options.SilentAudio = true;
    options.KeepFilesIn(dir.path());
    options.StartProject = project;
    QElapsedTimer timer;
    timer.start();
    TForm1 window(options);
    window.show();
    while (!window.windowTitle().endsWith(QStringLiteral("Bench show")) && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window.repaint();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    window.close();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    bench::BenchSong hour;
    bench::BenchSong shortSong;
    bench::MakeBenchSong(hour, 3600, {"-b", "128"});
    bench::MakeBenchSong(shortSong, 5, {"-b", "128"});
    if (!hour.Error.isEmpty() || !shortSong.Error.isEmpty()) {
        std::fprintf(stderr, "%s%s\n", hour.Error.toLocal8Bit().constData(),
                     shortSong.Error.toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.PRJ"));
    const QString small = dir.filePath(QStringLiteral("small.PRJ"));
    if (!WriteShow(hour.Mp3, big, 255) || !WriteShow(shortSong.Mp3, small, 1)) {
        std::fprintf(stderr, "cannot write the shows\n");
        return 1;
    }
    // The first opening of each builds its waveform cache; the runs after it find it warm.
    OpenTime(big, dir);
    OpenTime(small, dir);
    std::vector<double> bigTimes;
    std::vector<double> smallTimes;
    for (int run = 0; run < 3; ++run) {
        bigTimes.push_back(OpenTime(big, dir));
        smallTimes.push_back(OpenTime(small, dir));
    }
    const double bigMs = bench::Percentile(bigTimes, 0.5);
    const double smallMs = bench::Percentile(smallTimes, 0.5);
    std::printf("\n%-58s %12s %12s %9s  %s\n", "figure", "ms", "anchor ms", "ratio", "goal");
    std::printf("%-58s %12.1f %12.1f %9.2f  %s\n", "open a 255-track one-hour show (median of 3)",
                bigMs, smallMs, bigMs / smallMs, "<= 1.5 x a one-track five-second show");
    return 0;
}
