#include "client/online/BPlusProtocol.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kiro::online::bplus {

namespace {

enum State { WaitDle, WaitB, Sequence, Data, Check };

constexpr int kMaxAttempts = 10;
constexpr int kMaxErrors = 10;
constexpr int kMaxErrorsAfterFailure = 3;
constexpr int kResendWidening = 3;
constexpr int kResendLimit = 11;

} // namespace

std::string Packet::text(std::size_t from) const
{
    if (from >= data.size())
        return {};
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(from), data.end());
}

Protocol::Protocol(BPlusLine& line, BPlusReportSink* sink, Timeouts timeouts)
    : m_line(line), m_sink(sink), m_timeouts(timeouts), m_trace(std::getenv("KIRO_BPLUS_TRACE") != nullptr)
{
}

void Protocol::trace(const char* what, int value) const
{
    if (m_trace)
        std::fprintf(stderr, "bp[%p] %lld %s %d seq=%d out=%zu\n", static_cast<const void*>(this),
                     static_cast<long long>(m_line.now().count()), what, value, m_seq, m_outstanding.size());
}

void Protocol::reset()
{
    m_seq = 0;
    m_agreement = Agreement{};
    m_quoteTable = QuoteTable(kOwnQuoteSet);
    m_maxOutstanding = 1;
    m_resendCounter = 0;
    m_agreed = false;
    m_failureSent = false;
    m_outstanding.clear();
    m_dropped.clear();
    m_pending.reset();
    m_pendingAgreement.reset();
    m_peerFailure.clear();
    m_lastHeard = m_line.now();
    m_peerSilent = false;
}

void Protocol::applyAgreement(const Agreement& agreement)
{
    m_pendingAgreement.reset();
    m_agreement = agreement;
    m_quoteTable = agreement.quoteTable;
    m_maxOutstanding = agreement.maxOutstanding;
    m_agreed = true;
}

std::chrono::milliseconds Protocol::timeout() const
{
    return m_failureSent ? m_timeouts.afterFailure : m_timeouts.normal;
}

void Protocol::reportStatus(const std::string& text)
{
    if (m_sink)
        m_sink->report({BPlusReportCode::Status, text, 0});
}

void Protocol::reportNumber(BPlusReportCode code, std::int64_t value)
{
    if (m_sink)
        m_sink->report({code, {}, value});
}

void Protocol::countSent(std::size_t bytes)
{
    const std::int64_t before = m_counters.rawSent / m_reportInterval;
    m_counters.rawSent += static_cast<std::int64_t>(bytes);
    if (m_counters.rawSent / m_reportInterval != before)
        reportNumber(BPlusReportCode::RawBytesSent, m_counters.rawSent);
}

void Protocol::countReceived()
{
    ++m_counters.rawReceived;
    if (m_counters.rawReceived % m_reportInterval == 0)
        reportNumber(BPlusReportCode::RawBytesReceived, m_counters.rawReceived);
}

BPlusLine::Read Protocol::readRaw(std::uint8_t& byte, bool stopOnAbort)
{
    return readFor(byte, timeout(), stopOnAbort);
}

BPlusLine::Read Protocol::readRawUntil(std::uint8_t& byte, std::chrono::milliseconds deadline)
{
    return readFor(byte, std::max(deadline - m_line.now(), std::chrono::milliseconds(0)), false);
}

BPlusLine::Read Protocol::readFor(std::uint8_t& byte, std::chrono::milliseconds wait, bool stopOnAbort)
{
    const std::chrono::milliseconds now = m_line.now();
    // Past the silence limit, or past the whole wait a failure packet is
    // granted, nothing more is to be expected from the peer.
    std::chrono::milliseconds limit = m_lastHeard + m_timeouts.silence;
    if (m_failureSent)
        limit = std::min(limit, m_failureDeadline);
    if (now >= limit) {
        m_peerSilent = true;
        return BPlusLine::Read::Interrupted;
    }
    const bool limitFirst = limit - now <= wait;
    const BPlusLine::Read r = m_line.readByte(byte, std::min(wait, limit - now), stopOnAbort);
    if (r == BPlusLine::Read::Byte) {
        countReceived();
        m_lastHeard = m_line.now();
    } else if (r == BPlusLine::Read::TimedOut && limitFirst) {
        trace("peer silent");
        m_peerSilent = true;
        return BPlusLine::Read::Interrupted;
    }
    return r;
}

