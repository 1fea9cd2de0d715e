#include "client/online/BPlusHost.h"

#include <fstream>
#include <optional>
#include <system_error>

namespace kiro::online {

using bplus::Packet;
using bplus::Protocol;

namespace {

std::string decimal(std::int64_t value) { return std::to_string(value); }

// Parses "<length> <crc> " from a "Tr" packet.
bool parseResume(const Packet& p, std::int64_t& length, std::int64_t& crc)
{
    const std::string text = p.text(2);
    std::size_t pos = 0;
    auto number = [&](std::int64_t& out) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
            return false;
        out = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && out < (std::int64_t{1} << 50))
            out = out * 10 + (text[pos++] - '0');
        return true;
    };
    return number(length) && number(crc);
}

std::uint16_t prefixCrc(const std::filesystem::path& path, std::int64_t length)
{
    std::ifstream in(path, std::ios::binary);
    std::uint16_t crc = 0xFFFF;
    char buffer[8192];
    while (length > 0 && in) {
        in.read(buffer, std::min<std::int64_t>(length, sizeof buffer));
        const std::streamsize n = in.gcount();
        for (std::streamsize i = 0; i < n; ++i)
            crc = bplus::crc16Update(crc, static_cast<std::uint8_t>(buffer[i]));
        length -= n;
        if (n == 0)
            break;
    }
    return crc;
}

} // namespace

bplus::TransportParameters BPlusHostOptions::defaultParameters()
{
    bplus::TransportParameters t;
    t.windowSend = 1;
    t.windowReceive = 1;
    t.blockSize = 8;
    t.checkMethod = 1;
    t.quoteSet = bplus::kOwnQuoteSet;
    t.downloadResume = 2;
    t.uploadResume = 0;
    t.fileInformation = 1;
    return t;
}

BPlusHost::BPlusHost(BPlusLine& line, BPlusHostOptions options)
    : m_line(line), m_options(std::move(options)), m_protocol(line, nullptr, m_options.timeouts)
{
}

BPlusHostResult BPlusHost::finish(BPlusHostResult result)
{
    result.counters = m_protocol.counters();
    return result;
}

bool BPlusHost::waitForEnqAnswer()
{
    // DLE "+" "+" then the acknowledgement DLE digit.
    static const std::uint8_t kAnswer[4] = {bplus::DLE, '+', '+', bplus::DLE};
    std::size_t matched = 0;
    const auto deadline = m_line.now() + m_options.enqInterval;
    while (m_line.now() < deadline) {
        std::uint8_t b = 0;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - m_line.now());
        const BPlusLine::Read r = m_line.readByte(b, left, false);
        if (r == BPlusLine::Read::Interrupted)
            return false;
        if (r == BPlusLine::Read::TimedOut)
            return false;
        if (matched == 4) {
            if (b >= '0' && b <= '9')
                return true;
            matched = 0;
        }
        if (b == kAnswer[matched])
            ++matched;
        else
            matched = b == bplus::DLE ? 1 : 0;
    }
    return false;
}

bool BPlusHost::startProtocol(BPlusHostResult& result)
{
    m_protocol.reset();
    bool answered = false;
    for (int attempt = 0; attempt < m_options.enqAttempts && !answered; ++attempt) {
        const std::uint8_t enq[1] = {bplus::ENQ};
        m_protocol.writeRaw(enq);
        answered = waitForEnqAnswer();
    }
    if (!answered) {
        result.message = "No answer to ENQ";
        return false;
    }
    m_protocol.reset();
    m_protocol.setQuoteTable(bplus::QuoteTable(bplus::kQuoteAll));
    Protocol::SendStatus s = m_protocol.sendPacket(m_options.parameters.encode());
    if (s == Protocol::SendStatus::Ok)
        s = m_protocol.flush();
    if (s != Protocol::SendStatus::Ok) {
        result.message = s == Protocol::SendStatus::PeerFailed ? m_protocol.peerFailure() : "Parameter exchange failed";
        return false;
    }
    // The client answers our parameters with its own instead of an
    // acknowledgement.
    std::optional<Packet> reply = m_protocol.takePendingPacket();
    if (!reply) {
        Packet p;
        if (m_protocol.readPacket(p) != Protocol::ReadStatus::Packet) {
            result.message = "No transport parameters from the client";
            return false;
        }
        reply = std::move(p);
    }
    if (reply->type() != '+') {
        result.message = "Unexpected packet instead of the transport parameters";
        return false;
    }
    m_protocol.sendAck();
    const auto peer = bplus::TransportParameters::parse(std::span<const std::uint8_t>(reply->data).subspan(1));
    m_protocol.applyAgreement(bplus::agree(m_options.parameters, peer));
    return true;
}

bool BPlusHost::sendTransferPacket(char direction, char fileType, const std::string& wireName, BPlusHostResult& result)
{
    std::string t = "T";
    t += m_options.directionLetter ? m_options.directionLetter : direction;
    t += m_options.typeLetter ? m_options.typeLetter : fileType;
    t += wireName;
    Protocol::SendStatus s = m_protocol.sendPacket(t);
    if (s == Protocol::SendStatus::Ok)
        s = m_protocol.flush();
    if (s != Protocol::SendStatus::Ok) {
        result.message = s == Protocol::SendStatus::PeerFailed ? m_protocol.peerFailure() : "Transfer packet not acknowledged";
        return false;
    }
    return true;
}

