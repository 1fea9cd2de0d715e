#pragma once
// bench-bplus over loopback Telnet: the client's engine on CommPort with the
// TELNET virtual modem, the host's role on the stand-in's socket line.
#include "client/online/BPlusPortLine.h"
#include "client/online/BPlusTransfer.h"
#include "client/online/CommPort.h"
#include "client/online/ReceiveHandler.h"
#include "client/online/TelnetModemDevice.h"
#include "tools/hostsim/TelnetCodec.h"
#include "tools/hostsim/TransferService.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace bench {

class TextCatcher : public kiro::online::ReceiveHandler {
public:
    bool matchArmed() const override { return false; }
    void matchByte(unsigned char) override {}
    void watchByte(unsigned char byte) override
    {
        std::lock_guard lock(m_mutex);
        m_text.push_back(static_cast<char>(byte));
    }
    void clearMatchBuffer() override {}
    bool has(const std::string& text)
    {
        std::lock_guard lock(m_mutex);
        return m_text.find(text) != std::string::npos;
    }

private:
    std::mutex m_mutex;
    std::string m_text;
};

struct TelnetRun {
    bool ok = false;
    double seconds = 0;
    std::int64_t bytes = 0;
};

// Downloads contentDir/name into clientDir over 127.0.0.1.
inline TelnetRun telnetDownload(const std::filesystem::path& contentDir, const std::string& name,
                                const std::filesystem::path& clientDir, const kiro::hostsim::TransferSettings& settings)
{
    using namespace kiro;
    TelnetRun run;
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 1) != 0)
        return run;
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);

    std::thread host([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0)
            return;
        hostsim::TelnetCodec codec;
        const std::string greeting = codec.greeting();
        ::send(fd, greeting.data(), greeting.size(), MSG_NOSIGNAL);
        // Give the client time to enter transfer mode, so that the first
        // ENQ is not lost and repeated, and time the host's whole transfer.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto begin = std::chrono::steady_clock::now();
        hostsim::runTransfer(fd, codec, {true, name}, settings, contentDir.string());
        run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(fd);
    });

    TextCatcher catcher;
    online::CommPort commPort(
        [port](std::uint8_t) {
            online::TelnetModemOptions options;
            options.phoneBook = [port](const std::string&) { return std::optional<std::string>("127.0.0.1:" + std::to_string(port)); };
            return std::unique_ptr<online::PortDevice>(new online::TelnetModemDevice(options));
        },
        clientDir);
    commPort.Init(&catcher, 5, 57600);
    commPort.Open();
    commPort.Write(std::string_view("ATDT1\r"));
    const auto start = std::chrono::steady_clock::now();
    while (!catcher.has("CONNECT") && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    commPort.BeginTransferMode();
    online::BPlusPortLine line(commPort);
    online::BPlusTransfer transfer(line, nullptr);
    const online::BPlusOutcome outcome = transfer.run(clientDir.string());
    run.ok = outcome.success;
    run.bytes = outcome.bytesInFile;
    host.join();
    commPort.Close();
    commPort.Shutdown();
    ::close(listener);
    return run;
}

} // namespace bench
