// lumivox-cli: reads, converts and exports show projects from the command line.
#include "lumivox-cli/CliCommands.h"
#include "lumivox-cli/CliUsage.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty())
        return lumivox::cli::UsageError(QString(), QStringLiteral("no command given"));
    if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h") ||
        args.first() == QLatin1String("help")) {
        lumivox::cli::PrintUsage(false);
        return lumivox::cli::ExitDone;
    }
    if (args.first() == QLatin1String("--version")) {
        lumivox::cli::PrintVersion();
        return lumivox::cli::ExitDone;
    }
    return lumivox::cli::RunCommand(args);
}
