#include "app/KeepingController.h"

#include "app/MainMenus.h"
#include "app/UndoLevelsDialog.h"
#include "editing/ProjectLifecycle.h"
#include "editing/UndoHistory.h"
#include "model/ShowDocument.h"
#include "persistence/Autosave.h"
#include "persistence/Preferences.h"
#include "persistence/VerifiedFile.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>

namespace lumivox {

// The preference's bounds are the history's own.
static_assert(Preferences::DefaultUndoDepth == UndoHistory::DefaultDepth &&
              Preferences::MinUndoDepth == UndoHistory::MinDepth &&
              Preferences::MaxUndoDepth == UndoHistory::MaxDepth);

KeepingController::KeepingController(TParts parts, QObject* parent)
    : QObject(parent), Parts(std::move(parts)) {
    Saver = new Autosave(Parts.Doc, Parts.RecoveryFolder, this);
    Saver->SetInterval(Parts.Prefs.AutosaveSeconds());
    // A copy that cannot be written is said once a run; the editor goes on.
    connect(Saver, &Autosave::CopyFailed, this,
            [this](const QString& path, const TFileError& error) {
                if (AutosaveWarned)
                    return;
                AutosaveWarned = true;
                Parts.Ui.Warning(
                    Text(TextTable::Extra, ExtraText::AutosaveFailed, Parts.Lang)
                        .arg(QDir::toNativeSeparators(path), FileErrorText(error, Parts.Lang)));
            });
    connect(Parts.Menus.AutosaveInterval1, &QAction::triggered, this,
            [this] { AskAutosaveInterval(); });
    ApplyUndoLimits();
    connect(Parts.Menus.UndoDepth1, &QAction::triggered, this, [this] { AskUndoDepth(); });
    RebuildRecentMenu();
    Saver->Start();
}

void KeepingController::ApplyTexts() {
    RebuildRecentMenu();
}

void KeepingController::RebuildRecentMenu() {
    QMenu* menu = Parts.Menus.RecentProjects1;
    menu->clear();
    const QStringList recent = Parts.Prefs.RecentProjects();
    if (recent.isEmpty()) {
        menu->addAction(Text(TextTable::Extra, ExtraText::NoRecentProjects, Parts.Lang))
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
            Parts.Life.OpenProject(path);
            if (!QFileInfo::exists(path)) {
                Parts.Prefs.RemoveRecentProject(path);
                RebuildRecentMenu();
            }
        });
    }
}

void KeepingController::ProjectFileUsed(const QString& path) {
    Parts.Prefs.AddRecentProject(path);
    RebuildRecentMenu();
}

void KeepingController::ChangesSettled() {
    Saver->Discard();
}

void KeepingController::AskAutosaveInterval() {
    Preferences& prefs = Parts.Prefs;
    const std::optional<int> seconds = Parts.Ui.AskNumber(
        Text(TextTable::Extra, ExtraText::AutosavePrompt, Parts.Lang), prefs.AutosaveSeconds(),
        Preferences::MinAutosaveSeconds, Preferences::MaxAutosaveSeconds);
    if (!seconds)
        return;
    prefs.SetAutosaveSeconds(*seconds);
    Saver->SetInterval(prefs.AutosaveSeconds());
    Saver->Start();
}

void KeepingController::AskUndoDepth() {
    Preferences& prefs = Parts.Prefs;
    if (!UndoLevels)
        UndoLevels = new TUndoLevelsDialog(Parts.DialogParent);
    const std::optional<TUndoLimits> limits =
        UndoLevels->Ask({prefs.UndoDepth(), prefs.UndoBudgetMb()},
                        {Parts.History.Steps(), Parts.History.BytesBeyondShow()}, Parts.Lang);
    if (!limits)
        return;
    prefs.SetUndoDepth(limits->Depth);
    prefs.SetUndoBudgetMb(limits->BudgetMb);
    ApplyUndoLimits();
}

void KeepingController::ApplyUndoLimits() {
    Parts.History.SetDepth(Parts.Prefs.UndoDepth());
    Parts.History.SetBudget(static_cast<std::size_t>(Parts.Prefs.UndoBudgetMb()) *
                            UndoHistory::Megabyte);
}

bool KeepingController::OfferRecovery() {
    const Language language = Parts.Lang;
    const std::vector<TRecoveryCopy> copies = Autosave::FindCopies(Saver->Folder());
    const QStringList buttons{Text(TextTable::Extra, ExtraText::RestoreButton, language),
                              Text(TextTable::Extra, ExtraText::DiscardButton, language)};
    for (const TRecoveryCopy& copy : copies) {
        QString name = copy.ProjectName;
        if (!copy.OriginalPath.isEmpty())
            name = QDir::toNativeSeparators(copy.OriginalPath);
        const QString when = LocaleOf(language).toString(copy.Written, QLocale::ShortFormat);
        const int choice = Parts.Ui.ChooseAction(
            Text(TextTable::Extra, ExtraText::RecoveryFound, language).arg(name, when), buttons);
        if (choice == 0 && Parts.Life.RestoreRecoveryCopy(copy.CopyPath, copy.OriginalPath)) {
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

void KeepingController::Close() {
    Saver->Stop();
    Saver->WaitForWrites(5000);
    Saver->Discard();
}

} // namespace lumivox
