#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

// Runs a shell command line for the tests that drive the real programs.
struct ShellOutcome {
    int status = -1;    // the exit status; -1 when it did not exit normally
    std::string output; // what it wrote on standard output
};

inline ShellOutcome runShell(const std::string& command)
{
    ShellOutcome outcome;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.output.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}
