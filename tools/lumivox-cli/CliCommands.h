// The commands of lumivox-cli over the editor's core: info, export, convert, dump-seq and peaks.
#pragma once

#include <QStringList>

namespace lumivox::cli {

// Exit codes.
inline constexpr int ExitDone = 0;
inline constexpr int ExitUsage = 1;
inline constexpr int ExitRefused = 2;
inline constexpr int ExitOutputExists = 3;
inline constexpr int ExitTooManyEvents = 4;

// Runs the command named by args[0] with the remaining arguments.
int RunCommand(const QStringList& args);

} // namespace lumivox::cli
