#include "client/KaraokeScreenPlayback.h"

#include "common/MessageBoxes.h"

#include <QCoreApplication>
#include <QWidget>

namespace kiro::client {

KaraokeScreenPlayback::KaraokeScreenPlayback(QWidget* screen, kiro::MessageBoxes& boxes,
    std::function<void(int)> songsDeleted)
    : m_screen(screen)
    , m_boxes(boxes)
    , m_songsDeleted(std::move(songsDeleted))
{
}

void KaraokeScreenPlayback::setScreenEnabled(bool enabled)
{
    if (m_screen)
        m_screen->setEnabled(enabled);
}

std::uint32_t KaraokeScreenPlayback::playerWindowId() const
{
    // The player only uses the handle to report back; the low 32 bits of
    // the native window are what fits its eight hexadecimal digits.
    if (!m_screen)
        return 0;
    return static_cast<std::uint32_t>(m_screen->winId() & 0xFFFFFFFFu);
}

void KaraokeScreenPlayback::pumpEvents()
{
    // Input is dispatched too, not queued: the disabled screen and the
    // windows under it drop it, so nothing fires once the player has ended.
    QCoreApplication::processEvents();
}

void KaraokeScreenPlayback::bringToFront()
{
    if (!m_screen)
        return;
    m_screen->raise();
    m_screen->activateWindow();
}

void KaraokeScreenPlayback::showLaunchFailure(const std::string& caption, const std::string& text)
{
    m_boxes.show(text, caption);
}

void KaraokeScreenPlayback::oneTimeSongsDeleted(int count)
{
    if (m_songsDeleted)
        m_songsDeleted(count);
}

} // namespace kiro::client
