#pragma once

#include "client/online/LineWatcher.h"
#include "client/online/PromptMatcher.h"
#include "client/online/ReceiveHandler.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kiro::online {

// The host session's consumer of received bytes, shared between the port's
// reader thread (which feeds it) and the main thread (which arms it and makes
// time-out reports). It guarantees at most one report per armed step: a
// prompt and a time-out that complete at the same moment yield one report,
// and no second report is made while one is still waiting to be handled.
//
// The state is guarded by a small mutex rather than the original's ordering
// of plain flags: the reader thread and the main thread both touch the match
// buffer, and the lock costs nothing at line speed.
class SessionLineTap final : public ReceiveHandler {
public:
    // Called on the reader thread (or the main thread for a time-out report)
    // with outcome index 0..5, 32 or 33 and the text. Must only queue.
    using ReportSink = std::function<void(int index, std::string text)>;

    void setSink(ReportSink sink);

    // Reader thread: one byte that is not part of a transfer.
    void onByte(unsigned char byte);
    void onBytes(const char *data, std::size_t length);

    // Main thread: publishes the step and clears the line buffer.
    void arm(MatchArm arm);

    // Main thread: reports outcome 0 (time-out or cancellation) unless a
    // report is already waiting to be handled. Returns true when it posted.
    bool reportTimeout();

    // Main thread: the waiting report has been handled.
    void acknowledge();

    bool armed() const;

    // The port's byte dispatcher. A byte that comes between matchArmed() and
    // matchByte() while the main thread reports a time-out goes to the line
    // watcher, as if the step had not been armed.
    bool matchArmed() const override { return armed(); }
    void matchByte(unsigned char byte) override { onByte(byte); }
    void watchByte(unsigned char byte) override { onByte(byte); }
    void clearMatchBuffer() override;
    // Reported to the sink as kCarrierLostIndex.
    void carrierLost() override;
    static constexpr int kCarrierLostIndex = 34;

private:
    enum class State { Idle, Armed, Reported };

    mutable std::mutex m_mutex;
    PromptMatcher m_matcher;
    LineWatcher m_watcher;
    State m_state = State::Idle;
    ReportSink m_sink;
};

} // namespace kiro::online
