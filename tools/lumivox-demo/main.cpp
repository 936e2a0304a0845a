// lumivox-demo: writes a small demonstration show over a given song, so a fresh checkout has
// something to open, export and look at.
#include "audio/decode/MeasuredSongLoader.h"
#include "core/UserInterface.h"
#include "model/ShowDocument.h"
#include "persistence/ProjectFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cmath>
#include <cstdio>

namespace {

using namespace lumivox;

// Fills the demo tracks with patterns an operator would recognise: chases, ramps, strobes.
void FillTracks(ShowDocument& doc) {
    const int slots = doc.SlotCount - 1; // addressable slots
    const struct {
        const char* caption;
        std::uint8_t type;
    } tracks[] = {{"Front wash", TrackTypeProportional},
                  {"Back light", TrackTypeProportional},
                  {"Strobe", TrackTypeOnOff},
                  {"Chase A", TrackTypeOnOff},
                  {"Chase B", TrackTypeOnOff},
                  {"Smoke", TrackTypeOnOff}};
    int index = 0;
    for (const auto& pattern : tracks) {
        doc.AddTrack(Language::English);
        const int number = doc.TrackCount();
        doc.SetCaption(number, QString::fromUtf8(pattern.caption));
        doc.SetType(number, pattern.type);
        for (int j = 1; j <= slots; ++j) {
            int value = 0;
            switch (index) {
            case 0:
                value = static_cast<int>(127.5 + 127.5 * std::sin(j * 0.05));
                break;
            case 1:
                value = (j / 40) % 2 == 0 ? (j % 40) * 255 / 39 : 255 - (j % 40) * 255 / 39;
                break;
            case 2:
                value = (j % 20 < 2 && (j / 100) % 2 == 1) ? OnValue : OffValue;
                break;
            case 3:
                value = (j / 5) % 2 == 0 ? OnValue : OffValue;
                break;
            case 4:
                value = (j / 5) % 2 == 1 ? OnValue : OffValue;
                break;
            case 5:
                value = (j > slots / 3 && j < slots / 3 + 30) ? OnValue : OffValue;
                break;
            }
            doc.SetSlot(number, j, static_cast<std::uint8_t>(value));
        }
        ++index;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool replace = args.removeAll(QStringLiteral("--yes")) > 0;
    if (args.size() != 3) {
        std::fprintf(stderr, "Usage: lumivox-demo SONG.mp3 OUT.PRJ [--yes]\n");
        return 1;
    }
    // A show is never replaced unless asked to.
    if (QFileInfo::exists(args[2]) && !replace) {
        std::fprintf(stderr, "%s already exists; --yes replaces it.\n", qPrintable(args[2]));
        return 3;
    }
    ShowDocument doc;
    UnattendedUserInterface ui;
    Language language = Language::English;
    MeasuredSongLoader songs(doc, ui, language);
    const QString song = QFileInfo(args[1]).absoluteFilePath();
    if (!songs.LoadSong(song)) {
        std::fprintf(stderr, "Cannot open the song %s\n", qPrintable(song));
        return 2;
    }
    doc.SetProjectName(QStringLiteral("Demo Show"));
    doc.SetSongFile(song);
    doc.SetResolution(1);
    TProjectTexts texts;
    texts.Subject = QStringLiteral("Demonstration");
    texts.Author = QStringLiteral("Lumivox Editor");
    texts.Comments = QStringList{QStringLiteral("A synthetic song with six tracks of patterns.")};
    doc.SetTexts(texts);
    FillTracks(doc);
    ProjectFile file(doc, ui, songs);
    return file.WriteProject(args[2]) ? 0 : 2;
}
