#pragma once

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kiro::uitest {

// One application object for the whole test program (tests run offscreen).
inline QApplication& app()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Runs `act` on the next modal dialog that opens (polling, so dialogs opened
// from within other dialogs are found too); returns immediately.
inline void whenModalOpens(std::function<void(QDialog*)> act, int attempts = 200)
{
    QTimer::singleShot(10, [act, attempts]() {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (modal && modal->isVisible()) {
            act(modal);
            return;
        }
        if (attempts > 0)
            whenModalOpens(act, attempts - 1);
    });
}

// A bitmap file in memory: bottom-up, 8-bit indexed or 24-bit, with either a
// 40-byte information header or a 12-byte core header.
QByteArray makeBmp(int width, int height, int bitCount, bool coreHeader, const std::function<int(int x, int y)>& pixel,
    const QList<unsigned>& palette = {});

} // namespace kiro::uitest
