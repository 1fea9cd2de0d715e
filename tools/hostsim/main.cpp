// kiro-hostsim: the online service's stand-in. One process serves any number
// of callers on a loopback TCP port, speaking Telnet, in code page 932.
#include "common/Cp932.h"
#include "tools/hostsim/HostConfig.h"
#include "tools/hostsim/HostService.h"
#include "tools/hostsim/TelnetCodec.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace kiro::hostsim;
using Clock = HostService::Clock;

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

struct Caller {
    int fd = -1;
    int number = 0;
    TelnetCodec telnet;
    std::unique_ptr<HostService> service;
    std::string pending; // bytes the socket has not taken yet
};

// The dialogue log shows code page 932 text as UTF-8 and control bytes visibly.
std::string printable(const std::string &bytes)
{
    std::string text = kiro::cp932::toUtf8(bytes);
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 0x20 || c == 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out.push_back(static_cast<char>(c));
    }
    return out;
}

void logLine(int number, const char *direction, const std::string &bytes)
{
    if (!bytes.empty())
        std::printf("[#%d] %s %s\n", number, direction, printable(bytes).c_str());
}

// Sends what it can without blocking; the rest waits for POLLOUT. Returns
// false when the caller has gone.
bool flush(Caller &caller)
{
    while (!caller.pending.empty()) {
        const ssize_t n = ::send(caller.fd, caller.pending.data(), caller.pending.size(), MSG_NOSIGNAL);
        if (n > 0) {
            caller.pending.erase(0, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
    return true;
}

void say(Caller &caller, const HostService::Reply &reply)
{
    if (!reply.log.empty())
        std::printf("[#%d] %s\n", caller.number, reply.log.c_str());
    logLine(caller.number, "host:", reply.text);
    caller.pending += TelnetCodec::encode(reply.text);
}

// A B Plus transfer holds the caller's line until it ends (other callers
// wait meanwhile), then the main prompt comes back.
bool transfer(Caller &caller, const TransferRequest &request, const HostConfig &config)
{
    while (!caller.pending.empty()) {
        if (!flush(caller))
            return false;
        pollfd p{caller.fd, POLLOUT, 0};
        ::poll(&p, 1, 1000);
    }
    bool success = false;
    std::int64_t bytes = 0;
    std::printf("[#%d] %s\n", caller.number,
                runTransfer(caller.fd, caller.telnet, request, config.transfer, config.contentDir, &success, &bytes)
                    .c_str());
    say(caller, caller.service->transferEnded(success, bytes));
    return flush(caller);
}

} // namespace

int main(int argc, char **argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    HostConfig config;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const auto &arg : args)
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage().c_str(), stdout);
            return 0;
        }
    if (auto error = parseArguments(args, config)) {
        std::fprintf(stderr, "kiro-hostsim: %s\n%s", error->c_str(), usage().c_str());
        return 2;
    }

    if (auto error = loadKaraoke(config)) {
        std::fprintf(stderr, "kiro-hostsim: %s\n", error->c_str());
        return 2;
    }

    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0) {
        std::perror("kiro-hostsim: socket");
        return 1;
    }
    int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(config.port));
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) < 0 || ::listen(listener, 16) < 0) {
        std::fprintf(stderr, "kiro-hostsim: cannot listen on 127.0.0.1:%d: %s\n", config.port, std::strerror(errno));
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::printf("listening on 127.0.0.1:%d\n", ntohs(address.sin_port));

    std::vector<std::unique_ptr<Caller>> callers;
    int nextNumber = 1;
    while (!g_stop) {
        // Sleep until a byte arrives, a socket can take more, or an idle timer is due.
        int timeout = -1;
        const auto now = Clock::now();
        for (const auto &caller : callers)
            if (auto due = caller->service->nextDeadline()) {
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*due - now).count() + 1;
                const int wait = static_cast<int>(std::clamp<long long>(ms, 0, 60000));
                timeout = timeout < 0 ? wait : std::min(timeout, wait);
            }
        std::vector<pollfd> fds;
        fds.push_back({listener, POLLIN, 0});
        for (const auto &caller : callers)
            fds.push_back({caller->fd, static_cast<short>(POLLIN | (caller->pending.empty() ? 0 : POLLOUT)), 0});
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            std::perror("kiro-hostsim: poll");
            break;
        }

        for (std::size_t i = 0; i < callers.size(); ++i) {
            Caller &caller = *callers[i];
            const short events = fds[i + 1].revents;
            bool gone = (events & (POLLERR | POLLNVAL)) != 0;
            if (!gone && (events & (POLLIN | POLLHUP))) {
                char buffer[4096];
                const ssize_t n = ::recv(caller.fd, buffer, sizeof buffer, 0);
                if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) {
                    gone = true;
                } else if (n > 0) {
                    auto decoded = caller.telnet.decode(std::string_view(buffer, static_cast<std::size_t>(n)));
                    caller.pending += decoded.replies;
                    logLine(caller.number, "caller:", decoded.data);
                    const HostService::Reply reply = caller.service->input(decoded.data, Clock::now());
                    say(caller, reply);
                    if (reply.transfer)
                        gone = !transfer(caller, *reply.transfer, config);
                }
            }
            if (!gone)
                say(caller, caller.service->tick(Clock::now()));
            if (!gone && !flush(caller))
                gone = true;
            // A caller that sends without ever reading would grow the queue forever.
            if (caller.pending.size() > (1u << 20))
                gone = true;
            if (gone || (caller.service->closed() && caller.pending.empty())) {
                std::printf("[#%d] %s\n", caller.number, gone ? "caller went away" : "disconnected");
                ::close(caller.fd);
                caller.fd = -1;
            }
        }
        std::erase_if(callers, [](const auto &caller) { return caller->fd < 0; });

        if (fds[0].revents & POLLIN) {
            const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                auto caller = std::make_unique<Caller>();
                caller->fd = fd;
                caller->number = nextNumber++;
                caller->service = std::make_unique<HostService>(config, Clock::now());
                std::printf("[#%d] connected\n", caller->number);
                caller->pending += caller->telnet.greeting();
                say(*caller, caller->service->start());
                flush(*caller);
                callers.push_back(std::move(caller));
            }
        }
    }
    for (const auto &caller : callers)
        ::close(caller->fd);
    ::close(listener);
    return 0;
}
