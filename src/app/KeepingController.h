// How the window keeps shows: the recent projects menu, autosave with its interval and its
// one warning when a copy cannot be written, the recovery copies offered at start, and the
// undo history's depth and memory budget. It owns the autosave and the Undo Levels dialog, and
// keeps their settings in the preferences. It lives on the UI thread, as every part it is
// given.
#pragma once

#include "core/LanguageTables.h"
#include "core/UserInterface.h"

#include <QObject>
#include <QString>

class QWidget;

namespace lumivox {

class Autosave;
class Preferences;
class ProjectLifecycle;
class ShowDocument;
class TMainMenus;
class TUndoLevelsDialog;
class UndoHistory;

class KeepingController : public QObject {
    Q_OBJECT
public:
    struct TParts {
        ShowDocument& Doc;
        IUserInterface& Ui;
        const Language& Lang; // read whenever a text is shown
        Preferences& Prefs;
        ProjectLifecycle& Life;
        UndoHistory& History;
        TMainMenus& Menus;
        QString RecoveryFolder;
        QWidget* DialogParent; // parent of the Undo Levels dialog
    };

    // Applies the saved interval and undo limits, lists the recent projects and starts the
    // autosave.
    KeepingController(TParts parts, QObject* parent);

    Autosave& Recovery() { return *Saver; }
    // The recent projects' menu in the current language.
    void ApplyTexts();
    // A project was saved or opened under `path`: first of the recent projects.
    void ProjectFileUsed(const QString& path);
    // The show's changes are saved or given up: the recovery copy goes.
    void ChangesSettled();
    // Offers each recovery copy a crash left; true when one was restored.
    bool OfferRecovery();
    // The window closes with its show saved or given up: the last copy written, then removed.
    void Close();

private:
    void RebuildRecentMenu();
    void AskAutosaveInterval();
    void AskUndoDepth();
    void ApplyUndoLimits();

    TParts Parts;
    Autosave* Saver = nullptr;
    bool AutosaveWarned = false;
    TUndoLevelsDialog* UndoLevels = nullptr; // made when first opened
};

} // namespace lumivox
