#pragma once

#include "client/online/ScriptStep.h"

#include <array>
#include <string>

namespace kiro::online {

// The host session engine's own scripts: the access-network login of both
// roads, the member login, the logout of both roads and the idle logout.
// Japanese prompts are held here as code page 932 bytes; the user-ID and
// password commands are buffers filled before the member login.
class SessionScripts {
public:
    static constexpr std::size_t kMemberFieldSize = 64;

    SessionScripts();
    SessionScripts(const SessionScripts &) = delete;
    SessionScripts &operator=(const SessionScripts &) = delete;

    const ScriptStep *accessNetwork(int road) const { return road == 7 ? m_road7.data() : m_road5.data(); }
    const ScriptStep *memberLogin() const { return m_member.data(); }
    const ScriptStep *logout(int road) const { return road == 7 ? m_logout7.data() : m_logout5.data(); }
    const ScriptStep *idleLogout() const { return m_idleLogout.data(); }

    // "%s\r" with the user ID and the password (code page 932), cut to the
    // buffer so that an over-long setting cannot overrun it.
    void fillMember(const std::string &userId, const std::string &password);

    // Main prompt of the member service, code page 932.
    const std::string &mainPrompt() const { return m_mainPrompt; }

private:
    std::string m_mainPrompt;
    std::string m_doubleLogin;
    char m_userIdCommand[kMemberFieldSize] = "\r";
    char m_passwordCommand[kMemberFieldSize] = "\r";
    std::array<ScriptStep, 2> m_road5{};
    std::array<ScriptStep, 3> m_road7{};
    std::array<ScriptStep, 7> m_member{};
    std::array<ScriptStep, 2> m_logout7{};
    std::array<ScriptStep, 3> m_logout5{};
    std::array<ScriptStep, 2> m_idleLogout{};
};

inline constexpr const char *kCNifCommand = "C NIF\r";
inline constexpr const char *kNiftyCommand = "NIFTY\r";
inline constexpr const char *kMenuOffCommand = "SET MENu OFF\r";
inline constexpr const char *kByeCommand = "bye\r";

} // namespace kiro::online
