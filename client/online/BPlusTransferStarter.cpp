#include "client/online/BPlusTransferStarter.h"

#include "client/online/CommPort.h"

#include <algorithm>
#include <chrono>

namespace kiro::online {

class BPlusTransferStarter::SinkAdapter : public BPlusReportSink {
public:
    explicit SinkAdapter(TransferReportSink& reports) : m_reports(reports) {}
    void report(const BPlusReport& r) override { m_reports.postTransferReport(static_cast<int>(r.code), r.text, r.value); }

private:
    TransferReportSink& m_reports;
};

BPlusTransferStarter::BPlusTransferStarter(CommPort& port, BPlusTransferOptions options,
                                           std::function<void(const BPlusOutcome&)> onFinished)
    : m_port(port), m_options(options), m_onFinished(std::move(onFinished)), m_line(port)
{
}

BPlusTransferStarter::~BPlusTransferStarter()
{
    // A transfer still running holds the line; ending transfer mode stops it.
    if (m_worker.joinable() && !m_port.TransferModeEnded())
        m_port.RequestTransferAbort();
    join();
}

void BPlusTransferStarter::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

bplus::Timeouts BPlusTransferStarter::timeoutsForTick(std::chrono::milliseconds tick)
{
    static constexpr std::chrono::milliseconds kSessionTick{500};
    const bplus::Timeouts normal{};
    if (tick.count() <= 0 || tick == kSessionTick)
        return normal;
    auto scale = [tick](std::chrono::milliseconds t) {
        return std::max(std::chrono::milliseconds(t.count() * tick.count() / kSessionTick.count()),
                        std::chrono::milliseconds(1));
    };
    return {scale(normal.normal), scale(normal.afterFailure), scale(normal.silence), scale(normal.withinPacket)};
}

bool BPlusTransferStarter::start(const std::string& parameter, TransferReportSink& reports)
{
    // Each transfer step starts a fresh worker with fresh defaults; the
    // previous one has ended transfer mode before its step could go on.
    join();
    m_port.BeginTransferMode();
    m_sink = std::make_unique<SinkAdapter>(reports);
    m_transfer = std::make_unique<BPlusTransfer>(m_line, m_sink.get(), m_options);
    m_worker = std::thread([this, parameter] {
        const BPlusOutcome outcome = m_transfer->run(parameter);
        if (m_onFinished)
            m_onFinished(outcome);
    });
    return true;
}

} // namespace kiro::online