std::optional<std::uint8_t> Protocol::linger(std::chrono::milliseconds time)
{
    const std::chrono::milliseconds deadline = m_line.now() + time;
    const int checkLength = m_agreement.check == CheckMethod::Crc16 ? 2 : 1;
    bool inPacket = false;
    bool quoted = false;
    int checkLeft = -1;  // counting the check bytes of a repeated packet
    for (;;) {
        std::uint8_t b = 0;
        if (readRawUntil(b, deadline) != BPlusLine::Read::Byte)
            return std::nullopt;
        if (inPacket) {
            // A repeat of the last packet: our acknowledgement was lost.
            if (quoted) {
                quoted = false;
            } else if (b == DLE) {
                quoted = true;
                continue;
            } else if (checkLeft < 0 && b == ETX) {
                checkLeft = checkLength;
                continue;
            }
            if (checkLeft > 0 && --checkLeft == 0) {
                sendAck();
                inPacket = false;
                checkLeft = -1;
            }
            continue;
        }
        if ((b & 0x7F) == ENQ) {
            trace("linger: ENQ answered");
            sendAck();
        } else if (b == DLE) {
            inPacket = true;
        } else if (b != NAK) {
            return b;
        }
    }
}

void Protocol::writeRaw(std::span<const std::uint8_t> bytes)
{
    m_line.write(bytes.data(), bytes.size());
    countSent(bytes.size());
}

void Protocol::sendAck()
{
    const std::uint8_t ack[2] = {DLE, static_cast<std::uint8_t>('0' + m_seq)};
    writeRaw(ack);
}

void Protocol::sendNak()
{
    const std::uint8_t nak[1] = {NAK};
    writeRaw(nak);
}

void Protocol::sendEnqAnswer()
{
    reset();
    const std::uint8_t answer[5] = {DLE, '+', '+', DLE, '0'};
    writeRaw(answer);
}

Protocol::ReadStatus Protocol::readPacket(Packet& out, bool dleSeen)
{
    return readPacketBody(out, dleSeen ? WaitB : WaitDle, false);
}

