// An editor's autosave in a process of its own, for the tests that kill it: a show of the given
// size, modified over and over, each change written as a recovery copy. It prints
// "written N" once the copy holding change N is on disk, then makes change N + 1.
#include "persistence/Autosave.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace lumivox;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: autosave_child FOLDER PROJECT SONG TRACKS SLOTS\n");
        return 1;
    }
    ShowDocument doc;
    doc.ProjectFileName = args[2];
    doc.SetProjectName(QStringLiteral("Crash test"));
    doc.SetSongFile(args[3]);
    doc.SlotCount = args[5].toInt();
    for (int t = 0; t < args[4].toInt(); ++t)
        doc.AddTrack(Language::English);
    doc.SetModified(true);

    Autosave saver(doc, args[1]);
    int change = 0;
    auto edit = [&] {
        ++change;
        // Every track's first value names the change; so does the project's subject.
        for (int number = 1; number <= doc.TrackCount(); ++number)
            doc.SetSlot(number, 1, static_cast<std::uint8_t>(change % 256));
        TProjectTexts texts;
        texts.Subject = QString::number(change);
        texts.Comments = doc.Project().Comments;
        doc.SetTexts(texts);
        saver.SaveNow();
    };
    QObject::connect(&saver, &Autosave::CopyWritten, [&] {
        std::printf("written %d\n", change);
        std::fflush(stdout);
        edit();
    });
    QObject::connect(
        &saver, &Autosave::CopyFailed, [](const QString&, const lumivox::TFileError& error) {
            std::fprintf(stderr, "failed: %s\n", error.Detail.toLocal8Bit().constData());
        });
    edit();
    return app.exec();
}
