#pragma once
// Two B Plus line ends joined in memory, with a virtual clock and optional
// line faults, so that a client and a host engine can be run against each
// other on two threads without a port. Time only moves when both ends wait
// for bytes (or one has finished), and then jumps straight to the earliest
// time-out: a lost byte costs no real time, and the outcome does not depend
// on how busy the machine is.

#include "client/online/BPlusLine.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <random>

namespace kiro::online {

struct LineFaults {
    double corruptRate = 0.0;  // chance that a byte is changed
    double lossRate = 0.0;     // chance that a byte is dropped
    std::uint32_t seed = 1;
    // Line speed in bits per second (10 bits a byte, as on an 8N1 serial
    // line); 0 delivers at once.
    std::int64_t bitsPerSecond = 0;
};

class BPlusMemoryPipe {
public:
    enum Side { Client = 0, Host = 1 };

    // faults[Client] apply to bytes travelling to the client, and so on.
    BPlusMemoryPipe(LineFaults toClient = {}, LineFaults toHost = {});
    ~BPlusMemoryPipe();

    BPlusLine& end(Side side);
    // The abort flag of one end, raised at once or after it received count bytes.
    void requestAbort(Side side);
    void requestAbortAfter(Side side, std::int64_t receivedBytes);
    // An end whose engine has returned no longer holds the clock back.
    void finish(Side side);

    std::int64_t bytesWritten(Side side) const;   // as written by that end
    std::int64_t bytesDelivered(Side side) const;  // reached the other end's queue
    std::int64_t virtualMs() const;

private:
    class End;
    friend class End;

    BPlusLine::Read read(int side, std::uint8_t& byte, std::chrono::milliseconds timeout, bool stopOnAbort);
    void write(int side, const std::uint8_t* bytes, std::size_t count);
    bool abortRequested(int side);

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    struct Queued {
        std::uint8_t byte;
        std::int64_t arrivalUs;
    };
    bool ready(int side) const { return !m_queue[side].empty() && m_queue[side].front().arrivalUs <= m_now; }
    std::int64_t m_now = 0;  // microseconds
    std::deque<Queued> m_queue[2];  // bytes on their way to each end
    double m_busyUntil[2] = {0, 0};  // the line towards each end
    bool m_waiting[2] = {false, false};
    std::int64_t m_deadline[2] = {0, 0};
    bool m_finished[2] = {false, false};
    bool m_ended[2] = {false, false};
    bool m_abort[2] = {false, false};
    std::int64_t m_abortAfter[2] = {-1, -1};
    std::int64_t m_received[2] = {0, 0};
    std::int64_t m_written[2] = {0, 0};
    std::int64_t m_delivered[2] = {0, 0};
    LineFaults m_faults[2];
    std::mt19937 m_random[2];
    std::unique_ptr<End> m_ends[2];
};

} // namespace kiro::online
