#pragma once
// The host's side of B Plus, as the online service plays it: it starts the
// protocol with ENQ, offers its own transport parameters, names the file in
// a T packet and then sends it ("TD", optional "TI", data, "TC") or receives
// it ("TU"). The host stand-in runs it over its socket; tests and benchmarks
// run it against BPlusTransfer over an in-memory pipe.

#include "client/online/BPlusLine.h"
#include "client/online/BPlusProtocol.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace kiro::online {

struct BPlusHostOptions {
    bplus::TransportParameters parameters = defaultParameters();
    bplus::Timeouts timeouts{};
    // ENQ is repeated until the client answers: the client may enter
    // transfer mode only after the host has begun.
    std::chrono::milliseconds enqInterval{3000};
    int enqAttempts = 10;
    // How long the acknowledgement of the client's last packet is kept
    // ready for its ENQ. Off by default: the wait would hold back the
    // prompt that follows a transfer, and the client's next command.
    std::chrono::milliseconds lingerAfterUpload{0};
    // Test hooks: a T packet with another direction or file type letter, and
    // a host that fails with failText once failAfterBytes were sent.
    char directionLetter = 0;
    char typeLetter = 0;
    std::int64_t failAfterBytes = -1;
    std::string failText = "EFile read failure";
    // A host that answers a partial file that does not match with a
    // failure packet instead of "Tf".
    bool refuseMismatchedResume = false;

    static bplus::TransportParameters defaultParameters();
};

struct BPlusHostResult {
    bool success = false;
    std::string message;
    std::int64_t bytes = 0;          // data bytes moved
    std::int64_t resumedFrom = 0;    // bytes the client already had
    bplus::Counters counters{};
};

class BPlusHost {
public:
    BPlusHost(BPlusLine& line, BPlusHostOptions options = {});

    // Sends the file at path under the name wireName (code page 932).
    BPlusHostResult sendFile(const std::filesystem::path& path, const std::string& wireName, char fileType = 'B');
    // Receives the file the client holds under wireName into path.
    BPlusHostResult receiveFile(const std::filesystem::path& path, const std::string& wireName, char fileType = 'B');

private:
    bool startProtocol(BPlusHostResult& result);
    bool waitForEnqAnswer();
    bool sendTransferPacket(char direction, char fileType, const std::string& wireName, BPlusHostResult& result);
    bool sendData(std::ifstream& file, std::int64_t size, BPlusHostResult& result);
    BPlusHostResult finish(BPlusHostResult result);

    BPlusLine& m_line;
    BPlusHostOptions m_options;
    bplus::Protocol m_protocol;
};

} // namespace kiro::online
