#pragma once

#include <cstdint>
#include <string>

namespace kiro::online {

// Where a running transfer sends its progress. The host session implements
// it; every call may come from the transfer's worker thread and is only
// queued to the main thread (it never blocks and never touches the session).
//
// Codes: 1 text = direction ("D..." download, else upload); 3 text = file
// name; 6 and 9 number = error count; 10 number = remaining bytes (0 = the
// transfer is over); 11 number = bytes moved; 13 number = rate in bytes per
// second; 17 number = the transfer is over (1 succeeded, 0 failed), text =
// its last status, posted before transfer mode ends. Other codes are ignored.
class TransferReportSink {
public:
    virtual ~TransferReportSink() = default;
    virtual void postTransferReport(int code, std::string text, std::int64_t value) = 0;
};

// Starts the B Plus engine for a kind-4 script step. The parameter is the
// step's command text (UTF-8), e.g. the local folder that receives the
// file. start() puts the port into transfer mode before it returns and runs
// the transfer on its own thread; when the transfer ends the engine leaves
// transfer mode (CommPort::EndTransferMode), after which the session's
// prompt matcher sees the host's output again. The transfer stops early when
// the port's transfer abort flag is set.
// Returns false when the transfer could not be started at all (the step then
// waits for its prompts or its time-out like any other).
class TransferStarter {
public:
    virtual ~TransferStarter() = default;
    virtual bool start(const std::string &parameter, TransferReportSink &reports) = 0;
};

} // namespace kiro::online
