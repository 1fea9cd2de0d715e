#include "client/online/BPlusTransfer.h"

#include "common/Cp932.h"

#include <cstdio>
#include <system_error>

namespace kiro::online {

using bplus::Packet;
using bplus::Protocol;

namespace {

constexpr std::uint8_t kNul = 0x00;

std::string decimal(std::int64_t value) { return std::to_string(value); }

// The first decimal number at or after index from.
std::int64_t firstNumber(const std::vector<std::uint8_t>& data, std::size_t from)
{
    std::size_t i = from;
    while (i < data.size() && (data[i] < '0' || data[i] > '9'))
        ++i;
    if (i >= data.size())
        return -1;
    std::int64_t value = 0;
    while (i < data.size() && data[i] >= '0' && data[i] <= '9' && value < (std::int64_t{1} << 50))
        value = value * 10 + (data[i++] - '0');
    return value;
}

std::uint16_t fileCrc(const std::filesystem::path& path, std::int64_t& length)
{
    std::ifstream in(path, std::ios::binary);
    std::uint16_t crc = 0xFFFF;
    length = 0;
    char buffer[8192];
    while (in) {
        in.read(buffer, sizeof buffer);
        const std::streamsize n = in.gcount();
        for (std::streamsize i = 0; i < n; ++i)
            crc = bplus::crc16Update(crc, static_cast<std::uint8_t>(buffer[i]));
        length += n;
    }
    return crc;
}

} // namespace

std::optional<std::string> safeLocalName(const std::string& cp932Name)
{
    // Convert first: in code page 932 the byte 0x5C is also a trail byte.
    std::string name = cp932::tryToUtf8(cp932Name).value_or(cp932Name);
    const std::size_t cut = name.find_last_of("/\\");
    if (cut != std::string::npos)
        name = name.substr(cut + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    return name;
}

std::filesystem::path transferFolder(const std::string& parameterText)
{
    std::string folder = parameterText;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    if (folder.empty())
        return parameterText.empty() ? std::filesystem::path(".") : std::filesystem::path("/");
    return std::filesystem::path(folder);
}

BPlusTransfer::BPlusTransfer(BPlusLine& line, BPlusReportSink* sink, BPlusTransferOptions options)
    : m_line(line), m_sink(sink), m_options(options), m_protocol(line, sink, options.timeouts)
{
}

BPlusTransfer::~BPlusTransfer() { join(); }

void BPlusTransfer::Start(const std::string& parameterText)
{
    join();
    m_worker = std::thread([this, parameterText] { run(parameterText); });
}

void BPlusTransfer::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

void BPlusTransfer::status(const std::string& text)
{
    m_outcome.message = text;
    m_protocol.reportStatus(text);
}

void BPlusTransfer::reportText(BPlusReportCode code, const std::string& text)
{
    if (m_sink)
        m_sink->report({code, text, 0});
}

void BPlusTransfer::fail(const std::string& statusText, const std::string& failure)
{
    if (!statusText.empty())
        status(statusText);
    m_protocol.sendFailure(failure);
    m_outcome.success = false;
}

BPlusOutcome BPlusTransfer::run(const std::string& parameterText)
{
    m_outcome = BPlusOutcome{};
    m_folder = transferFolder(parameterText);
    m_fileSize = -1;
    m_startTime = m_line.now();
    m_protocol.reset();
    m_protocol.setReportInterval(30);

    bool escSeen = false;
    bool finished = false;
    while (!finished && !m_line.transferModeEnded()) {
        std::uint8_t b = 0;
        const BPlusLine::Read r = m_protocol.readRaw(b, true);
        if (r == BPlusLine::Read::Interrupted)
            break;  // the user gave up waiting, or transfer mode ended
        if (r == BPlusLine::Read::TimedOut) {
            if (m_line.abortRequested())
                break;
            continue;
        }
        if (b == bplus::ENQ) {
            // Once the parameters are agreed an ENQ is the host asking again
            // for our acknowledgement of its last packet, not a new start.
            if (m_protocol.agreed())
                m_protocol.sendAck();
            else
                m_protocol.sendEnqAnswer();
        } else if (b == bplus::DLE) {
            Packet packet;
            switch (m_protocol.readPacket(packet, true)) {
            case Protocol::ReadStatus::Packet:
                finished = handlePacket(packet) == Next::Finished;
                break;
            case Protocol::ReadStatus::Failed:
                break;
            case Protocol::ReadStatus::Aborted:
            case Protocol::ReadStatus::Ended:
                finished = true;
                break;
            }
        } else if (b == 'I' && escSeen) {
            sendIdentification();
        }
        escSeen = b == bplus::ESC;
    }
    m_outcome.counters = m_protocol.counters();
    if (!m_outcome.success || m_outcome.elapsedMs == 0)
        m_outcome.elapsedMs = (m_line.now() - m_startTime).count();
    if (m_sink)
        m_sink->report({BPlusReportCode::Finished, m_outcome.message, m_outcome.success ? 1 : 0});
    m_line.endTransferMode();
    return m_outcome;
}

void BPlusTransfer::sendIdentification()
{
    std::string text = "#XXX,PB,+";
    int sum = 0;
    for (char c : text)
        sum += static_cast<unsigned char>(c);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", sum);
    text += digits;
    text += '\r';
    m_protocol.writeRaw(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

BPlusTransfer::Next BPlusTransfer::handlePacket(const Packet& packet)
{
    switch (packet.type()) {
    case '+':
        return agreeParameters(packet);
    case 'T':
        transfer(packet);
        return Next::Finished;
    case 'F':
        m_protocol.sendAck();
        status("Failure Packet received...aborting");
        return Next::Finished;
    default:
        fail({}, "NUnknown Packet Type");
        return Next::Finished;
    }
}

BPlusTransfer::Next BPlusTransfer::agreeParameters(const Packet& packet)
{
    const bplus::TransportParameters own = bplus::clientOffer(m_options.speedCode);
    const bplus::TransportParameters peer =
        bplus::TransportParameters::parse(std::span<const std::uint8_t>(packet.data).subspan(1));
    m_protocol.setQuoteTable(bplus::QuoteTable(bplus::kQuoteAll));
    m_protocol.expectAgreement(bplus::agree(own, peer));
    Protocol::SendStatus s = m_protocol.sendPacket(own.encode());
    if (s == Protocol::SendStatus::Ok)
        s = m_protocol.flush();
    if (s != Protocol::SendStatus::Ok) {
        if (s == Protocol::SendStatus::PeerFailed)
            status("Failure Packet received...aborting");
        else if (s == Protocol::SendStatus::Aborted)
            fail("Aborting download per your request", "AAborted by user");
        else
            status("Transfer failure");
        return Next::Finished;
    }
    m_protocol.applyAgreement(bplus::agree(own, peer));
    m_protocol.setReportInterval(bplus::reportIntervalFor(m_options.speedCode));
    // The host may already have sent its next packet in place of the
    // acknowledgement.
    if (std::optional<Packet> next = m_protocol.takePendingPacket())
        return handlePacket(*next);
    return Next::Continue;
}

void BPlusTransfer::transfer(const Packet& packet)
{
    const std::uint8_t direction = packet.data.size() > 1 ? packet.data[1] : 0;
    const std::uint8_t type = packet.data.size() > 2 ? packet.data[2] : 0;
    if (direction != 'D' && direction != 'U') {
        fail("Unimplemented Transfer Function", "NUnimplemented Transfer function");
        return;
    }
    if (type != 'A' && type != 'B') {
        fail("Unimplemented File Type", "NUnimplemented file type");
        return;
    }
    m_outcome.started = true;
    m_outcome.download = direction == 'D';
    reportText(BPlusReportCode::Direction, m_outcome.download ? "Downloading " : "Uploading ");
    reportText(BPlusReportCode::FileType, type == 'A' ? "ASCII" : "Binary");

    std::string wireName;
    for (std::size_t i = 3; i < packet.data.size() && packet.data[i] != kNul; ++i)
        wireName.push_back(static_cast<char>(packet.data[i]));
    const std::optional<std::string> name = safeLocalName(wireName);
    m_outcome.fileName = name.value_or(cp932::tryToUtf8(wireName).value_or(wireName));
    reportText(BPlusReportCode::FileName, m_outcome.fileName);
    if (!name) {
        // A name that is empty or would leave the folder is refused.
        if (m_outcome.download)
            fail("Cannot create file", "CCannot create file");
        else
            fail("Cannot find that file", "MFile not found");
        return;
    }
    const std::filesystem::path path = m_folder / *name;
    if (m_outcome.download)
        download(path);
    else
        upload(path);
}

void BPlusTransfer::reportProgress(std::int64_t remaining)
{
    const std::int64_t elapsedMs = std::max<std::int64_t>((m_line.now() - m_startTime).count(), 1);
    const bplus::Counters& c = m_protocol.counters();
    m_protocol.reportNumber(BPlusReportCode::BytesInFile, m_outcome.bytesInFile);
    m_protocol.reportNumber(BPlusReportCode::DataBytes, m_outcome.dataBytes);
    m_protocol.reportNumber(BPlusReportCode::RawBytesPerSecond, (c.rawSent + c.rawReceived) * 1000 / elapsedMs);
    const std::int64_t dataRate = m_outcome.dataBytes * 1000 / elapsedMs;
    m_protocol.reportNumber(BPlusReportCode::DataBytesPerSecond, dataRate);
    m_protocol.reportNumber(BPlusReportCode::ElapsedSeconds, elapsedMs / 1000);
    if (remaining >= 0) {
        m_protocol.reportNumber(BPlusReportCode::BytesRemaining, remaining);
        if (dataRate > 0)
            m_protocol.reportNumber(BPlusReportCode::RemainingSeconds, remaining / dataRate);
    }
}

bool BPlusTransfer::readDownloadPacket(Packet& packet)
{
    if (std::optional<Packet> pending = m_protocol.takePendingPacket()) {
        packet = std::move(*pending);
        return true;
    }
    switch (m_protocol.readPacket(packet)) {
    case Protocol::ReadStatus::Packet:
        return true;
    case Protocol::ReadStatus::Aborted:
        fail("Aborting download per your request", "AAborted by user");
        return false;
    case Protocol::ReadStatus::Failed:
        status("Download failure");
        return false;
    case Protocol::ReadStatus::Ended:
        status("Download failure");
        return false;
    }
    return false;
}

void BPlusTransfer::download(const std::filesystem::path& path)
{
    std::error_code ec;
    bool resume = false;
    if (std::ifstream(path, std::ios::binary).is_open()) {
        const int level = m_protocol.agreement().downloadResume;
        if (level == 1)
            status("File already exists.");
        resume = level >= 1;
    }
    std::ofstream file;
    if (resume) {
        status("Calculating CRC");
        std::int64_t length = 0;
        const std::uint16_t crc = fileCrc(path, length);
        file.open(path, std::ios::binary | std::ios::app);
        if (!file) {
            fail("Cannot create file", "CCannot create file");
            return;
        }
        const Protocol::SendStatus s =
            m_protocol.sendPacket("Tr" + decimal(length) + " " + decimal(crc) + " ");
        const Protocol::SendStatus flushed = s == Protocol::SendStatus::Ok ? m_protocol.flush() : s;
        if (flushed == Protocol::SendStatus::Aborted) {
            fail("Aborting download per your request", "AAborted by user");
            status("File retained.");
            return;
        }
        if (flushed == Protocol::SendStatus::PeerFailed) {
            file.close();
            setAside(path);
            status("Failure Packet received...aborting");
            return;
        }
        if (flushed != Protocol::SendStatus::Ok) {
            status(m_protocol.peerFailure().empty() ? "Download failure" : "Failure Packet received...aborting");
            status("File retained.");
            return;
        }
        m_outcome.bytesInFile = length;
        status("Host calculating CRC...");
    } else {
        std::filesystem::remove(path, ec);
        file.open(path, std::ios::binary | std::ios::trunc);
        if (!file) {
            fail("Cannot create file", "CCannot create file");
            return;
        }
        m_protocol.sendAck();
    }

    bool firstData = true;
    for (;;) {
        Packet packet;
        if (!readDownloadPacket(packet))
            break;
        const std::uint8_t type = packet.type();
        const std::uint8_t sub = packet.data.size() > 1 ? packet.data[1] : 0;
        if (type == 'N') {
            if (resume && firstData)
                status("Resuming Download");
            firstData = false;
            const auto count = static_cast<std::streamsize>(packet.data.size() - 1);
            file.write(reinterpret_cast<const char*>(packet.data.data() + 1), count);
            if (!file) {
                fail("Write failure...aborting", "EWrite failure");
                break;
            }
            m_outcome.bytesInFile += count;
            m_outcome.dataBytes += count;
            reportProgress(m_fileSize >= 0 ? std::max<std::int64_t>(m_fileSize - m_outcome.bytesInFile, 0) : -1);
            m_protocol.sendAck();
        } else if (type == 'T' && sub == 'C') {
            status("*** Transfer Complete ***");
            file.close();
            if (file.fail()) {
                fail("Failure during close...aborting", "EError during close");
                break;
            }
            m_protocol.sendAck();
            m_outcome.success = true;
            reportProgress(0);
            m_outcome.elapsedMs = (m_line.now() - m_startTime).count();
            // If that acknowledgement is lost the host asks again with ENQ
            // once its wait runs out; its next text ends our wait at once and
            // goes back to the prompt matcher.
            if (const std::optional<std::uint8_t> text =
                    m_protocol.linger(m_options.timeouts.normal + std::chrono::seconds(2)))
                m_line.giveBack(*text);
            return;
        } else if (type == 'T' && sub == 'I') {
            m_protocol.sendAck();
            m_fileSize = firstNumber(packet.data, 4);
            if (m_fileSize >= 0)
                m_protocol.reportNumber(BPlusReportCode::BytesRemaining,
                                        std::max<std::int64_t>(m_fileSize - m_outcome.bytesInFile, 0));
        } else if (type == 'T' && sub == 'f') {
            file.close();
            file.open(path, std::ios::binary | std::ios::trunc);
            if (!file) {
                status("CRC check failed; cannot create file");
                fail({}, "CCannot create file");
                return;
            }
            status("CRC check failed; overwriting file");
            resume = false;
            m_outcome.bytesInFile = 0;
            m_outcome.dataBytes = 0;
            m_protocol.sendAck();
        } else if (type == 'T') {
            fail("Invalid termination Packet...aborting", "NInvalid T Packet");
            break;
        } else if (type == 'F') {
            m_protocol.sendAck();
            if (resume && firstData) {
                file.close();
                setAside(path);
            }
            status("Failure Packet received...aborting");
            break;
        } else {
            fail({}, "NUnknown Packet Type");
            break;
        }
    }
    if (file.is_open())
        file.close();
    m_protocol.reportStatus("File retained.");
}

void BPlusTransfer::setAside(const std::filesystem::path& path)
{
    // The host refused to resume from our part: kept under another name, it
    // no longer stands in the way of the whole file next time.
    std::error_code ec;
    std::filesystem::path aside = path;
    aside += ".old";
    std::filesystem::rename(path, aside, ec);
    if (!ec)
        status("Partial file set aside as " + aside.filename().string());
}

void BPlusTransfer::uploadFailed(Protocol::SendStatus s)
{
    if (s == Protocol::SendStatus::Aborted)
        fail("Aborting the upload per your request", "AAborted by user");
    else
        status(s == Protocol::SendStatus::PeerFailed ? "Failure Packet received...aborting" : "Upload failure");
}

void BPlusTransfer::upload(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!file || ec) {
        fail("Cannot find that file", "MFile not found");
        return;
    }
    m_fileSize = static_cast<std::int64_t>(size);
    m_protocol.reportNumber(BPlusReportCode::BytesRemaining, m_fileSize);
    m_protocol.sendAck();

    std::vector<std::uint8_t> packet;
    const std::size_t blockLength = m_protocol.blockLength();
    for (;;) {
        if (m_line.abortRequested()) {
            fail("Aborting the upload per your request", "AAborted by user");
            return;
        }
        packet.assign(1 + blockLength, 0);
        packet[0] = 'N';
        file.read(reinterpret_cast<char*>(packet.data() + 1), static_cast<std::streamsize>(blockLength));
        const std::streamsize n = file.gcount();
        if (file.bad()) {
            fail("Read failure...aborting", "EFile read failure");
            return;
        }
        if (n == 0)
            break;
        packet.resize(1 + static_cast<std::size_t>(n));
        const Protocol::SendStatus s = m_protocol.sendPacket(packet);
        if (s != Protocol::SendStatus::Ok) {
            uploadFailed(s);
            return;
        }
        m_outcome.bytesInFile += n;
        m_outcome.dataBytes += n;
        reportProgress(m_fileSize - m_outcome.bytesInFile);
    }
    Protocol::SendStatus s = m_protocol.sendPacket("TC");
    if (s == Protocol::SendStatus::Ok)
        s = m_protocol.flush();
    if (s != Protocol::SendStatus::Ok) {
        uploadFailed(s);
        return;
    }
    status("*** Transfer Complete ***");
    m_outcome.success = true;
    reportProgress(0);
}

} // namespace kiro::online
