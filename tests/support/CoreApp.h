#pragma once
// The one QCoreApplication of a test program without widgets, made on first use.

#include <QCoreApplication>

namespace lumivox::test {

inline QCoreApplication& CoreApp() {
    static int argc = 1;
    static char name[] = "lumivox_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
    return *QCoreApplication::instance();
}

} // namespace lumivox::test
