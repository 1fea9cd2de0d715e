#include "client/music/CMidi.h"

namespace kiro::music {

std::uint16_t CMidi::open(std::uint32_t a, std::uint32_t b)
{
    if (m_failed || m_opened)
        return 0;
    const std::uint16_t result = m_library.open(m_window, a, b);
    m_opened = result == 0;
    m_failed = result != 0;
    return result;
}

void CMidi::close()
{
    if (!usable())
        return;
    m_failed = m_library.close() != 0;
    m_opened = false;
}

bool CMidi::setSong(const std::string& path)
{
    if (!usable())
        return true;
    m_song = path;
    m_failed = m_library.setSong(path) != 0;
    return m_failed;
}

void CMidi::start()
{
    if (usable())
        m_failed = m_library.start() != 0;
}

void CMidi::stop()
{
    if (usable())
        m_failed = m_library.stop() != 0;
}

void CMidi::setRepeatPoint(std::uint32_t from, std::uint32_t to)
{
    if (usable())
        m_library.setRepeatPoint(from, to);
}

void CMidi::setPosition(std::uint32_t position)
{
    if (usable())
        m_library.setPosition(position);
}

void CMidi::setPlayMode(std::uint32_t mode)
{
    if (usable())
        m_failed = m_library.setPlayMode(mode) != 0;
}

bool CMidi::isPlaying()
{
    return m_library.getStatus() == 2;
}

} // namespace kiro::music
