#include "tools/hostsim/TransferService.h"

#include "tools/hostsim/TelnetCodec.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kiro::hostsim {

namespace {

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::optional<std::string> parseInt(const std::string& key, const std::string& value, long long low, long long high,
                                    long long& out)
{
    try {
        std::size_t used = 0;
        out = std::stoll(value, &used);
        if (used == value.size() && out >= low && out <= high)
            return std::nullopt;
    } catch (...) {
    }
    return key + " must be a number from " + std::to_string(low) + " to " + std::to_string(high) + ": " + value;
}

std::optional<std::string> parseRate(const std::string& key, const std::string& value, double& out)
{
    try {
        std::size_t used = 0;
        out = std::stod(value, &used);
        if (used == value.size() && out >= 0 && out <= 1)
            return std::nullopt;
    } catch (...) {
    }
    return key + " must be a rate from 0 to 1: " + value;
}

// The caller's socket as a B Plus line: Telnet on the wire, faults and
// pacing as configured.
class SocketLine : public online::BPlusLine {
public:
    SocketLine(int fd, TelnetCodec& codec, const TransferSettings& settings)
        : m_fd(fd), m_codec(codec), m_settings(settings), m_outRandom(settings.toCaller.seed),
          m_inRandom(settings.fromCaller.seed ^ 0x5bd1e995u)
    {
        m_start = std::chrono::steady_clock::now();
    }

    Read readByte(std::uint8_t& byte, std::chrono::milliseconds timeout, bool) override
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (m_in.empty()) {
            if (m_closed)
                return Read::Interrupted;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return Read::TimedOut;
            pollfd p{m_fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
            if (ready < 0 && errno != EINTR) {
                m_closed = true;
                continue;
            }
            if (ready <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                if (n < 0 && (errno == EINTR || errno == EAGAIN))
                    continue;
                m_closed = true;
                continue;
            }
            TelnetCodec::Decoded decoded = m_codec.decode(std::string_view(buffer, static_cast<std::size_t>(n)));
            if (!decoded.replies.empty())
                sendAll(decoded.replies);
            std::uniform_real_distribution<double> chance(0, 1);
            std::uniform_int_distribution<int> flip(1, 255);
            for (char c : decoded.data) {
                auto b = static_cast<std::uint8_t>(c);
                if (m_settings.fromCaller.lossRate > 0 && chance(m_inRandom) < m_settings.fromCaller.lossRate)
                    continue;
                if (m_settings.fromCaller.corruptRate > 0 && chance(m_inRandom) < m_settings.fromCaller.corruptRate)
                    b = static_cast<std::uint8_t>(b ^ flip(m_inRandom));
                m_in.push_back(b);
            }
        }
        byte = m_in.front();
        m_in.pop_front();
        return Read::Byte;
    }

    void write(const std::uint8_t* bytes, std::size_t count) override
    {
        std::string out;
        out.reserve(count);
        std::uniform_real_distribution<double> chance(0, 1);
        std::uniform_int_distribution<int> flip(1, 255);
        for (std::size_t i = 0; i < count; ++i) {
            auto b = bytes[i];
            if (m_settings.toCaller.lossRate > 0 && chance(m_outRandom) < m_settings.toCaller.lossRate)
                continue;
            if (m_settings.toCaller.corruptRate > 0 && chance(m_outRandom) < m_settings.toCaller.corruptRate) {
                b = static_cast<std::uint8_t>(b ^ flip(m_outRandom));
                if (std::getenv("KIRO_BPLUS_TRACE"))
                    std::fprintf(stderr, "hostsim corrupts byte %lld of the line\n", static_cast<long long>(m_sent + static_cast<std::int64_t>(i)));
            }
            out.push_back(static_cast<char>(b));
        }
        m_sent += static_cast<std::int64_t>(count);
        if (m_settings.stallAfterBytes >= 0 && !m_stalled && m_sent >= m_settings.stallAfterBytes) {
            m_stalled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(m_settings.stallMs));
        }
        if (m_settings.bitsPerSecond > 0) {
            // Pace: the line carries ten bits a byte.
            m_paced += std::chrono::microseconds(static_cast<long long>(out.size()) * 10'000'000 / m_settings.bitsPerSecond);
            std::this_thread::sleep_until(m_start + m_paced);
        }
        sendAll(TelnetCodec::encode(out));
    }

    bool abortRequested() override { return false; }
    bool transferModeEnded() override { return m_closed; }
    void endTransferMode() override {}
    std::chrono::milliseconds now() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start);
    }
    bool closed() const { return m_closed; }

private:
    void sendAll(const std::string& data)
    {
        std::size_t done = 0;
        while (done < data.size() && !m_closed) {
            const ssize_t n = ::send(m_fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd p{m_fd, POLLOUT, 0};
                ::poll(&p, 1, 1000);
            } else {
                m_closed = true;
            }
        }
    }

    int m_fd;
    TelnetCodec& m_codec;
    const TransferSettings& m_settings;
    std::mt19937 m_outRandom;
    std::mt19937 m_inRandom;
    std::deque<std::uint8_t> m_in;
    bool m_closed = false;
    bool m_stalled = false;
    std::int64_t m_sent = 0;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::microseconds m_paced{0};
};

} // namespace

