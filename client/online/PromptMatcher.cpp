#include "client/online/PromptMatcher.h"

#include "common/Cp932.h"

#include <utility>

namespace kiro::online {

namespace {

// How much goes at once when the buffer is full: the erase is rare.
constexpr std::size_t kDropChunk = 4096;

bool isTrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

} // namespace

void PromptMatcher::arm(MatchArm arm)
{
    m_arm = std::move(arm);
    clearBuffer();
    m_trailNext = false;
    m_armed = true;
}

void PromptMatcher::push(unsigned char byte)
{
    bool start = true;
    if (m_trailNext && isTrailByte(byte)) {
        start = false;
        m_trailNext = false;
    } else {
        m_trailNext = cp932::isLeadByte(byte);
    }
    if (m_buffer.size() >= kBufferLimit) {
        m_buffer.erase(0, kDropChunk);
        m_starts.erase(m_starts.begin(), m_starts.begin() + kDropChunk);
    }
    m_buffer.push_back(static_cast<char>(byte));
    m_starts.push_back(start);
}

bool PromptMatcher::endsWithText(const std::string &text) const
{
    if (text.size() > m_buffer.size())
        return false;
    const std::size_t at = m_buffer.size() - text.size();
    return m_buffer.compare(at, text.size(), text) == 0 && (text.empty() || m_starts[at]);
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
    if (!m_armed)
        return std::nullopt;
    if (!accepts(byte)) {
        m_trailNext = false;  // a control byte is no trail byte
        return std::nullopt;
    }
    push(byte);

    switch (m_arm.mode) {
    case MatchMode::WaitEcho:
        if (endsWithText(m_arm.command)) {
            m_arm.mode = MatchMode::Prompts;
            clearBuffer();
        }
        return std::nullopt;
    case MatchMode::Prompts:
        for (std::size_t i = 0; i < m_arm.prompts.size() && i < 6; ++i) {
            // An empty prompt ends the list, like an absent one.
            if (m_arm.prompts[i].empty())
                break;
            if (endsWithText(m_arm.prompts[i]))
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
