// A user interface with scripted answers that records every message and progress step, for
// driving logic classes in tests.
#pragma once

#include "core/UserInterface.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace lumivox::test {

class ScriptedUserInterface : public IUserInterface {
public:
    struct Event {
        enum Kind {
            Warning,
            Confirm,
            ConfirmDefaultNo,
            Information,
            ErrorAbort,
            ReportError,
            ChooseSong,
            ChooseProject,
            ChooseSaveFile,
            ChooseSequenceFile,
            ChooseAction,
            AskNumber,
            AskText
        } kind;
        QString text;
    };

    // Answers used in order; when a queue is empty, Confirm answers No and choosers cancel.
    std::deque<bool> ConfirmAnswers;
    std::deque<std::optional<QString>> SongAnswers;
    std::deque<std::optional<QString>> ProjectAnswers;
    std::deque<std::optional<QString>> SaveAnswers;
    std::deque<std::optional<QString>> SequenceAnswers;
    // When empty, ChooseAction answers -1 (closed) and AskNumber cancels.
    std::deque<int> ActionAnswers;
    std::deque<std::optional<int>> NumberAnswers;
    // When empty, AskText cancels.
    std::deque<std::optional<QString>> TextAnswers;

    std::vector<Event> Events;
    std::vector<int> Gauges;   // every gauge value set, in order
    QStringList ProgressTexts; // every progress caption set, in order
    bool ProgressVisible = false;
    int ProgressShows = 0;
    QString LastSongFolder;

    void Warning(const QString& text) override { Events.push_back({Event::Warning, text}); }
    bool Confirm(const QString& text) override;
    // Answered from ConfirmAnswers as Confirm is, but recorded as a kind of its own.
    bool ConfirmDefaultNo(const QString& text) override;
    int ChooseAction(const QString& text, const QStringList& buttons) override;
    std::optional<int> AskNumber(const QString& text, int value, int minimum, int maximum) override;
    std::optional<QString> AskText(const QString& text, const QString& value) override;
    void Information(const QString& text) override { Events.push_back({Event::Information, text}); }
    void ErrorAbort(const QString& text) override { Events.push_back({Event::ErrorAbort, text}); }
    void ReportError(const QString& text) override { Events.push_back({Event::ReportError, text}); }
    std::optional<QString> ChooseSong(const QString& folder) override;
    std::optional<QString> ChooseProject() override;
    // The save choosers record the path they were opened on as their event's text.
    std::optional<QString> ChooseSaveFile(const QString& suggested) override;
    std::optional<QString> ChooseSequenceFile(const QString& suggested,
                                              const QString& filter) override;

    void ProgressSetText(const QString& text) override { ProgressTexts << text; }
    void ProgressSetGauge(int percent) override;
    void ProgressShow() override {
        ProgressVisible = true;
        ++ProgressShows;
    }
    void ProgressClose() override { ProgressVisible = false; }

    // Texts of the events of one kind, in order.
    QStringList Texts(Event::Kind kind) const;

private:
    bool TakeConfirmAnswer();
};

} // namespace lumivox::test
