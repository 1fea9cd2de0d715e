#pragma once
// Hands a kind-4 script step to B Plus: puts the port into transfer mode,
// runs BPlusTransfer on its worker thread over the port, and passes its
// reports to the host session.

#include "client/online/BPlusPortLine.h"
#include "client/online/BPlusTransfer.h"
#include "client/online/TransferStarter.h"

#include <functional>
#include <memory>
#include <mutex>

namespace kiro::online {

class BPlusTransferStarter : public TransferStarter {
public:
    // onFinished (optional) runs on the worker thread after transfer mode
    // has ended, with the transfer's outcome.
    BPlusTransferStarter(CommPort& port, BPlusTransferOptions options = {},
                         std::function<void(const BPlusOutcome&)> onFinished = {});
    ~BPlusTransferStarter() override;

    bool start(const std::string& parameter, TransferReportSink& reports) override;
    // Waits for a running transfer to end.
    void join();
    // Speed code 8 when the road type is 4 or less, else 10.
    static int speedCodeFor(int roadType) { return roadType <= 4 ? 8 : 10; }
    // The time-outs (120 s, 30 s after a failure packet) at the session's
    // 500 ms tick; tests that shorten the tick shorten these alike.
    static bplus::Timeouts timeoutsForTick(std::chrono::milliseconds tick);
    void setOptions(const BPlusTransferOptions& options) { m_options = options; }

private:
    class SinkAdapter;

    CommPort& m_port;
    BPlusTransferOptions m_options;
    std::function<void(const BPlusOutcome&)> m_onFinished;
    BPlusPortLine m_line;
    std::unique_ptr<SinkAdapter> m_sink;
    std::unique_ptr<BPlusTransfer> m_transfer;
    std::thread m_worker;
};

} // namespace kiro::online
