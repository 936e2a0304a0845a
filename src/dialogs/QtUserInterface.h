// The user-interface seam realised with Qt: message boxes, file choosers and the progress
// window, all over the parent window given at construction.
#pragma once

#include "core/UserInterface.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <optional>

class QFileDialog;
class QWidget;

namespace lumivox {

class TForm4;

class QtUserInterface : public IUserInterface {
public:
    // Title of every message box.
    static inline const QString BoxTitle = QStringLiteral("Lumivox Editor");
    static inline const QString SongFilter = QStringLiteral("MP3 Files (*.mp3)");
    static inline const QString ProjectFilter = QStringLiteral("Projects Files (*.PRJ)");

    // `parent` owns the boxes, the choosers and the progress window; it may be null.
    explicit QtUserInterface(QWidget* parent);
    ~QtUserInterface() override;
    QtUserInterface(const QtUserInterface&) = delete;
    QtUserInterface& operator=(const QtUserInterface&) = delete;

    void Warning(const QString& text) override;
    bool Confirm(const QString& text) override;
    bool ConfirmDefaultNo(const QString& text) override;
    int ChooseAction(const QString& text, const QStringList& buttons) override;
    std::optional<int> AskNumber(const QString& text, int value, int minimum, int maximum) override;
    std::optional<QString> AskText(const QString& text, const QString& value) override;
    void Information(const QString& text) override;
    void ErrorAbort(const QString& text) override;
    void ReportError(const QString& text) override;

    std::optional<QString> ChooseSong(const QString& folder) override;
    std::optional<QString> ChooseProject() override;
    std::optional<QString> ChooseSaveFile(const QString& suggested) override;
    std::optional<QString> ChooseSequenceFile(const QString& suggested,
                                              const QString& filter) override;

    void ProgressSetText(const QString& text) override;
    void ProgressSetGauge(int percent) override;
    void ProgressShow() override;
    void ProgressClose() override;

    // Handles every pending event, user input included.
    void ProcessEvents() override;

    // The song chooser always holds the current song: it opens on it when it is given no
    // folder, and a chosen song becomes the current one.
    void SetSongPath(const QString& path) { songPath_ = path; }
    QString SongPath() const { return songPath_; }

    TForm4* ProgressWindow();

protected:
    // Runs a prepared box or chooser modally; overridden to inspect or answer them without
    // a user. RunMessageBox returns the button pressed, RunFileDialog whether it was accepted.
    virtual QMessageBox::StandardButton RunMessageBox(QMessageBox& box);
    virtual bool RunFileDialog(QFileDialog& dialog);

private:
    QMessageBox::StandardButton ShowBox(QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton);
    std::optional<QString> ChooseProjectFile(bool save, const QString& suggested = QString());

    QPointer<QWidget> parent_;
    QPointer<TForm4> progress_;
    QString songPath_;
    QString projectFolder_; // where the project choosers opened last
};

} // namespace lumivox
