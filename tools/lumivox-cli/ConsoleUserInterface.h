// The command-line tool's user interface: messages on the standard streams, questions
// answered from the command line, and a progress bar on a terminal.
#pragma once

#include "core/UserInterface.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace lumivox::cli {

class ConsoleUserInterface : public IUserInterface {
public:
    // Answer to every Yes/No question (--yes).
    bool AnswerYes = false;
    // The song offered when a project's song is missing (--song); offered once.
    std::optional<QString> SongAnswer;
    // Show a progress bar on standard error; on by default when it is a terminal.
    bool ShowProgress = false;

    QStringList Warnings;
    QStringList Questions;
    QStringList Informations;
    QStringList Errors;

    ConsoleUserInterface();

    void Warning(const QString& text) override;
    bool Confirm(const QString& text) override;
    // The first answer with --yes, none without.
    int ChooseAction(const QString& text, const QStringList& buttons) override;
    std::optional<int> AskNumber(const QString&, int, int, int) override { return std::nullopt; }
    std::optional<QString> AskText(const QString&, const QString&) override { return std::nullopt; }
    void Information(const QString& text) override;
    void ErrorAbort(const QString& text) override;
    void ReportError(const QString& text) override;
    std::optional<QString> ChooseSong(const QString& folder) override;
    std::optional<QString> ChooseProject() override { return std::nullopt; }
    std::optional<QString> ChooseSaveFile(const QString&) override { return std::nullopt; }
    std::optional<QString> ChooseSequenceFile(const QString&, const QString&) override {
        return std::nullopt;
    }
    void ProgressSetText(const QString& text) override;
    void ProgressSetGauge(int percent) override;
    void ProgressShow() override;
    void ProgressClose() override;

private:
    void DrawProgress();

    QString ProgressText;
    int Gauge = 0;
    bool ProgressVisible = false;
    bool BarDrawn = false;
};

} // namespace lumivox::cli
