// lumivox-editor: the show editor's program. `lumivox-editor [--port DEVICE] [PROJECT]` opens
// the given project instead of the last one, and sends real-time output to the given serial
// device (for instance the simulated unit's pseudo-terminal) instead of the saved port.
#include "app/MainWindow.h"
#include "audio/playback/DeviceWorker.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

// Reports any error an event handler lets through in a message box instead of ending the
// program: the operator keeps the window and the show.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            Report(QString::fromUtf8(error.what()));
        } catch (...) {
            Report(QStringLiteral("Unknown error"));
        }
        return false;
    }

private:
    void Report(const QString& text) {
        if (Reporting) // an error while the report itself is shown
            return;
        Reporting = true;
        QMessageBox::critical(activeWindow(), QStringLiteral("Lumivox Editor"), text);
        Reporting = false;
    }
    bool Reporting = false;
};

} // namespace

int main(int argc, char** argv) {
    // ALSA's and JACK's probing of absent devices and servers stays off the terminal.
    lumivox::SilenceSoundLibraryMessages();
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivox-editor"));
    QApplication::setOrganizationName(QStringLiteral("Lumivox"));
    // No display name: Qt would append it to the window title, which already names the
    // program ("Lumivox Editor V1.4 - " and the project); the desktop entry names it too.

    lumivox::TForm1Options options;
    QStringList args = QApplication::arguments();
    args.removeFirst();
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--port") && !args.isEmpty())
            options.StartPort = args.takeFirst();
        else if (arg.startsWith(QLatin1String("--port=")))
            options.StartPort = arg.mid(7);
        else
            options.StartProject = arg;
    }
    lumivox::TForm1 window(options);
    window.show();
    return QApplication::exec();
}
