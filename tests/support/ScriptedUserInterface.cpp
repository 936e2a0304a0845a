// Scripted answers and recording for the test user interface.
#include "support/ScriptedUserInterface.h"

#include <algorithm>

namespace lumivox::test {

namespace {
std::optional<QString> TakeAnswer(std::deque<std::optional<QString>>& queue) {
    std::optional<QString> answer;
    if (!queue.empty()) {
        answer.swap(queue.front());
        queue.pop_front();
    }
    return answer;
}
} // namespace

bool ScriptedUserInterface::Confirm(const QString& text) {
    Events.push_back({Event::Confirm, text});
    return TakeConfirmAnswer();
}

bool ScriptedUserInterface::ConfirmDefaultNo(const QString& text) {
    Events.push_back({Event::ConfirmDefaultNo, text});
    return TakeConfirmAnswer();
}

bool ScriptedUserInterface::TakeConfirmAnswer() {
    if (ConfirmAnswers.empty())
        return false;
    const bool answer = ConfirmAnswers.front();
    ConfirmAnswers.pop_front();
    return answer;
}

int ScriptedUserInterface::ChooseAction(const QString& text, const QStringList& buttons) {
    Events.push_back(
        {Event::ChooseAction, text + QLatin1Char('|') + buttons.join(QLatin1Char('|'))});
    if (ActionAnswers.empty())
        return -1;
    const int answer = ActionAnswers.front();
    ActionAnswers.pop_front();
    return answer;
}

std::optional<int> ScriptedUserInterface::AskNumber(const QString& text, int, int, int) {
    Events.push_back({Event::AskNumber, text});
    std::optional<int> answer;
    if (!NumberAnswers.empty()) {
        answer = NumberAnswers.front();
        NumberAnswers.pop_front();
    }
    return answer;
}

std::optional<QString> ScriptedUserInterface::AskText(const QString& text, const QString&) {
    Events.push_back({Event::AskText, text});
    return TakeAnswer(TextAnswers);
}

std::optional<QString> ScriptedUserInterface::ChooseSong(const QString& folder) {
    Events.push_back({Event::ChooseSong, folder});
    LastSongFolder = folder;
    return TakeAnswer(SongAnswers);
}

std::optional<QString> ScriptedUserInterface::ChooseProject() {
    Events.push_back({Event::ChooseProject, QString()});
    return TakeAnswer(ProjectAnswers);
}

std::optional<QString> ScriptedUserInterface::ChooseSaveFile(const QString& suggested) {
    Events.push_back({Event::ChooseSaveFile, suggested});
    return TakeAnswer(SaveAnswers);
}

std::optional<QString> ScriptedUserInterface::ChooseSequenceFile(const QString& suggested,
                                                                 const QString&) {
    Events.push_back({Event::ChooseSequenceFile, suggested});
    return TakeAnswer(SequenceAnswers);
}

void ScriptedUserInterface::ProgressSetGauge(int percent) {
    Gauges.push_back(std::clamp(percent, 0, 100));
}

QStringList ScriptedUserInterface::Texts(Event::Kind kind) const {
    QStringList texts;
    for (const Event& event : Events)
        if (event.kind == kind)
            texts << event.text;
    return texts;
}

} // namespace lumivox::test
