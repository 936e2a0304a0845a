// The main window's side of keeping shows: the preferences, the controller that keeps shows
// (recent projects, autosave, recovery, undo limits), projects dropped on the window, and the
// window's place and size.
#include "app/MainWindow.h"

#include "app/KeepingController.h"
#include "persistence/Preferences.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

namespace lumivox {

namespace {

// The first project file among dropped files, if any.
QString DroppedProject(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    for (const QUrl& url : urls) {
        QString path = url.toLocalFile();
        if (!path.isEmpty() && path.endsWith(QLatin1String(".prj"), Qt::CaseInsensitive))
            return path;
    }
    return {};
}

} // namespace

void TForm1::BuildFileExtras() {
    Preference = std::make_unique<Preferences>(Options.PreferencesPath);
    Keeping = new KeepingController(
        {Doc, *Ui, Lang, *Preference, *Life, *History, *Menu, Options.RecoveryFolder, this}, this);
    setAcceptDrops(true);
}

void TForm1::ProjectFileUsed(const QString& path) {
    Keeping->ProjectFileUsed(path);
}

void TForm1::ChangesSettled() {
    Keeping->ChangesSettled();
}

void TForm1::PlaceWindow() {
    if (restoreGeometry(Preference->WindowGeometry()))
        return;
    // The first time: most of the screen, centred.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(800, 601);
        return;
    }
    const QRect available = screen->availableGeometry();
    const QSize size(std::max(800, available.width() * 9 / 10),
                     std::max(601, available.height() * 9 / 10));
    resize(size.boundedTo(available.size()));
    move(available.center() - rect().center());
}

void TForm1::dragEnterEvent(QDragEnterEvent* e) {
    if (!DroppedProject(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e) {
    if (OpenDroppedFiles(e->mimeData()))
        e->acceptProposedAction();
}

bool TForm1::OpenDroppedFiles(const QMimeData* mime) {
    const QString path = DroppedProject(mime);
    if (path.isEmpty())
        return false;
    // Opened once the drop is over, so the dragging application is not held up by the
    // save prompt or the reading.
    QMetaObject::invokeMethod(
        this, [this, path] { Life->OpenProject(path); }, Qt::QueuedConnection);
    return true;
}

} // namespace lumivox
