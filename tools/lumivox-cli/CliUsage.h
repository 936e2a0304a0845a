// What lumivox-cli says about its own use: the whole help, one command's help, the version and
// the short usage error.
#pragma once

#include <QString>

namespace lumivox::cli {

// The help of every command, on standard output or standard error.
void PrintUsage(bool toError);
// The help of one command on standard output; false when there is no such command.
bool PrintCommandHelp(const QString& command);
// The program's name and version on standard output.
void PrintVersion();
// A usage error in two lines on standard error: what was wrong, then the command's synopsis
// (the list of commands for an unknown one) and where to read more. Returns the usage exit code.
int UsageError(const QString& command, const QString& message);

} // namespace lumivox::cli