std::optional<std::string> applyTransferSetting(const std::string& key, const std::string& value,
                                                TransferSettings& s, bool& known)
{
    known = true;
    long long n = 0;
    if (key == "corrupt") {
        double rate = 0;
        auto error = parseRate(key, value, rate);
        s.toCaller.corruptRate = s.fromCaller.corruptRate = rate;
        return error;
    }
    if (key == "loss") {
        double rate = 0;
        auto error = parseRate(key, value, rate);
        s.toCaller.lossRate = s.fromCaller.lossRate = rate;
        return error;
    }
    if (key == "seed") {
        auto error = parseInt(key, value, 0, 0xFFFFFFFFll, n);
        s.toCaller.seed = static_cast<std::uint32_t>(n);
        s.fromCaller.seed = static_cast<std::uint32_t>(n) ^ 0x2545F491u;
        return error;
    }
    if (key == "bps") {
        auto error = parseInt(key, value, 0, 100000000, n);
        s.bitsPerSecond = n;
        return error;
    }
    if (key == "stall") {
        auto error = parseInt(key, value, 0, 1ll << 40, n);
        s.stallAfterBytes = n;
        return error;
    }
    if (key == "stall-ms") {
        auto error = parseInt(key, value, 0, 600000, n);
        s.stallMs = n;
        return error;
    }
    if (key == "upload") {
        s.uploadDir = value;
        return std::nullopt;
    }
    online::bplus::TransportParameters& p = s.bplus.parameters;
    if (key == "bp-block") {
        auto error = parseInt(key, value, 0, 255, n);
        p.blockSize = static_cast<std::uint8_t>(n);
        return error;
    }
    if (key == "bp-check") {
        auto error = parseInt(key, value, 0, 1, n);
        p.checkMethod = static_cast<std::uint8_t>(n);
        return error;
    }
    if (key == "bp-window") {
        auto error = parseInt(key, value, 0, 1, n);
        p.windowSend = p.windowReceive = static_cast<std::uint8_t>(n);
        return error;
    }
    if (key == "bp-resume") {
        auto error = parseInt(key, value, 0, 2, n);
        p.downloadResume = static_cast<std::uint8_t>(n);
        return error;
    }
    if (key == "bp-info") {
        auto error = parseInt(key, value, 0, 1, n);
        p.fileInformation = static_cast<std::uint8_t>(n);
        return error;
    }
    if (key == "bp-quote-all") {
        auto error = parseInt(key, value, 0, 1, n);
        p.quoteSet = n ? online::bplus::kQuoteAll : online::bplus::kOwnQuoteSet;
        return error;
    }
    if (key == "bp-fail-after") {
        // The host gives up with "EFile read failure" after this many data bytes.
        auto error = parseInt(key, value, 0, 1ll << 40, n);
        s.bplus.failAfterBytes = n;
        return error;
    }
    if (key == "bp-direction" || key == "bp-type") {
        // Another letter in the T packet, to see the client refuse it.
        if (value.size() != 1)
            return key + " must be one letter: " + value;
        (key == "bp-direction" ? s.bplus.directionLetter : s.bplus.typeLetter) = value[0];
        return std::nullopt;
    }
    if (key == "bp-timeout") {
        // Seconds the host waits for a byte (15 by default); it gives up on a
        // client silent for three times as long.
        auto error = parseInt(key, value, 1, 600, n);
        s.bplus.timeouts.normal = std::chrono::seconds(n);
        s.bplus.timeouts.afterFailure = std::chrono::seconds(std::min<long long>(n, 30));
        s.bplus.timeouts.silence = std::chrono::seconds(3 * n);
        return error;
    }
    known = false;
    return std::nullopt;
}

std::string transferUsage()
{
    return "                    [--upload DIR] [--corrupt RATE] [--loss RATE] [--seed S] [--bps N]\n"
           "                    [--stall BYTES --stall-ms MS] [--bp-block N] [--bp-check 0|1]\n"
           "                    [--bp-window 0|1] [--bp-resume 0|1|2] [--bp-info 0|1] [--bp-quote-all 0|1]\n"
           "                    [--bp-timeout SECONDS] [--bp-fail-after BYTES] [--bp-direction L] [--bp-type L]\n";
}

bool plainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
           && name.find('\\') == std::string::npos;
}

std::optional<TransferRequest> parseTransferCommand(const std::string& command)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < command.size()) {
        while (i < command.size() && command[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < command.size() && command[i] != ' ')
            ++i;
        if (i > start)
            words.push_back(command.substr(start, i - start));
    }
    if (words.size() != 3 || upper(words[2]) != "PROT:BPL")
        return std::nullopt;
    const std::string verb = upper(words[0]);
    TransferRequest request;
    if (verb == "DOW" || verb == "DOWN")
        request.download = true;
    else if (verb == "UPL")
        request.download = false;
    else
        return std::nullopt;
    request.file = words[1];
    return request;
}

std::string runTransfer(int fd, TelnetCodec& codec, const TransferRequest& request, const TransferSettings& settings,
                        const std::string& contentDir, bool* success, std::int64_t* bytes)
{
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    SocketLine line(fd, codec, settings);
    online::BPlusHost host(line, settings.bplus);
    namespace fs = std::filesystem;
    online::BPlusHostResult result;
    if (request.download) {
        const fs::path source = request.source.empty() ? fs::path(contentDir) / request.file : fs::path(request.source);
        result = host.sendFile(source, request.file);
    } else {
        const fs::path folder = settings.uploadDir.empty() ? fs::path(contentDir) / "upload" : fs::path(settings.uploadDir);
        std::error_code ec;
        fs::create_directories(folder, ec);
        result = host.receiveFile(folder / request.file, request.file);
    }
    ::fcntl(fd, F_SETFL, flags);
    if (success)
        *success = result.success;
    if (bytes)
        *bytes = result.bytes;
    return std::string(request.download ? "B Plus send " : "B Plus receive ") + request.file + ": "
           + (result.success ? "complete" : "failed") + ", " + std::to_string(result.bytes) + " bytes, "
           + std::to_string(result.counters.sendErrors + result.counters.receiveErrors) + " errors ("
           + result.message + ")";
}

} // namespace kiro::hostsim
