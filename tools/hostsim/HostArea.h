#pragma once
// A service area the caller enters with "go NAME" from the main prompt and
// stays in until it types another "go", "top", "bye" or "off": the karaoke
// area and the mail service. Bytes in, text out, like HostService.

#include "tools/hostsim/TransferService.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kiro::hostsim {

struct HostConfig;

struct AreaReply {
    std::string text; // code page 932
    std::string log;  // a line for the host's log (UTF-8), or empty
    std::optional<TransferRequest> transfer;
};

class HostArea {
public:
    virtual ~HostArea() = default;
    virtual AreaReply enter() = 0;
    // One line the caller typed (code page 932, without its CR).
    virtual AreaReply line(const std::string &text) = 0;
    // The transfer the last reply asked for has ended.
    virtual AreaReply transferEnded(bool success, std::int64_t bytes) = 0;
};

// The area a normalised main-prompt command ("GO KIROKARA") opens, or null.
std::unique_ptr<HostArea> openArea(const std::string &command, const HostConfig &config, const std::string &memberId);

// True for the commands that leave an area for the main prompt.
bool leavesArea(const std::string &command);

// Upper case and single blanks, as the host reads commands.
std::string normaliseCommand(const std::string &text);

} // namespace kiro::hostsim