Protocol::ReadStatus Protocol::readPacketBody(Packet& out, int startState, bool collecting)
{
    int state = startState;
    int failures = 0;
    bool nakSent = false;
    // Both ends quote ENQ inside packets, so a bare one is the sender's
    // resynchronisation: the packet it interrupts is lost.
    bool resyncInPacket = false;
    bool quoted = false;
    int sequence = 0;
    std::vector<std::uint8_t> data;
    std::uint8_t checkBytes[2] = {0, 0};
    int checkCount = 0;
    // While our transport parameters await their acknowledgement, the
    // peer's next packet (which stands for it) already uses the agreement.
    const bool dual = m_pendingAgreement && m_pendingAgreement->check != m_agreement.check;
    const CheckMethod altMethod = dual ? m_pendingAgreement->check : m_agreement.check;
    const int maxCheckLength = (m_agreement.check == CheckMethod::Crc16 || altMethod == CheckMethod::Crc16) ? 2 : 1;
    PacketCheck check(m_agreement.check);
    PacketCheck alt(altMethod);
    auto addCheck = [&](std::uint8_t byte) {
        check.add(byte);
        alt.add(byte);
    };

    for (;;) {
        bool bad = false;
        std::uint8_t b = 0;
        const bool waiting = state == WaitDle;
        if (waiting && m_line.abortRequested() && !m_failureSent)
            return ReadStatus::Aborted;
        // The user's abort also ends a packet that stalled half-way.
        const BPlusLine::Read r =
            waiting ? readRaw(b, !m_failureSent)
                    : readFor(b, std::min(timeout(), m_timeouts.withinPacket), !m_failureSent);
        if (r == BPlusLine::Read::Interrupted) {
            if (m_line.transferModeEnded() || m_peerSilent)
                return ReadStatus::Ended;
            if (m_line.abortRequested() && !m_failureSent)
                return ReadStatus::Aborted;
            return ReadStatus::Ended;
        }
        if (r == BPlusLine::Read::TimedOut) {
            bad = true;
        } else {
            switch (state) {
            case WaitDle:
                if ((b & 0x7F) == DLE) {
                    state = WaitB;
                } else if ((b & 0x7F) == ENQ) {
                    // The sender resynchronised and will resend: its next
                    // attempt earns a NAK of its own if it is damaged too.
                    sendAck();
                    nakSent = false;
                }
                break;
            case WaitB:
                if (b == 'B') {
                    state = Sequence;
                } else {
                    if ((b & 0x7F) == ENQ) {
                        sendAck();
                        nakSent = false;
                    } else if (b == ';')
                        ++m_counters.waits;
                    state = WaitDle;
                }
                break;
            case Sequence:
                if (b >= '0' && b <= '9') {
                    sequence = b - '0';
                    data.clear();
                    quoted = false;
                    checkCount = 0;
                    check = PacketCheck(m_agreement.check);
                    alt = PacketCheck(altMethod);
                    addCheck(b);
                    state = Data;
                } else {
                    bad = true;
                }
                break;
            case Data:
                if (quoted) {
                    quoted = false;
                    data.push_back(unquote(b));
                    addCheck(data.back());
                } else if (b == ETX) {
                    addCheck(ETX);
                    state = Check;
                } else if (b == DLE) {
                    quoted = true;
                } else if (b == ENQ) {
                    resyncInPacket = true;
                } else {
                    data.push_back(b);
                    addCheck(b);
                }
                if (data.size() > kReceiveBufferSize)
                    bad = true;
                break;
            case Check:
                if (quoted) {
                    quoted = false;
                    checkBytes[checkCount++] = unquote(b);
                } else if (b == DLE) {
                    quoted = true;
                } else if (b == ENQ) {
                    resyncInPacket = true;
                    break;
                } else {
                    checkBytes[checkCount++] = b;
                }
                if (checkCount == 0 || quoted)
                    break;
                {
                    auto matches = [&](const PacketCheck& c) {
                        const std::vector<std::uint8_t> expected = c.bytes();
                        return static_cast<int>(expected.size()) == checkCount && expected[0] == checkBytes[0]
                               && (checkCount == 1 || expected[1] == checkBytes[1]);
                    };
                    bool ok = !data.empty() && matches(check);
                    if (!ok && dual && !data.empty() && matches(alt)) {
                        ok = true;
                        applyAgreement(*m_pendingAgreement);
                    }
                    if (!ok) {
                        if (checkCount < maxCheckLength)
                            break;  // the second byte of a CRC
                        trace("check mismatch, length", static_cast<int>(data.size()));
                        bad = true;
                        break;
                    }
                    if (data[0] == 'F' || sequence == nextSequence(m_seq)) {
                        m_seq = sequence;
                        ++m_counters.packetsReceived;
                        reportNumber(BPlusReportCode::PacketsReceived, m_counters.packetsReceived);
                        reportNumber(BPlusReportCode::RawBytesReceived, m_counters.rawReceived);
                        out.sequence = sequence;
                        out.data = std::move(data);
                        return ReadStatus::Packet;
                    }
                    if (sequence == m_seq) {
                        // Our acknowledgement was lost: say it again, skip the copy.
                        sendAck();
                        state = WaitDle;
                        break;
                    }
                    // A sound packet from further ahead: the one we wait for
                    // was lost. It is not a failed attempt at that packet, but
                    // the sender should hear at once that it must go back.
                    trace("ahead of sequence", sequence);
                    if (!m_agreed || !nakSent) {
                        sendNak();
                        nakSent = true;
                    }
                    state = WaitDle;
                }
                break;
            default:
                break;
            }
        }
        if (resyncInPacket) {
            resyncInPacket = false;
            trace("ENQ inside a packet");
            ++m_counters.receiveErrors;
            reportNumber(BPlusReportCode::ReceiveErrors, m_counters.receiveErrors);
            if (collecting || ++failures > kMaxAttempts)
                return ReadStatus::Failed;
            sendAck();
            nakSent = false;
            state = WaitDle;
            quoted = false;
            continue;
        }
        if (!bad)
            continue;
        trace(r == BPlusLine::Read::TimedOut ? "read timeout" : "read bad", state * 100 + sequence);
        ++m_counters.receiveErrors;
        reportNumber(BPlusReportCode::ReceiveErrors, m_counters.receiveErrors);
        if (collecting)
            return ReadStatus::Failed;
        if (++failures > kMaxAttempts) {
            trace("read gives up");
            return ReadStatus::Failed;
        }
        // With packets in flight one NAK per packet is enough: the sender
        // resynchronises and resends everything from the damaged one.
        if (!m_agreed || !nakSent) {
            sendNak();
            nakSent = true;
        }
        state = WaitDle;
        quoted = false;
    }
}

