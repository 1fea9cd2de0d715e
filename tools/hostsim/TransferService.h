#pragma once
// The host stand-in's B Plus side: the transfer commands at the main prompt
// ("DOWn <file> PROT:BPL", "UPL <file> PROT:BPL"), the host's own B Plus
// parameters and line faults from the command line, and a transfer run
// over the caller's socket with the host's role of the protocol.

#include "client/online/BPlusHost.h"
#include "client/online/BPlusMemoryPipe.h"

#include <optional>
#include <string>

namespace kiro::hostsim {

class TelnetCodec;

struct TransferSettings {
    online::BPlusHostOptions bplus{};
    online::LineFaults toCaller{};  // faults on the bytes we send
    online::LineFaults fromCaller{};  // faults on the bytes we receive
    std::int64_t bitsPerSecond = 0;  // pacing of what we send; 0 = none
    std::int64_t stallAfterBytes = -1;  // stop sending for stallMs once, after this many bytes
    std::int64_t stallMs = 0;
    std::string uploadDir;  // empty: the content folder's "upload" folder
};

// Applies one setting (--corrupt, --loss, --seed, --bps, --stall, --stall-ms,
// --bp-block, --bp-check, --bp-window, --bp-resume, --bp-info, --upload).
// known is false for a key that is not a transfer setting.
std::optional<std::string> applyTransferSetting(const std::string& key, const std::string& value,
                                                TransferSettings& settings, bool& known);
std::string transferUsage();

struct TransferRequest {
    bool download = true;
    std::string file;  // a plain name (code page 932)
    std::string source;  // the file sent, when not the content folder's file of that name
};

// "DOWn <file> PROT:BPL" (DOW, DOWN) and "UPL <file> PROT:BPL", any case.
std::optional<TransferRequest> parseTransferCommand(const std::string& command);
// Only plain names: a caller cannot reach files outside the folders.
bool plainFileName(const std::string& name);

// Runs one transfer over fd (blocking for its duration), speaking Telnet
// through codec. Returns a line for the log.
// success and bytes (optional) receive the outcome.
std::string runTransfer(int fd, TelnetCodec& codec, const TransferRequest& request, const TransferSettings& settings,
                        const std::string& contentDir, bool* success = nullptr, std::int64_t* bytes = nullptr);

} // namespace kiro::hostsim
