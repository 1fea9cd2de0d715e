#pragma once
// What a B Plus engine needs from the line: the transfer ring on the reading
// side, a writer, the user's abort flag and the end of transfer mode. The
// client role runs over the port (BPlusPortLine), the host stand-in over its
// socket, and tests over an in-memory pipe with a virtual clock.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kiro::online {

class BPlusLine {
public:
    enum class Read { Byte, TimedOut, Interrupted };

    virtual ~BPlusLine() = default;

    // Waits up to timeout for the next received byte. Interrupted when
    // transfer mode has ended, or (with stopOnAbort) when the abort flag is
    // set while waiting, so that a silent line does not hold a cancelled
    // transfer for minutes. Once the engine acts on the abort it still reads
    // the acknowledgement of its failure packet, hence the switch.
    virtual Read readByte(std::uint8_t& byte, std::chrono::milliseconds timeout, bool stopOnAbort) = 0;
    virtual void write(const std::uint8_t* bytes, std::size_t count) = 0;
    virtual bool abortRequested() = 0;
    virtual bool transferModeEnded() = 0;
    virtual void endTransferMode() = 0;
    // A byte read from the transfer ring that turned out to be the host's
    // text after the transfer: it goes to the prompt matcher when transfer
    // mode ends rather than being lost.
    virtual void giveBack(std::uint8_t) {}
    // A monotonic clock for rates and elapsed time.
    virtual std::chrono::milliseconds now() = 0;
};

// The transfer reports, by code (text reports use text, the others value).
enum class BPlusReportCode : int {
    Status = 0,
    Direction = 1,
    FileType = 2,
    FileName = 3,
    RawBytesSent = 4,
    PacketsSent = 5,
    SendErrors = 6,
    RawBytesReceived = 7,
    PacketsReceived = 8,
    ReceiveErrors = 9,
    BytesRemaining = 10,
    BytesInFile = 11,
    DataBytes = 12,
    RawBytesPerSecond = 13,
    DataBytesPerSecond = 14,
    ElapsedSeconds = 15,
    RemainingSeconds = 16,
    // The transfer is over: value 1 when it succeeded, text its last status.
    // Sent before transfer mode ends, so it comes before the host's prompt.
    Finished = 17,
};

struct BPlusReport {
    BPlusReportCode code = BPlusReportCode::Status;
    std::string text;  // UTF-8
    std::int64_t value = 0;
};

// Receives reports on the worker thread; implementations queue them to the
// thread that shows them.
class BPlusReportSink {
public:
    virtual ~BPlusReportSink() = default;
    virtual void report(const BPlusReport& report) = 0;
};

} // namespace kiro::online
