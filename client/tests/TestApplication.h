#pragma once

#include <QApplication>

namespace kiro::clienttest {

// One application object for the whole test program (tests run offscreen).
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "client_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

} // namespace kiro::clienttest
