#include "client/online/SessionLineTap.h"

#include <utility>

namespace kiro::online {

void SessionLineTap::setSink(ReportSink sink)
{
    std::lock_guard lock(m_mutex);
    m_sink = std::move(sink);
}

void SessionLineTap::onByte(unsigned char byte)
{
    std::lock_guard lock(m_mutex);
    if (m_matcher.armed()) {
        if (auto report = m_matcher.feed(byte)) {
            m_state = State::Reported;
            if (m_sink)
                m_sink(report->index, std::move(report->text));
        }
        return;
    }
    if (auto line = m_watcher.feed(byte)) {
        if (m_sink)
            m_sink(static_cast<int>(line->line), std::move(line->text));
    }
}

void SessionLineTap::onBytes(const char *data, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        onByte(static_cast<unsigned char>(data[i]));
}

void SessionLineTap::arm(MatchArm arm)
{
    std::lock_guard lock(m_mutex);
    m_watcher.clear();
    m_matcher.arm(std::move(arm));
    m_state = State::Armed;
}

bool SessionLineTap::reportTimeout()
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Reported)
        return false;
    std::string text = m_matcher.armed() ? m_matcher.buffer() : std::string();
    m_matcher.disarm();
    m_state = State::Reported;
    if (m_sink)
        m_sink(0, std::move(text));
    return true;
}

void SessionLineTap::acknowledge()
{
    std::lock_guard lock(m_mutex);
    if (m_state == State::Reported)
        m_state = State::Idle;
}

void SessionLineTap::carrierLost()
{
    std::lock_guard lock(m_mutex);
    if (m_sink)
        m_sink(kCarrierLostIndex, {});
}

void SessionLineTap::clearMatchBuffer()
{
    std::lock_guard lock(m_mutex);
    m_matcher.clearBuffer();
}

bool SessionLineTap::armed() const
{
    std::lock_guard lock(m_mutex);
    return m_matcher.armed();
}

} // namespace kiro::online
