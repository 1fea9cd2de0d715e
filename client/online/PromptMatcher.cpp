#include "client/online/PromptMatcher.h"

#include <utility>

namespace kiro::online {

namespace {

bool endsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

void PromptMatcher::arm(MatchArm arm)
{
    m_arm = std::move(arm);
    m_buffer.clear();
    m_armed = true;
}

bool PromptMatcher::accepts(unsigned char byte)
{
    // Shift-JIS lead and trail bytes are all 0x20 or above, so Japanese
    // prompts survive; ENQ/ACK/NAK are kept because the host's transfer
    // handshake prompts use them.
    return byte >= 0x20 || byte == '\r' || byte == '\n' || byte == 0x05 || byte == 0x06 || byte == 0x15;
}

std::optional<MatchReport> PromptMatcher::feed(unsigned char byte)
{
    if (!m_armed || !accepts(byte))
        return std::nullopt;
    if (m_buffer.size() < kBufferLimit)
        m_buffer.push_back(static_cast<char>(byte));

    switch (m_arm.mode) {
    case MatchMode::WaitEcho:
        if (endsWith(m_buffer, m_arm.command)) {
            m_arm.mode = MatchMode::Prompts;
            m_buffer.clear();
        }
        return std::nullopt;
    case MatchMode::Prompts:
        for (std::size_t i = 0; i < m_arm.prompts.size() && i < 6; ++i) {
            // An empty prompt ends the list, like an absent one.
            if (m_arm.prompts[i].empty())
                break;
            if (endsWith(m_buffer, m_arm.prompts[i]))
                return report(static_cast<int>(i));
        }
        return std::nullopt;
    case MatchMode::CountBytes:
        if (m_buffer.size() >= m_arm.byteCount)
            return report(1);
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<MatchReport> PromptMatcher::report(int index)
{
    m_armed = false;
    return MatchReport{index, m_buffer};
}

} // namespace kiro::online
