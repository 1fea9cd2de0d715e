#pragma once

// Test helper: starts kiro-hostsim on a free loopback port and stops it again.
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kiro::testing {

class HostSimProcess {
public:
    explicit HostSimProcess(std::vector<std::string> args, const std::string &logPath = {})
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        const pid_t test = ::getpid();
        m_pid = ::fork();
        if (m_pid == 0) {
            endWithTheTest(test);
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<std::string> all{std::string(KIRO_BIN_DIR) + "/kiro-hostsim", "--port", "0"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char *> argv;
            for (auto &a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        // The first line byte by byte, so nothing after it is held in a buffer.
        std::string line;
        char c;
        while (line.size() < 256 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line.push_back(c);
        std::sscanf(line.c_str(), "listening on 127.0.0.1:%d", &m_port);
        // The rest of the log goes to a file (or nowhere) so the pipe never fills.
        m_drain = ::fork();
        if (m_drain == 0) {
            endWithTheTest(test);
            std::FILE *log = logPath.empty() ? nullptr : std::fopen(logPath.c_str(), "w");
            char buffer[4096];
            ssize_t n;
            while ((n = ::read(out[0], buffer, sizeof buffer)) > 0)
                if (log) {
                    std::fwrite(buffer, 1, static_cast<std::size_t>(n), log);
                    std::fflush(log);
                }
            ::_exit(0);
        }
        ::close(out[0]);
    }
    ~HostSimProcess()
    {
        for (pid_t pid : {m_pid, m_drain})
            if (pid > 0) {
                ::kill(pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
    }
    HostSimProcess(const HostSimProcess &) = delete;
    HostSimProcess &operator=(const HostSimProcess &) = delete;

    int port() const { return m_port; }
    bool alive() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    // A test that aborts (a failed sanitizer check) runs no destructor: the
    // stand-in and the drain would live on, and the drain would hold the
    // test's output open so whoever reads it waits for ever.
    static void endWithTheTest(pid_t test)
    {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != test)
            ::_exit(0);
    }

    pid_t m_pid = -1;
    pid_t m_drain = -1;
    int m_port = 0;
};

} // namespace kiro::testing
