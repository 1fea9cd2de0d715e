#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Starting another program and waiting for it: the stand-in for shell
// execution with a process handle, priority classes and process waits.
namespace kiro {

// Scheduling classes of the original; each maps to a nice value.
enum class ProcessPriority { Idle, Normal, High };

// The nice value used for a priority class (Idle 19, Normal 0, High -10).
int niceValueFor(ProcessPriority priority);

// One started child process. Move-only; the starter owns it and is expected
// to wait for it. A handle that is dropped without a wait reaps the child
// when it has already ended, and otherwise leaves it running.
class Process {
public:
    Process() = default;
    ~Process();
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `program` with `arguments` (argv[1..]; argv[0] is the program
    // path). A program without a slash is looked up in PATH. An empty
    // working folder keeps the caller's. On failure the handle is invalid
    // and `error` (when given) says why, including a failed exec.
    static Process start(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingFolder = {},
                         std::string* error = nullptr);

    bool valid() const { return m_pid > 0; }
    pid_t id() const { return m_pid; }

    // Changes the child's scheduling class. Raising it needs privileges the
    // caller may lack; a refusal returns false and is not an error.
    bool setPriority(ProcessPriority priority);

    // The exit code once the child has ended (128 + signal number when a
    // signal ended it), without blocking; nullopt while it runs.
    std::optional<int> poll();

    // Blocks until the child ends; returns its exit code (-1 when invalid).
    int wait();

    // Waits while calling `pump` about every `interval`, so a caller's event
    // loop stays live. With a `limit`, returns nullopt when it passes first.
    std::optional<int> waitWhilePumping(const std::function<void()>& pump,
                                        std::chrono::milliseconds interval = std::chrono::milliseconds(20),
                                        std::optional<std::chrono::milliseconds> limit = std::nullopt);

    // Asks the child to end (SIGTERM); the caller still waits for it.
    void terminate();

private:
    explicit Process(pid_t pid) : m_pid(pid) {}
    void release();

    pid_t m_pid = -1;
    std::optional<int> m_exitCode;
};

} // namespace kiro