bool BPlusHost::sendData(std::ifstream& file, std::int64_t size, BPlusHostResult& result)
{
    std::vector<std::uint8_t> packet;
    const std::size_t blockLength = m_protocol.blockLength();
    std::int64_t offset = result.resumedFrom;
    while (offset < size) {
        if (m_options.failAfterBytes >= 0 && result.bytes >= m_options.failAfterBytes) {
            m_protocol.sendFailure(m_options.failText);
            result.message = "Host failure sent";
            return false;
        }
        const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(blockLength, size - offset));
        packet.assign(1 + n, 'N');
        file.read(reinterpret_cast<char*>(packet.data() + 1), static_cast<std::streamsize>(n));
        if (file.gcount() != static_cast<std::streamsize>(n)) {
            m_protocol.sendFailure("EFile read failure");
            result.message = "Read failure";
            return false;
        }
        const Protocol::SendStatus s = m_protocol.sendPacket(packet);
        if (s != Protocol::SendStatus::Ok) {
            result.message = s == Protocol::SendStatus::PeerFailed ? m_protocol.peerFailure() : "Send failure";
            return false;
        }
        offset += static_cast<std::int64_t>(n);
        result.bytes += static_cast<std::int64_t>(n);
    }
    return true;
}

BPlusHostResult BPlusHost::sendFile(const std::filesystem::path& path, const std::string& wireName, char fileType)
{
    BPlusHostResult result;
    std::ifstream file(path, std::ios::binary);
    std::error_code ec;
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path, ec));
    if (!file || ec) {
        result.message = "File not found";
        return result;
    }
    if (!startProtocol(result) || !sendTransferPacket('D', fileType, wireName, result))
        return finish(result);

    // A client holding part of the file answers with "Tr" and its length
    // and CRC; we go on after that part only when our copy matches.
    if (std::optional<Packet> reply = m_protocol.takePendingPacket()) {
        std::int64_t length = 0;
        std::int64_t crc = 0;
        if (reply->type() != 'T' || reply->data.size() < 2 || reply->data[1] != 'r'
            || !parseResume(*reply, length, crc)) {
            m_protocol.sendFailure("NInvalid T Packet");
            result.message = "Unexpected reply to the transfer packet";
            return finish(result);
        }
        m_protocol.sendAck();
        if (length <= size && prefixCrc(path, length) == crc) {
            result.resumedFrom = length;
        } else if (m_options.refuseMismatchedResume) {
            m_protocol.sendFailure("NResume refused");
            result.message = "Resume refused";
            return finish(result);
        } else if (m_protocol.sendPacket("Tf") != Protocol::SendStatus::Ok) {
            result.message = "Overwrite packet not acknowledged";
            return finish(result);
        }
    }
    if (m_protocol.agreement().fileInformation) {
        std::string info = "TI";
        info += fileType;
        info += '0';
        info += decimal(size) + " ";
        if (m_protocol.sendPacket(info) != Protocol::SendStatus::Ok) {
            result.message = "Send failure";
            return finish(result);
        }
    }
    file.seekg(result.resumedFrom);
    if (!sendData(file, size, result))
        return finish(result);
    Protocol::SendStatus s = m_protocol.sendPacket("TC");
    if (s == Protocol::SendStatus::Ok)
        s = m_protocol.flush();
    if (s != Protocol::SendStatus::Ok) {
        result.message = s == Protocol::SendStatus::PeerFailed ? m_protocol.peerFailure() : "Send failure";
        return finish(result);
    }
    result.success = true;
    result.message = "Transfer complete";
    return finish(result);
}

BPlusHostResult BPlusHost::receiveFile(const std::filesystem::path& path, const std::string& wireName, char fileType)
{
    BPlusHostResult result;
    if (!startProtocol(result) || !sendTransferPacket('U', fileType, wireName, result))
        return finish(result);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        m_protocol.sendFailure("CCannot create file");
        result.message = "Cannot create file";
        return finish(result);
    }
    for (;;) {
        Packet p;
        if (std::optional<Packet> pending = m_protocol.takePendingPacket()) {
            p = std::move(*pending);
        } else if (m_protocol.readPacket(p) != Protocol::ReadStatus::Packet) {
            result.message = "Receive failure";
            return finish(result);
        }
        const std::uint8_t sub = p.data.size() > 1 ? p.data[1] : 0;
        if (p.type() == 'N') {
            file.write(reinterpret_cast<const char*>(p.data.data() + 1), static_cast<std::streamsize>(p.data.size() - 1));
            result.bytes += static_cast<std::int64_t>(p.data.size() - 1);
            m_protocol.sendAck();
        } else if (p.type() == 'T' && sub == 'C') {
            file.close();
            m_protocol.sendAck();
            // Answer the client's ENQ should that acknowledgement be lost.
            if (m_options.lingerAfterUpload.count() > 0)
                m_protocol.linger(m_options.lingerAfterUpload);
            result.success = static_cast<bool>(file);
            result.message = result.success ? "Transfer complete" : "Error during close";
            return finish(result);
        } else if (p.type() == 'F') {
            m_protocol.sendAck();
            result.message = p.text();
            return finish(result);
        } else {
            m_protocol.sendFailure("NInvalid T Packet");
            result.message = "Unexpected packet";
            return finish(result);
        }
    }
}

} // namespace kiro::online
