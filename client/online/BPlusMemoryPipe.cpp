#include "client/online/BPlusMemoryPipe.h"

#include <algorithm>
#include <limits>
#include <cstdio>
#include <cstdlib>

namespace kiro::online {

class BPlusMemoryPipe::End : public BPlusLine {
public:
    End(BPlusMemoryPipe& pipe, int side) : m_pipe(pipe), m_side(side) {}

    Read readByte(std::uint8_t& byte, std::chrono::milliseconds timeout, bool stopOnAbort) override
    {
        return m_pipe.read(m_side, byte, timeout, stopOnAbort);
    }
    void write(const std::uint8_t* bytes, std::size_t count) override { m_pipe.write(m_side, bytes, count); }
    bool abortRequested() override { return m_pipe.abortRequested(m_side); }
    bool transferModeEnded() override
    {
        std::lock_guard lock(m_pipe.m_mutex);
        return m_pipe.m_ended[m_side];
    }
    void endTransferMode() override
    {
        std::lock_guard lock(m_pipe.m_mutex);
        m_pipe.m_ended[m_side] = true;
        m_pipe.m_changed.notify_all();
    }
    std::chrono::milliseconds now() override { return std::chrono::milliseconds(m_pipe.virtualMs()); }

private:
    BPlusMemoryPipe& m_pipe;
    int m_side;
};

BPlusMemoryPipe::BPlusMemoryPipe(LineFaults toClient, LineFaults toHost)
{
    m_faults[Client] = toClient;
    m_faults[Host] = toHost;
    m_random[Client].seed(toClient.seed);
    m_random[Host].seed(toHost.seed ^ 0x9E3779B9u);
    m_ends[Client] = std::make_unique<End>(*this, Client);
    m_ends[Host] = std::make_unique<End>(*this, Host);
}

BPlusMemoryPipe::~BPlusMemoryPipe() = default;

BPlusLine& BPlusMemoryPipe::end(Side side) { return *m_ends[side]; }

void BPlusMemoryPipe::requestAbort(Side side)
{
    std::lock_guard lock(m_mutex);
    m_abort[side] = true;
    m_changed.notify_all();
}

void BPlusMemoryPipe::requestAbortAfter(Side side, std::int64_t receivedBytes)
{
    std::lock_guard lock(m_mutex);
    m_abortAfter[side] = receivedBytes;
}

void BPlusMemoryPipe::finish(Side side)
{
    std::lock_guard lock(m_mutex);
    m_finished[side] = true;
    m_changed.notify_all();
}

std::int64_t BPlusMemoryPipe::bytesWritten(Side side) const
{
    std::lock_guard lock(m_mutex);
    return m_written[side];
}

std::int64_t BPlusMemoryPipe::bytesDelivered(Side side) const
{
    std::lock_guard lock(m_mutex);
    return m_delivered[side];
}

std::int64_t BPlusMemoryPipe::virtualMs() const
{
    std::lock_guard lock(m_mutex);
    return m_now / 1000;
}

bool BPlusMemoryPipe::abortRequested(int side)
{
    std::lock_guard lock(m_mutex);
    return m_abort[side] || (m_abortAfter[side] >= 0 && m_received[side] >= m_abortAfter[side]);
}

BPlusLine::Read BPlusMemoryPipe::read(int side, std::uint8_t& byte, std::chrono::milliseconds timeout, bool stopOnAbort)
{
    std::unique_lock lock(m_mutex);
    const int other = 1 - side;
    const std::int64_t deadline = m_now + timeout.count() * 1000;
    constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
    for (;;) {
        if (ready(side)) {
            byte = m_queue[side].front().byte;
            m_queue[side].pop_front();
            ++m_received[side];
            return BPlusLine::Read::Byte;
        }
        if (m_ended[side])
            return BPlusLine::Read::Interrupted;
        if (stopOnAbort && (m_abort[side] || (m_abortAfter[side] >= 0 && m_received[side] >= m_abortAfter[side])))
            return BPlusLine::Read::Interrupted;
        const std::int64_t arrival = m_queue[side].empty() ? kNever : m_queue[side].front().arrivalUs;
        if (m_finished[other] && arrival == kNever) {
            // The far end has gone: after the time-out the line is down.
            m_now = std::max(m_now, deadline);
            m_ended[side] = true;
            m_changed.notify_all();
            return BPlusLine::Read::TimedOut;
        }
        if (m_now >= deadline)
            return BPlusLine::Read::TimedOut;
        // Both ends idle: nothing can happen before the earliest of the
        // time-outs and the arrivals of bytes still on the line.
        const bool otherIdle = m_finished[other] || (m_waiting[other] && !ready(other));
        if (otherIdle) {
            std::int64_t next = std::min(deadline, arrival);
            if (!m_finished[other]) {
                next = std::min(next, m_deadline[other]);
                if (!m_queue[other].empty())
                    next = std::min(next, m_queue[other].front().arrivalUs);
            }
            m_changed.notify_all();
            if (next > m_now) {
                m_now = next;
                continue;
            }
            // The other end's time-out is already due: let it run first.
        }
        m_waiting[side] = true;
        m_deadline[side] = deadline;
        m_changed.wait(lock);
        m_waiting[side] = false;
    }
}

void BPlusMemoryPipe::write(int side, const std::uint8_t* bytes, std::size_t count)
{
    std::lock_guard lock(m_mutex);
    const int to = 1 - side;
    const LineFaults& faults = m_faults[to];
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::uniform_int_distribution<int> flip(1, 255);
    for (std::size_t i = 0; i < count; ++i) {
        ++m_written[side];
        std::uint8_t b = bytes[i];
        if (faults.lossRate > 0 && chance(m_random[to]) < faults.lossRate) {
            if (std::getenv("KIRO_BPLUS_TRACE"))
                std::fprintf(stderr, "pipe %lld lost byte to %d\n", static_cast<long long>(m_now), to);
            continue;
        }
        if (faults.corruptRate > 0 && chance(m_random[to]) < faults.corruptRate) {
            b = static_cast<std::uint8_t>(b ^ flip(m_random[to]));
            if (std::getenv("KIRO_BPLUS_TRACE"))
                std::fprintf(stderr, "pipe %lld corrupted byte to %d at %lld\n", static_cast<long long>(m_now), to, static_cast<long long>(m_written[side]));
        }
        std::int64_t arrival = m_now;
        if (faults.bitsPerSecond > 0) {
            // Ten bits a byte; the line carries one byte after another.
            m_busyUntil[to] = std::max(static_cast<double>(m_now), m_busyUntil[to]) + 1e7 / static_cast<double>(faults.bitsPerSecond);
            arrival = static_cast<std::int64_t>(m_busyUntil[to] + 0.5);
        }
        m_queue[to].push_back({b, arrival});
        ++m_delivered[side];
    }
    m_changed.notify_all();
}

} // namespace kiro::online
