#include "client/online/LineWatcher.h"

#include "common/Cp932.h"

namespace kiro::online {

const std::string &LineWatcher::idleWarningLine()
{
    static const std::string line = cp932::fromUtf8("◆あと 2分間入力がないと回線が切断されます◆");
    return line;
}

std::optional<WatchReport> LineWatcher::feed(unsigned char byte)
{
    if (byte == '\n') {
        m_line.clear();
        return std::nullopt;
    }
    if (byte == '\r') {
        std::optional<WatchReport> report;
        if (m_line == idleWarningLine())
            report = WatchReport{WatchedLine::IdleWarning, m_line};
        else if (m_line == "HOST NAME?")
            report = WatchReport{WatchedLine::HostName, {}};
        m_line.clear();
        return report;
    }
    if (byte >= 0x20) {
        // A host that never ends its lines must not grow the line without bound.
        if (m_line.size() >= kLineLimit)
            m_line.clear();
        m_line.push_back(static_cast<char>(byte));
    }
    return std::nullopt;
}

} // namespace kiro::online
