#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kiro::link {

struct LinkOptions {
    std::string windir;
    std::string install;
    int tickMs = 500;
    std::string pressWhen;
    std::string command; // login, modem-test, run, receive, versionup
    std::string script;  // run
    bool logout = false; // run --logout
    int course = 10;     // receive --course N
};

// Options come before the command: kiro-link [options] COMMAND [args].
// Returns an error message, or nothing on success.
std::optional<std::string> parseLinkOptions(const std::vector<std::string> &args, LinkOptions &options);

std::string linkUsage();

} // namespace kiro::link
