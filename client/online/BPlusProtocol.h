#pragma once
// The B Plus packet layer shared by the client and the host role: packet
// sending with the send-ahead window, acknowledgement collection with
// resynchronisation, packet reading with its retry rules, failure packets,
// and the counters behind the transfer reports. It talks to the line only
// through BPlusLine.

#include "client/online/BPlusCodec.h"
#include "client/online/BPlusLine.h"
#include "client/online/BPlusParameters.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kiro::online::bplus {

// A live peer answers a NAK or an ENQ ENQ within seconds, so the wait that
// triggers one is short, and a peer that has sent nothing at all for the
// silence limit is taken as gone: a dead host costs well under a minute,
// not the ten two-minute attempts a transfer would otherwise grant it.
struct Timeouts {
    std::chrono::milliseconds normal{15000};
    // Once a failure packet went out the peer is expected to answer quickly;
    // this bounds the whole wait for its acknowledgement.
    std::chrono::milliseconds afterFailure{10000};
    std::chrono::milliseconds silence{45000};
    // A packet's bytes come in one burst: a gap this long inside one means
    // its tail was lost, and a NAK now saves the sender's whole time-out.
    std::chrono::milliseconds withinPacket{3000};
};

struct Packet {
    int sequence = 0;
    std::vector<std::uint8_t> data;  // type byte first
    std::uint8_t type() const { return data.empty() ? 0 : data[0]; }
    std::string text(std::size_t from = 1) const;
};

struct Counters {
    std::int64_t rawSent = 0;
    std::int64_t packetsSent = 0;
    std::int64_t sendErrors = 0;
    std::int64_t rawReceived = 0;
    std::int64_t packetsReceived = 0;
    std::int64_t receiveErrors = 0;
    std::int64_t waits = 0;  // DLE ";" seen
};

class Protocol {
public:
    enum class ReadStatus { Packet, Failed, Aborted, Ended };
    enum class SendStatus { Ok, Failed, PeerFailed, Ended, Aborted };

    Protocol(BPlusLine& line, BPlusReportSink* sink, Timeouts timeouts = {});

    // Back to the defaults of a fresh transfer: sequence 0, window 1,
    // 512-byte blocks, checksum, no resume, own quote set.
    void reset();
    void applyAgreement(const Agreement& agreement);
    // The agreement that holds once the peer has our transport parameters:
    // a packet from the peer that checks under it applies it.
    void expectAgreement(const Agreement& agreement) { m_pendingAgreement = agreement; }
    // The table in force for packets sent from now on.
    void setQuoteTable(const QuoteTable& table) { m_quoteTable = table; }

    // Reads the next packet. dleSeen: the caller already consumed the DLE.
    // Aborted only while waiting for a packet to start, when the user asked.
    ReadStatus readPacket(Packet& out, bool dleSeen = false);

    // Places a packet in the send-ahead window (collecting acknowledgements
    // first while the window is full) and sends it.
    SendStatus sendPacket(std::span<const std::uint8_t> data);
    SendStatus sendPacket(const std::string& data);
    // Collects acknowledgements until nothing is outstanding.
    SendStatus flush();
    // A packet the peer sent while we waited for acknowledgements: it stands
    // for the acknowledgement of everything we had sent.
    std::optional<Packet> takePendingPacket();

    void sendAck();
    void sendNak();
    void sendEnqAnswer();  // resets first
    void writeRaw(std::span<const std::uint8_t> bytes);
    // Sends "F" + text and waits for its acknowledgement.
    SendStatus sendFailure(const std::string& text);

    // Reads one raw byte (counted); used by the callers' own loops.
    // Interrupted also once the peer has been silent for the silence limit.
    BPlusLine::Read readRaw(std::uint8_t& byte, bool stopOnAbort);
    // Like readRaw, but gives up at the deadline (a line time from now()).
    BPlusLine::Read readRawUntil(std::uint8_t& byte, std::chrono::milliseconds deadline);
    // True once a read ended because the peer fell silent.
    bool peerSilent() const { return m_peerSilent; }
    // After the last packet: answers the peer's ENQ (its acknowledgement was
    // lost) and repeats of that packet for up to the given time, and stops at
    // the first byte that is not B Plus. Returns that byte, if any.
    std::optional<std::uint8_t> linger(std::chrono::milliseconds time);

    const Counters& counters() const { return m_counters; }
    bool agreed() const { return m_agreed; }
    bool failureSent() const { return m_failureSent; }
    std::size_t blockLength() const { return m_agreement.blockLength; }
    const Agreement& agreement() const { return m_agreement; }
    int maxOutstanding() const { return m_maxOutstanding; }
    int sequence() const { return m_seq; }
    const std::string& peerFailure() const { return m_peerFailure; }
    // Raw byte counts are reported every interval bytes (and at each packet).
    void setReportInterval(int bytes) { m_reportInterval = bytes > 0 ? bytes : 30; }
    BPlusLine& line() { return m_line; }

    void reportStatus(const std::string& text);
    void reportNumber(BPlusReportCode code, std::int64_t value);

private:
    struct Slot {
        int sequence;
        std::vector<std::uint8_t> data;
    };
    // Stale: the late acknowledgement of a packet dropped when the failure
    // packet went out; nothing to do but keep reading.
    enum class AckEvent { Freed, Packet, Error, PeerFailed, Ended, Stale };

    std::chrono::milliseconds timeout() const;
    BPlusLine::Read readFor(std::uint8_t& byte, std::chrono::milliseconds wait, bool stopOnAbort);
    void transmit(const Slot& slot);
    void resendAll();
    SendStatus collectAck();
    // After DLE "B" while collecting: reads the packet (giving up at its
    // first error) and turns it into an event.
    AckEvent packetWhileCollecting();
    // ENQ ENQ, then reads until the same acknowledgement digit comes twice
    // or a packet starts.
    AckEvent resynchronise(bool& resent);
    AckEvent takeDigit(int digit, bool afterResync, bool& resent);
    ReadStatus readPacketBody(Packet& out, int startState, bool collecting);
    void countSent(std::size_t bytes);
    void countReceived();
    void trace(const char* what, int value = 0) const;

    BPlusLine& m_line;
    BPlusReportSink* m_sink;
    Timeouts m_timeouts;
    Counters m_counters;
    Agreement m_agreement;
    QuoteTable m_quoteTable{kOwnQuoteSet};
    int m_seq = 0;
    int m_maxOutstanding = 1;
    int m_resendCounter = 0;
    bool m_agreed = false;
    bool m_failureSent = false;
    std::deque<Slot> m_outstanding;
    std::deque<int> m_dropped;  // sequences given up by sendFailure
    std::optional<Packet> m_pending;
    std::optional<Agreement> m_pendingAgreement;
    std::string m_peerFailure;
    int m_reportInterval = 30;
    std::chrono::milliseconds m_lastHeard{0};
    bool m_peerSilent = false;
    std::chrono::milliseconds m_failureDeadline{0};
    bool m_trace = false;  // KIRO_BPLUS_TRACE set: protocol events to stderr
};

} // namespace kiro::online::bplus
