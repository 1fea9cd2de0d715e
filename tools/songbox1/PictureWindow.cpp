#include "tools/songbox1/PictureWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <cstdlib>
#include <memory>

namespace kiro::songbox1 {

bool displayAvailable()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

int showPictures(int& argc, char** argv, const std::vector<std::filesystem::path>& bitmaps,
                 std::chrono::microseconds songLength)
{
    QApplication application(argc, argv);
    QLabel window;
    window.setWindowTitle(QStringLiteral("songbox1"));
    window.setAlignment(Qt::AlignCenter);
    window.setMinimumSize(320, 240);
    window.setStyleSheet(QStringLiteral("background: black; color: white"));

    std::size_t next = 0;
    auto showNext = [&] {
        if (next >= bitmaps.size())
            return;
        QPixmap picture(QString::fromStdString(bitmaps[next].string()));
        if (picture.isNull())
            window.setText(QString::fromStdString(bitmaps[next].filename().string()));
        else
            window.setPixmap(picture);
        ++next;
    };
    showNext();

    const auto songMs = std::chrono::duration_cast<std::chrono::milliseconds>(songLength).count();
    QTimer flip;
    if (bitmaps.size() > 1) {
        flip.setInterval(static_cast<int>(std::max<long long>(1, songMs / static_cast<long long>(bitmaps.size()))));
        QObject::connect(&flip, &QTimer::timeout, showNext);
        flip.start();
    }
    QTimer::singleShot(static_cast<int>(songMs), &application, &QApplication::quit);
    window.show();
    return application.exec();
}

} // namespace kiro::songbox1
