// The main window's side of keeping shows: the recent projects, projects dropped on the
// window, autosave and the recovery copies offered at start, and the window's place and size.
#include "app/MainWindow.h"

#include "app/UndoLevelsDialog.h"
#include "persistence/Autosave.h"
#include "persistence/Preferences.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
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
    Saver = new Autosave(Doc, Options.RecoveryFolder, this);
    Saver->SetInterval(Preference->AutosaveSeconds());
    // A copy that cannot be written is said once a run; the editor goes on.
    connect(Saver, &Autosave::CopyFailed, this,
            [this](const QString& path, const TFileError& error) {
                if (AutosaveWarned)
                    return;
                AutosaveWarned = true;
                Ui->Warning(Text(TextTable::Extra, ExtraText::AutosaveFailed, Lang)
                                .arg(QDir::toNativeSeparators(path), FileErrorText(error, Lang)));
            });
    connect(Menu->AutosaveInterval1, &QAction::triggered, this, [this] { AskAutosaveInterval(); });
    History->SetDepth(Preference->UndoDepth());
    History->SetBudget(static_cast<std::size_t>(Preference->UndoBudgetMb()) *
                       UndoHistory::Megabyte);
    connect(Menu->UndoDepth1, &QAction::triggered, this, [this] { AskUndoDepth(); });
    setAcceptDrops(true);
    RebuildRecentMenu();
    Saver->Start();
}

void TForm1::RebuildRecentMenu() {
    QMenu* menu = Menu->RecentProjects1;
    menu->clear();
    const QStringList recent = Preference->RecentProjects();
    if (recent.isEmpty()) {
        menu->addAction(Text(TextTable::Extra, ExtraText::NoRecentProjects, Lang))
            ->setEnabled(false);
        return;
    }
    int number = 1;
    for (const QString& path : recent) {
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(shown));
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] {
            Life->OpenProject(path);
            if (!QFileInfo::exists(path)) {
                Preference->RemoveRecentProject(path);
                RebuildRecentMenu();
            }
        });
    }
}

void TForm1::ProjectFileUsed(const QString& path) {
    Preference->AddRecentProject(path);
    RebuildRecentMenu();
}

void TForm1::ChangesSettled() {
    Saver->Discard();
}

void TForm1::AskAutosaveInterval() {
    const std::optional<int> seconds = Ui->AskNumber(
        Text(TextTable::Extra, ExtraText::AutosavePrompt, Lang), Preference->AutosaveSeconds(),
        Preferences::MinAutosaveSeconds, Preferences::MaxAutosaveSeconds);
    if (!seconds)
        return;
    Preference->SetAutosaveSeconds(*seconds);
    Saver->SetInterval(Preference->AutosaveSeconds());
    Saver->Start();
}

// The preference's bounds are the history's own.
static_assert(Preferences::DefaultUndoDepth == UndoHistory::DefaultDepth &&
              Preferences::MinUndoDepth == UndoHistory::MinDepth &&
              Preferences::MaxUndoDepth == UndoHistory::MaxDepth);

void TForm1::AskUndoDepth() {
    if (!UndoLevels)
        UndoLevels = new TUndoLevelsDialog(this);
    const std::optional<TUndoLimits> limits =
        UndoLevels->Ask({Preference->UndoDepth(), Preference->UndoBudgetMb()},
                        {History->Steps(), History->BytesBeyondShow()}, Lang);
    if (!limits)
        return;
    Preference->SetUndoDepth(limits->Depth);
    Preference->SetUndoBudgetMb(limits->BudgetMb);
    History->SetDepth(Preference->UndoDepth());
    History->SetBudget(static_cast<std::size_t>(Preference->UndoBudgetMb()) *
                       UndoHistory::Megabyte);
}

bool TForm1::OfferRecovery() {
    const std::vector<TRecoveryCopy> copies = Autosave::FindCopies(Saver->Folder());
    const QStringList buttons{Text(TextTable::Extra, ExtraText::RestoreButton, Lang),
                              Text(TextTable::Extra, ExtraText::DiscardButton, Lang)};
    for (const TRecoveryCopy& copy : copies) {
        QString name = copy.ProjectName;
        if (!copy.OriginalPath.isEmpty())
            name = QDir::toNativeSeparators(copy.OriginalPath);
        const QString when = LocaleOf(Lang).toString(copy.Written, QLocale::ShortFormat);
        const int choice = Ui->ChooseAction(
            Text(TextTable::Extra, ExtraText::RecoveryFound, Lang).arg(name, when), buttons);
        if (choice == 0 && Life->RestoreRecoveryCopy(copy.CopyPath, copy.OriginalPath)) {
            // Kept until this run writes a copy of its own, so a second crash loses nothing.
            Saver->Adopt(copy.CopyPath);
            return true;
        }
        if (choice == 1)
            Autosave::RemoveCopy(copy);
        // Closed without an answer, or not readable now: it stays for the next start.
    }
    return false;
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
