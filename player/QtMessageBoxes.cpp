#include "player/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <cstring>

namespace kiro::player {

QtMessageBoxes::QtMessageBoxes(int& argc, char** argv)
    : m_argc(argc)
    , m_argv(argv)
{
}

QtMessageBoxes::~QtMessageBoxes() = default;

void QtMessageBoxes::show(const std::string& text, const std::string& title)
{
    if (!m_application)
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    QMessageBox::information(nullptr, QString::fromStdString(title), QString::fromStdString(text));
}

bool displayAvailable()
{
    const char* mode = std::getenv("KIRO_MESSAGES");
    if (mode && std::strcmp(mode, "stderr") == 0)
        return false;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

} // namespace kiro::player