void Protocol::transmit(const Slot& slot)
{
    const std::vector<std::uint8_t> bytes = encodePacket(slot.sequence, slot.data, m_quoteTable, m_agreement.check);
    writeRaw(bytes);
    ++m_counters.packetsSent;
    reportNumber(BPlusReportCode::RawBytesSent, m_counters.rawSent);
    reportNumber(BPlusReportCode::PacketsSent, m_counters.packetsSent);
}

void Protocol::resendAll()
{
    trace("resend all");
    for (const Slot& slot : m_outstanding)
        transmit(slot);
}

Protocol::SendStatus Protocol::sendPacket(const std::string& data)
{
    return sendPacket(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

Protocol::SendStatus Protocol::sendPacket(std::span<const std::uint8_t> data)
{
    while (static_cast<int>(m_outstanding.size()) >= m_maxOutstanding) {
        const SendStatus s = collectAck();
        if (s != SendStatus::Ok)
            return s;
    }
    m_seq = nextSequence(m_seq);
    m_outstanding.push_back({m_seq, std::vector<std::uint8_t>(data.begin(), data.end())});
    transmit(m_outstanding.back());
    return SendStatus::Ok;
}

Protocol::SendStatus Protocol::flush()
{
    while (!m_outstanding.empty()) {
        const SendStatus s = collectAck();
        if (s != SendStatus::Ok)
            return s;
    }
    return SendStatus::Ok;
}

std::optional<Packet> Protocol::takePendingPacket()
{
    std::optional<Packet> p = std::move(m_pending);
    m_pending.reset();
    return p;
}

Protocol::SendStatus Protocol::sendFailure(const std::string& text)
{
    m_failureSent = true;
    m_failureDeadline = m_line.now() + m_timeouts.afterFailure;
    // Whatever was still in flight no longer matters, but its acknowledgements
    // may still arrive and are no errors.
    m_dropped.clear();
    for (const Slot& slot : m_outstanding)
        m_dropped.push_back(slot.sequence);
    m_outstanding.clear();
    const SendStatus s = sendPacket("F" + text);
    if (s != SendStatus::Ok)
        return s;
    return flush();
}

Protocol::AckEvent Protocol::takeDigit(int digit, bool afterResync, bool& resent)
{
    if (m_outstanding.empty())
        return AckEvent::Freed;
    if (!afterResync) {
        const auto stale = std::find(m_dropped.begin(), m_dropped.end(), digit);
        if (stale != m_dropped.end()) {
            m_dropped.erase(m_dropped.begin(), stale + 1);
            return AckEvent::Stale;
        }
    }
    const int oldest = m_outstanding.front().sequence;
    AckEvent event = AckEvent::Error;
    if (digit == oldest) {
        m_outstanding.pop_front();
        event = AckEvent::Freed;
    } else if (m_outstanding.size() >= 2 && digit == m_outstanding[1].sequence) {
        m_outstanding.pop_front();
        m_outstanding.pop_front();
        event = AckEvent::Freed;
    } else if (afterResync && digit == previousSequence(oldest)) {
        event = AckEvent::Freed;  // nothing freed, but nothing wrong either
    }
    if (event == AckEvent::Freed && !afterResync && m_resendCounter > 0)
        --m_resendCounter;
    // Right after a resynchronisation the peer has seen everything we sent
    // before the ENQs, so whatever is still outstanding never arrived.
    if (event == AckEvent::Freed && afterResync && !m_outstanding.empty()) {
        resendAll();
        resent = true;
        m_resendCounter += kResendWidening;
        if (m_resendCounter > kResendLimit)
            m_maxOutstanding = 1;
    }
    return event;
}

Protocol::AckEvent Protocol::packetWhileCollecting()
{
    Packet p;
    const ReadStatus r = readPacketBody(p, Sequence, true);
    if (r == ReadStatus::Ended)
        return AckEvent::Ended;
    if (r != ReadStatus::Packet)
        return AckEvent::Error;
    if (p.type() == 'F') {
        sendAck();
        m_peerFailure = p.text();
        m_outstanding.clear();
        return AckEvent::PeerFailed;
    }
    // The peer only sends once it has everything we sent.
    m_outstanding.clear();
    m_pending = std::move(p);
    return AckEvent::Packet;
}

Protocol::AckEvent Protocol::resynchronise(bool& resent)
{
    const std::uint8_t enqs[2] = {ENQ, ENQ};
    writeRaw(enqs);
    // One time-out for the whole answer: bytes that are no acknowledgement
    // (the peer's NAKs, noise) must not keep the wait going.
    const std::chrono::milliseconds deadline = m_line.now() + timeout();
    int lastDigit = -1;
    bool afterDle = false;
    for (;;) {
        std::uint8_t b = 0;
        const BPlusLine::Read r = readRawUntil(b, deadline);
        if (r == BPlusLine::Read::Interrupted)
            return AckEvent::Ended;
        if (r == BPlusLine::Read::TimedOut)
            return AckEvent::Error;
        if (afterDle) {
            afterDle = false;
            if (b >= '0' && b <= '9') {
                const int digit = b - '0';
                if (digit == lastDigit)
                    return takeDigit(digit, true, resent);
                lastDigit = digit;
            } else if (b == 'B') {
                return packetWhileCollecting();
            }
        } else if (b == DLE) {
            afterDle = true;
        }
    }
}

Protocol::SendStatus Protocol::collectAck()
{
    int errors = 0;
    bool afterDle = false;
    bool resyncAgain = false;
    for (;;) {
        AckEvent event = AckEvent::Freed;
        bool handled = false;
        bool needResync = resyncAgain;
        resyncAgain = false;
        std::uint8_t b = 0;
        const BPlusLine::Read r = needResync ? BPlusLine::Read::TimedOut : readRaw(b, !m_failureSent);
        if (r == BPlusLine::Read::Interrupted) {
            if (!m_line.transferModeEnded() && !m_peerSilent && !m_failureSent && m_line.abortRequested())
                return SendStatus::Aborted;
            return SendStatus::Ended;
        }
        if (r == BPlusLine::Read::TimedOut) {
            needResync = true;
        } else if (afterDle) {
            afterDle = false;
            if (b >= '0' && b <= '9') {
                bool resent = false;
                event = takeDigit(b - '0', false, resent);
                handled = true;
            } else if (b == 'B') {
                event = packetWhileCollecting();
                handled = true;
            } else if (b == ';') {
                ++m_counters.waits;
            } else if (b == DLE) {
                afterDle = true;  // the digit of the first acknowledgement was lost
            } else {
                needResync = true;  // a damaged acknowledgement: ask again now
            }
        } else if (b == DLE) {
            afterDle = true;
        } else if (b == NAK) {
            needResync = true;
        } else if (b == ETX) {
            sendNak();
        } else if (b == ENQ) {
            // The peer waits for an acknowledgement too: ours of its packet
            // was lost while it already sent its next one. Naming the last
            // packet we hold makes it resend, and that packet acknowledges ours.
            trace("ENQ while collecting");
            // The one sequence shared by both directions: the packet before
            // our oldest outstanding one is the last we accepted.
            const int accepted = m_outstanding.empty() ? m_seq : previousSequence(m_outstanding.front().sequence);
            const std::uint8_t ack[2] = {DLE, static_cast<std::uint8_t>('0' + accepted)};
            writeRaw(ack);
        } else if (b >= '0' && b <= '9') {
            needResync = true;  // an acknowledgement whose DLE was damaged
        }

        if (needResync) {
            trace(r == BPlusLine::Read::TimedOut ? "ack timeout" : "nak");
            ++m_counters.sendErrors;
            reportNumber(BPlusReportCode::SendErrors, m_counters.sendErrors);
            if (++errors > (m_failureSent ? kMaxErrorsAfterFailure : kMaxErrors))
                return SendStatus::Failed;
            bool resent = false;
            event = resynchronise(resent);
            handled = true;
            if (event == AckEvent::Freed && resent)
                continue;  // keep collecting for the resent packets
            if (event == AckEvent::Error) {
                resyncAgain = true;  // already counted: try the next ENQ ENQ
                continue;
            }
        }
        if (!handled)
            continue;
        switch (event) {
        case AckEvent::Freed:
        case AckEvent::Packet:
            return SendStatus::Ok;
        case AckEvent::PeerFailed:
            return SendStatus::PeerFailed;
        case AckEvent::Ended:
            return SendStatus::Ended;
        case AckEvent::Stale:
            break;
        case AckEvent::Error:
            trace("ack error");
            ++m_counters.sendErrors;
            reportNumber(BPlusReportCode::SendErrors, m_counters.sendErrors);
            if (++errors > (m_failureSent ? kMaxErrorsAfterFailure : kMaxErrors))
                return SendStatus::Failed;
            // The acknowledgement we wait for may have been the damaged one:
            // resynchronise now rather than after a whole time-out.
            resyncAgain = true;
            break;
        }
    }
}

} // namespace kiro::online::bplus
