#pragma once

#include "tools/hostsim/ForumService.h"
#include "tools/hostsim/HostArea.h"
#include "tools/hostsim/HostConfig.h"
#include "tools/hostsim/TransferService.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kiro::hostsim {

// One caller's dialogue with the service: the access network (road 5 or 7),
// the member login and the member service's main prompt. Bytes in (code
// page 932, Telnet already removed), bytes out; no I/O, so tests drive it
// with strings and a clock of their own.
class HostService {
public:
    using Clock = std::chrono::steady_clock;

    struct Reply {
        std::string text;   // code page 932
        bool close = false; // hang up after sending the text
        // A B Plus transfer to run once the text has gone out.
        std::optional<TransferRequest> transfer;
        std::string log; // lines for the host's log (UTF-8)
    };

    HostService(const HostConfig &config, Clock::time_point now);

    Reply start();
    Reply input(std::string_view bytes, Clock::time_point now);
    // Idle warning and drop; call when nextDeadline() has passed.
    Reply tick(Clock::time_point now);
    std::optional<Clock::time_point> nextDeadline() const;
    // The transfer of the last reply has ended: what the caller sees next.
    Reply transferEnded(bool success, std::int64_t bytes);

    bool closed() const { return m_state == State::Closed; }
    const std::string &memberId() const { return m_memberId; }

    // The most a caller may type on one line; the rest is dropped unechoed.
    static constexpr std::size_t kLineLimit = 255;

private:
    enum class State { HostName, Login, AccessPassword, Service, UserId, Password, Main, Closed };

    void line(const std::string &text, Reply &reply);
    void mainCommand(const std::string &text, Reply &reply);
    std::string page(const std::string &name) const;
    bool echoes() const { return m_state != State::AccessPassword && m_state != State::Password; }

    const HostConfig &m_config;
    State m_state;
    std::string m_line;
    bool m_afterCr = false;
    std::string m_memberId;
    std::string m_loginName;
    Clock::time_point m_lastInput;
    bool m_warned = false;
    Clock::time_point m_warnedAt;
    ForumService m_forum;
    std::unique_ptr<HostArea> m_area; // the karaoke area or mail service the caller is in
};

} // namespace kiro::hostsim
