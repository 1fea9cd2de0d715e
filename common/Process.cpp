#include "common/Process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kiro {

namespace {

int exitCodeFromStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// Writes the whole buffer to a pipe; used in the child, so only
// async-signal-safe calls.
void writeAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        size -= static_cast<size_t>(n);
    }
}

} // namespace

int niceValueFor(ProcessPriority priority)
{
    switch (priority) {
    case ProcessPriority::Idle:
        return 19;
    case ProcessPriority::Normal:
        return 0;
    case ProcessPriority::High:
        return -10;
    }
    return 0;
}

Process::~Process()
{
    release();
}

Process::Process(Process&& other) noexcept
    : m_pid(other.m_pid)
    , m_exitCode(other.m_exitCode)
{
    other.m_pid = -1;
    other.m_exitCode.reset();
}

Process& Process::operator=(Process&& other) noexcept
{
    if (this != &other) {
        release();
        m_pid = other.m_pid;
        m_exitCode = other.m_exitCode;
        other.m_pid = -1;
        other.m_exitCode.reset();
    }
    return *this;
}

void Process::release()
{
    if (m_pid > 0 && !m_exitCode)
        poll();
    m_pid = -1;
    m_exitCode.reset();
}

Process Process::start(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingFolder,
                       std::string* error)
{
    // Everything the child needs is prepared before the fork: between fork
    // and exec only async-signal-safe calls are allowed.
    const std::string programText = program.string();
    const std::string folderText = workingFolder.string();
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(programText.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const bool searchPath = programText.find('/') == std::string::npos;

    // The child reports a failed chdir or exec through this pipe; a
    // successful exec closes it, so the parent reads end-of-file.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        if (error)
            *error = std::string("pipe: ") + std::strerror(errno);
        return Process();
    }

    pid_t pid = ::fork();
    if (pid < 0) {
        int saved = errno;
        ::close(report[0]);
        ::close(report[1]);
        if (error)
            *error = std::string("fork: ") + std::strerror(saved);
        return Process();
    }
    if (pid == 0) {
        ::close(report[0]);
        int failure[2] = {0, 0};
        if (!folderText.empty() && ::chdir(folderText.c_str()) != 0) {
            failure[0] = 1;
            failure[1] = errno;
        } else {
            if (searchPath)
                ::execvp(argv[0], argv.data());
            else
                ::execv(argv[0], argv.data());
            failure[0] = 2;
            failure[1] = errno;
        }
        writeAll(report[1], failure, sizeof failure);
        ::_exit(127);
    }

    ::close(report[1]);
    int failure[2] = {0, 0};
    size_t got = 0;
    while (got < sizeof failure) {
        ssize_t n = ::read(report[0], reinterpret_cast<char*>(failure) + got, sizeof failure - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(report[0]);
    if (got == sizeof failure) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (error) {
            if (failure[0] == 1)
                *error = "cannot enter " + folderText + ": " + std::strerror(failure[1]);
            else
                *error = "cannot start " + programText + ": " + std::strerror(failure[1]);
        }
        return Process();
    }
    return Process(pid);
}

bool Process::setPriority(ProcessPriority priority)
{
    if (!valid() || m_exitCode)
        return false;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(m_pid), niceValueFor(priority)) == 0;
}

std::optional<int> Process::poll()
{
    if (!valid())
        return -1;
    if (m_exitCode)
        return m_exitCode;
    int status = 0;
    pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == m_pid)
        m_exitCode = exitCodeFromStatus(status);
    else if (r < 0 && errno != EINTR)
        m_exitCode = -1; // not our child any more; nothing left to wait for
    return m_exitCode;
}

int Process::wait()
{
    if (!valid())
        return -1;
    while (!m_exitCode) {
        int status = 0;
        pid_t r = ::waitpid(m_pid, &status, 0);
        if (r == m_pid)
            m_exitCode = exitCodeFromStatus(status);
        else if (r < 0 && errno != EINTR)
            m_exitCode = -1;
    }
    return *m_exitCode;
}

std::optional<int> Process::waitWhilePumping(const std::function<void()>& pump,
                                             std::chrono::milliseconds interval,
                                             std::optional<std::chrono::milliseconds> limit)
{
    if (!valid())
        return -1;
    const auto deadline = limit ? std::chrono::steady_clock::now() + *limit
                                : std::chrono::steady_clock::time_point::max();
    for (;;) {
        if (auto code = poll())
            return code;
        if (pump)
            pump();
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(interval);
    }
}

void Process::terminate()
{
    if (valid() && !m_exitCode)
        ::kill(m_pid, SIGTERM);
}

} // namespace kiro
