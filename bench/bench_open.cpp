// Opening a show at start: from starting the editor's process on a project to the show's name
// in its title and the window painted, for a 255-track show over a one-hour song against a
// one-track show over a five-second song, both with their waveform caches warm. Each opening
// runs in a process of its own (this program started again with --open), so it pays for the
// application's start like an operator's does; the window opened in the parent only builds
// the caches.
#include "BenchSongs.h"
#include "BenchSupport.h"

#include "app/MainWindow.h"
#include "core/UserInterface.h"
#include "persistence/ProjectFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <string_view>
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

// Milliseconds from creating the window until it shows the project's name and has painted;
// with `announce`, "ready" goes to the standard output at that moment.
double OpenTime(const QString& project, const QString& dir, bool announce = false) {
    UnattendedUserInterface ui;
    NoProperties properties;
    TForm1Options options;
    options.Ui = &ui;
    options.Properties = &properties;
    options.HeadlessImport = true;
    options.SilentAudio = true;
    options.KeepFilesIn(dir);
    options.StartProject = project;
    QElapsedTimer timer;
    timer.start();
    TForm1 window(options);
    window.show();
    while (!window.windowTitle().endsWith(QStringLiteral("Bench show")) && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    window.repaint();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (announce) {
        std::printf("ready\n");
        std::fflush(stdout);
    }
    window.close();
    return ms;
}

// Milliseconds from starting this program with --open on `project` until it reports the show
// open and painted (its tear-down after that is not counted); negative when it failed.
double ProcessOpenTime(const QString& project, const QString& dir) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--open"), project, dir});
    QByteArray said;
    while (!said.contains("ready\n") && child.waitForReadyRead(120000))
        said += child.readAllStandardOutput();
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    child.waitForFinished(120000);
    return said.contains("ready\n") ? ms : -1.0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--open") {
        // Started by the parent: open the show, say "ready" once it is painted, quit.
        QApplication app(argc, argv);
        OpenTime(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), true);
        return 0;
    }
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
    OpenTime(big, dir.path());
    OpenTime(small, dir.path());
    std::vector<double> bigTimes;
    std::vector<double> smallTimes;
    for (int run = 0; run < 9; ++run) {
        bigTimes.push_back(ProcessOpenTime(big, dir.path()));
        smallTimes.push_back(ProcessOpenTime(small, dir.path()));
        if (bigTimes.back() < 0 || smallTimes.back() < 0) {
            std::fprintf(stderr, "an opening failed\n");
            return 1;
        }
    }
    const double bigMs = bench::Percentile(bigTimes, 0.5);
    const double smallMs = bench::Percentile(smallTimes, 0.5);
    std::printf("\n%-58s %12s %12s %9s  %s\n", "figure", "ms", "anchor ms", "ratio", "goal");
    std::printf("%-58s %12.1f %12.1f %9.2f  %s\n",
                "start on a 255-track one-hour show (median of 9)", bigMs, smallMs, bigMs / smallMs,
                "<= 1.5 x starting on a one-track five-second show");
    return 0;
}
