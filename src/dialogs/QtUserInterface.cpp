// The user-interface seam realised with Qt widgets.
#include "dialogs/QtUserInterface.h"

#include "dialogs/ProgressWindow.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QPushButton>

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace lumivox {

QtUserInterface::QtUserInterface(QWidget* parent) : parent_(parent) {}

QtUserInterface::~QtUserInterface() {
    delete progress_.data();
}

void QtUserInterface::Warning(const QString& text) {
    ShowBox(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtUserInterface::Confirm(const QString& text) {
    return ShowBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtUserInterface::ConfirmDefaultNo(const QString& text) {
    return ShowBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::No) == QMessageBox::Yes;
}

int QtUserInterface::ChooseAction(const QString& text, const QStringList& buttons) {
    QMessageBox box(QMessageBox::Question, BoxTitle, text, QMessageBox::NoButton, parent_);
    std::vector<QAbstractButton*> added;
    for (const QString& caption : buttons)
        added.push_back(box.addButton(caption, added.empty() ? QMessageBox::AcceptRole
                                                             : QMessageBox::ActionRole));
    if (!added.empty())
        box.setDefaultButton(static_cast<QPushButton*>(added.front()));
    // Escape and the window's close button choose nothing: with a reject button among the
    // answers they would choose it (on the recovery offer, Discard). A hidden Cancel takes them.
    QAbstractButton* none = box.addButton(QMessageBox::Cancel);
    none->hide();
    box.setEscapeButton(none);
    RunMessageBox(box);
    const auto chosen = std::find(added.begin(), added.end(), box.clickedButton());
    return chosen == added.end() ? -1 : static_cast<int>(chosen - added.begin());
}

std::optional<int> QtUserInterface::AskNumber(const QString& text, int value, int minimum,
                                              int maximum) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(BoxTitle);
    dialog.setLabelText(text);
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(minimum, maximum);
    dialog.setIntValue(value);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.intValue();
}

std::optional<QString> QtUserInterface::AskText(const QString& text, const QString& value) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(BoxTitle);
    dialog.setLabelText(text);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(value);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtUserInterface::Information(const QString& text) {
    ShowBox(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtUserInterface::ErrorAbort(const QString& text) {
    ShowBox(QMessageBox::Critical, text, QMessageBox::Abort, QMessageBox::Abort);
}

void QtUserInterface::ReportError(const QString& text) {
    ShowBox(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton QtUserInterface::ShowBox(QMessageBox::Icon icon, const QString& text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, BoxTitle, text, buttons, parent_);
    box.setDefaultButton(defaultButton);
    return RunMessageBox(box);
}

QMessageBox::StandardButton QtUserInterface::RunMessageBox(QMessageBox& box) {
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// The choosers are Qt's own dialogs: their filters match names case-insensitively, so
// "song.MP3" and "show.prj" are listed as well as "song.mp3" and "show.PRJ".
std::optional<QString> QtUserInterface::ChooseSong(const QString& folder) {
    QFileDialog dialog(parent_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(SongFilter);
    dialog.setDefaultSuffix(QStringLiteral("MP3"));
    if (!folder.isEmpty()) {
        dialog.setDirectory(folder);
    } else if (!songPath_.isEmpty()) {
        const QFileInfo song(songPath_);
        dialog.setDirectory(song.absolutePath());
        dialog.selectFile(song.fileName());
    }
    if (!RunFileDialog(dialog) || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    songPath_ = dialog.selectedFiles().constFirst();
    return songPath_;
}

std::optional<QString> QtUserInterface::ChooseProject() {
    return ChooseProjectFile(false);
}

std::optional<QString> QtUserInterface::ChooseSaveFile(const QString& suggested) {
    return ChooseProjectFile(true, suggested);
}

std::optional<QString> QtUserInterface::ChooseSequenceFile(const QString& suggested,
                                                           const QString& filter) {
    QFileDialog dialog(parent_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QStringLiteral("seq"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The export asks before it replaces a file, in the same words as for the file beside the
    // song.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QFileInfo place(suggested);
    if (!suggested.isEmpty()) {
        dialog.setDirectory(place.absolutePath());
        dialog.selectFile(place.fileName());
    }
    if (!RunFileDialog(dialog) || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtUserInterface::ChooseProjectFile(bool save, const QString& suggested) {
    QFileDialog dialog(parent_);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(ProjectFilter);
    dialog.setDefaultSuffix(QStringLiteral("PRJ"));
    if (!projectFolder_.isEmpty()) {
        dialog.setDirectory(projectFolder_);
    }
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Replacing another project is asked by the save command itself, once.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QFileInfo place(suggested);
        if (!place.path().isEmpty() && place.path() != QLatin1String("."))
            dialog.setDirectory(place.absolutePath());
        dialog.selectFile(place.fileName());
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!RunFileDialog(dialog) || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    projectFolder_ = QFileInfo(chosen).absolutePath();
    return chosen;
}

bool QtUserInterface::RunFileDialog(QFileDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}

TForm4* QtUserInterface::ProgressWindow() {
    if (progress_.isNull()) {
        progress_ = new TForm4(parent_);
    }
    return progress_.data();
}

void QtUserInterface::ProgressSetText(const QString& text) {
    ProgressWindow()->SetText(text);
}

void QtUserInterface::ProgressSetGauge(int percent) {
    ProgressWindow()->SetGauge(percent);
}

void QtUserInterface::ProgressShow() {
    ProgressWindow()->ShowProgress();
}

void QtUserInterface::ProgressClose() {
    ProgressWindow()->CloseProgress();
}

void QtUserInterface::ProcessEvents() {
    QCoreApplication::processEvents();
}

} // namespace lumivox
