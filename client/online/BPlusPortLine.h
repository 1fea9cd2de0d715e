#pragma once
// The client's B Plus line over the port: bytes come from the port's
// transfer ring (polled, as the ring never blocks), go out through
// CommPort::Write, and the abort flag and the end of transfer mode are the
// port's own.

#include "client/online/BPlusLine.h"

#include <vector>

namespace kiro::online {

class CommPort;

class BPlusPortLine : public BPlusLine {
public:
    explicit BPlusPortLine(CommPort& port) : m_port(port) {}

    Read readByte(std::uint8_t& byte, std::chrono::milliseconds timeout, bool stopOnAbort) override;
    void write(const std::uint8_t* bytes, std::size_t count) override;
    bool abortRequested() override;
    bool transferModeEnded() override;
    void endTransferMode() override;
    void giveBack(std::uint8_t byte) override { m_givenBack.push_back(byte); }
    std::chrono::milliseconds now() override;

private:
    CommPort& m_port;
    std::vector<unsigned char> m_givenBack;  // transfer thread only
};

} // namespace kiro::online
