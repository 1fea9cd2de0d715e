#pragma once

#include <optional>
#include <string>

namespace kiro::online {

// The two host lines that matter while no step is armed.
enum class WatchedLine {
    IdleWarning = 32, // the host will drop the member session soon
    HostName = 33,    // the host has dropped back to the access network
};

struct WatchReport {
    WatchedLine line;
    std::string text; // the whole line for the idle warning, empty for "HOST NAME?"
};

// Collects host output into lines while the session is between steps and
// recognises the idle warning and the access network's "HOST NAME?" line.
// Pure: bytes in, reports out.
class LineWatcher {
public:
    static constexpr std::size_t kLineLimit = 1024;

    std::optional<WatchReport> feed(unsigned char byte);
    void clear() { m_line.clear(); }
    const std::string &line() const { return m_line; }

    // The idle warning as code page 932 bytes.
    static const std::string &idleWarningLine();

private:
    std::string m_line;
};

} // namespace kiro::online
