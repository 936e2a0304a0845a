// The one seam through which logic classes speak to the user: message boxes, choosers and
// the progress window. The editor implements it with Qt dialogs, the tests with scripted
// answers and the command-line tool without interaction.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace lumivox {

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    // A refusal or failure: a warning box with an OK button.
    virtual void Warning(const QString& text) = 0;
    // A question with the buttons Yes and No; true for Yes.
    virtual bool Confirm(const QString& text) = 0;
    // The same for a question whose Yes loses work (deleting tracks): No is the default
    // button, so that Enter, like Escape, keeps everything as it is.
    virtual bool ConfirmDefaultNo(const QString& text) { return Confirm(text); }
    // A completion notice: an information box with an OK button.
    virtual void Information(const QString& text) = 0;
    // A question answered by one of `buttons` (the first is the default): the index of the
    // one chosen, or -1 when the box was closed without choosing.
    virtual int ChooseAction(const QString& text, const QStringList& buttons) = 0;
    // Asks for a whole number from `minimum` to `maximum`, proposing `value`; empty when
    // cancelled.
    virtual std::optional<int> AskNumber(const QString& text, int value, int minimum,
                                         int maximum) = 0;
    // Asks for one line of text, proposing `value`; empty when cancelled.
    virtual std::optional<QString> AskText(const QString& text, const QString& value) = 0;
    // An error box whose only button is Abort.
    virtual void ErrorAbort(const QString& text) = 0;
    // The general error report for failures no operation handles itself (input/output
    // errors, run-time errors).
    virtual void ReportError(const QString& text) = 0;

    // The song chooser ("MP3 Files (*.mp3)"), opened in `folder` when it is not empty.
    // Empty when cancelled.
    virtual std::optional<QString> ChooseSong(const QString& folder) = 0;
    // The project chooser ("Projects Files (*.PRJ)"). Empty when cancelled.
    virtual std::optional<QString> ChooseProject() = 0;
    // The save chooser for projects, opened on `suggested` (a folder and a name, either may be
    // empty); it does not ask before overwriting, the caller does. Empty when cancelled.
    virtual std::optional<QString> ChooseSaveFile(const QString& suggested) = 0;
    // The save chooser for a sequence file, with `filter` ("Sequence files (*.seq)" in the
    // user's language), opened on `suggested`; it does not ask before overwriting, the export
    // does. Empty when cancelled.
    virtual std::optional<QString> ChooseSequenceFile(const QString& suggested,
                                                      const QString& filter) = 0;

    // The progress window: caption, gauge 0..100 (clamped), shown without being modal.
    virtual void ProgressSetText(const QString& text) = 0;
    virtual void ProgressSetGauge(int percent) = 0;
    virtual void ProgressShow() = 0;
    virtual void ProgressClose() = 0;

    // Lets the user interface handle pending events during a long synchronous operation.
    virtual void ProcessEvents() {}
};

// The progress window for the length of one operation: shown with the gauge at 0 (and the
// caption, when given) as it is made, closed at Close() or when it goes out of scope, so an
// early return or an exception never leaves the window up.
class ScopedProgress {
public:
    explicit ScopedProgress(IUserInterface& ui) : Ui(ui) {
        Ui.ProgressSetGauge(0);
        Ui.ProgressShow();
    }
    ScopedProgress(IUserInterface& ui, const QString& text) : Ui(ui) {
        Ui.ProgressSetText(text);
        Ui.ProgressSetGauge(0);
        Ui.ProgressShow();
    }
    ~ScopedProgress() { Close(); }
    ScopedProgress(const ScopedProgress&) = delete;
    ScopedProgress& operator=(const ScopedProgress&) = delete;

    void SetText(const QString& text) { Ui.ProgressSetText(text); }
    void SetGauge(int percent) { Ui.ProgressSetGauge(percent); }
    // Closes the window now, for an operation that has more to do after it; once only.
    void Close() {
        if (!Shown)
            return;
        Shown = false;
        Ui.ProgressClose();
    }

private:
    IUserInterface& Ui;
    bool Shown = true;
};

// For tools that run without a user: questions are answered Yes, choosers cancel, the
// progress is not shown, and warnings and errors go to standard error.
class UnattendedUserInterface : public IUserInterface {
public:
    void Warning(const QString& text) override { PrintError(text); }
    bool Confirm(const QString&) override { return true; }
    int ChooseAction(const QString&, const QStringList&) override { return 0; }
    std::optional<int> AskNumber(const QString&, int, int, int) override { return std::nullopt; }
    std::optional<QString> AskText(const QString&, const QString&) override { return std::nullopt; }
    void Information(const QString&) override {}
    void ErrorAbort(const QString& text) override { PrintError(text); }
    void ReportError(const QString& text) override { PrintError(text); }
    std::optional<QString> ChooseSong(const QString&) override { return std::nullopt; }
    std::optional<QString> ChooseProject() override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const QString&) override { return std::nullopt; }
    std::optional<QString> ChooseSequenceFile(const QString&, const QString&) override {
        return std::nullopt;
    }
    void ProgressSetText(const QString&) override {}
    void ProgressSetGauge(int) override {}
    void ProgressShow() override {}
    void ProgressClose() override {}

    int Failures = 0;

private:
    void PrintError(const QString& text) {
        ++Failures;
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    }
};

} // namespace lumivox
