// Messages, answers and the terminal progress bar of the command-line tool.
#include "lumivox-cli/ConsoleUserInterface.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace lumivox::cli {

namespace {
void PrintLine(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}
} // namespace

ConsoleUserInterface::ConsoleUserInterface() : ShowProgress(isatty(STDERR_FILENO) == 1) {}

void ConsoleUserInterface::Warning(const QString& text) {
    ProgressClose();
    Warnings << text;
    PrintLine(stderr, text);
}

int ConsoleUserInterface::ChooseAction(const QString& text, const QStringList& buttons) {
    return Confirm(text) && !buttons.isEmpty() ? 0 : -1;
}

bool ConsoleUserInterface::Confirm(const QString& text) {
    Questions << text;
    return AnswerYes;
}

void ConsoleUserInterface::Information(const QString& text) {
    Informations << text;
    PrintLine(stdout, text);
}

void ConsoleUserInterface::ErrorAbort(const QString& text) {
    ProgressClose();
    Errors << text;
    PrintLine(stderr, text);
}

void ConsoleUserInterface::ReportError(const QString& text) {
    ProgressClose();
    Errors << text;
    PrintLine(stderr, text);
}

std::optional<QString> ConsoleUserInterface::ChooseSong(const QString& /*folder*/) {
    auto answer = SongAnswer;
    SongAnswer.reset();
    return answer;
}

void ConsoleUserInterface::ProgressSetText(const QString& text) {
    ProgressText = text;
    if (ProgressVisible)
        DrawProgress();
}

void ConsoleUserInterface::ProgressSetGauge(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == Gauge && BarDrawn)
        return;
    Gauge = percent;
    if (ProgressVisible)
        DrawProgress();
}

void ConsoleUserInterface::ProgressShow() {
    ProgressVisible = true;
    DrawProgress();
}

void ConsoleUserInterface::ProgressClose() {
    if (ProgressVisible && BarDrawn && ShowProgress) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    ProgressVisible = false;
    BarDrawn = false;
}

void ConsoleUserInterface::DrawProgress() {
    if (!ShowProgress)
        return;
    constexpr int Width = 30;
    const int filled = Gauge * Width / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(Width - filled), ' ');
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", bar.c_str(), Gauge,
                 ProgressText.toUtf8().constData());
    std::fflush(stderr);
    BarDrawn = true;
}

} // namespace lumivox::cli
