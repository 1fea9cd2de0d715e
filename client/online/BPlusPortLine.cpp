#include "client/online/BPlusPortLine.h"

#include "client/online/CommPort.h"

#include <thread>
#include <vector>

namespace kiro::online {

BPlusLine::Read BPlusPortLine::readByte(std::uint8_t& byte, std::chrono::milliseconds timeout, bool stopOnAbort)
{
    const auto deadline = now() + timeout;
    // Bytes come in bursts of up to 80 from the reader thread: spin briefly
    // before resting, so a busy line is not slowed by sleeps.
    int idle = 0;
    for (;;) {
        unsigned char b = 0;
        if (m_port.ReadQueuedByte(b)) {
            byte = b;
            return Read::Byte;
        }
        if (m_port.TransferModeEnded())
            return Read::Interrupted;
        if (stopOnAbort && m_port.TransferAbortRequested())
            return Read::Interrupted;
        if (now() >= deadline)
            return Read::TimedOut;
        if (++idle < 200)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

void BPlusPortLine::write(const std::uint8_t* bytes, std::size_t count)
{
    // One write per packet rather than per byte: the port serialises writes
    // and the bytes reach the line in the same order.
    m_port.Write(bytes, count);
}

bool BPlusPortLine::abortRequested() { return m_port.TransferAbortRequested(); }

bool BPlusPortLine::transferModeEnded() { return m_port.TransferModeEnded(); }

void BPlusPortLine::endTransferMode()
{
    // The host's text after the last packet (its next prompt) may already
    // sit in the ring: hand it to the prompt matcher rather than lose it.
    std::vector<unsigned char> rest = std::move(m_givenBack);
    m_givenBack.clear();
    unsigned char b = 0;
    while (m_port.ReadQueuedByte(b))
        rest.push_back(b);
    m_port.EndTransferMode();
    while (m_port.ReadQueuedByte(b))
        rest.push_back(b);
    if (!rest.empty())
        m_port.dispatch(rest.data(), rest.size());
}

std::chrono::milliseconds BPlusPortLine::now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace kiro::online
