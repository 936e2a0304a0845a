// A window of another application that takes the keyboard focus on the X display, so the
// editor under test stops being the active application.
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("another application"));
    window.setWindowTitle(QStringLiteral("In front"));
    window.resize(400, 200);
    window.show();
    // Without a window manager the focus goes where a client puts it; keep taking it back
    // until told to quit.
    QTimer grab;
    QObject::connect(&grab, &QTimer::timeout, [&] {
        window.raise();
        window.activateWindow();
    });
    grab.start(100);
    QTimer::singleShot(0, [] {
        std::printf("shown\n");
        std::fflush(stdout);
    });
    return app.exec();
}
