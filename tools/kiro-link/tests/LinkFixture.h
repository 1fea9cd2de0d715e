#pragma once

// Test helper: a Windows folder and install folder for kiro-link, settings
// that dial the TELNET virtual modem, and a runner that captures its output.
#include "client/app/Settings.h"
#include "client/online/PortRegistry.h"
#include "common/Registry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kiro::testing {

struct LinkResult {
    int exitCode = -1;
    std::string output;
    bool has(const std::string &text) const { return output.find(text) != std::string::npos; }
    std::size_t count(const std::string &text) const
    {
        std::size_t n = 0;
        for (auto pos = output.find(text); pos != std::string::npos; pos = output.find(text, pos + 1))
            ++n;
        return n;
    }
};

class LinkFixture {
public:
    LinkFixture()
    {
        char pattern[] = "/tmp/kiro-link-test-XXXXXX";
        m_root = ::mkdtemp(pattern);
        std::filesystem::create_directories(windir());
        std::filesystem::create_directories(install());
        settings.ComPort = 5;
        settings.AccessPoint = "0300000001";
        settings.ModemInit = "ATS12=5"; // a short escape guard, so "+++" works at test speed
        settings.NiftyID = "ABC01234";
        settings.NiftyPassWord = "secret";
        settings.ReDialInterval = 1;
    }
    ~LinkFixture() { std::filesystem::remove_all(m_root); }

    std::filesystem::path windir() const { return m_root / "win"; }
    std::filesystem::path install() const { return m_root / "inst"; }

    // Dialled digits -> "127.0.0.1:port"; port 1 refuses, which the modem reports as BUSY.
    void phoneBook(const std::string &digits, int port)
    {
        kiro::Registry registry(windir() / "registry.reg");
        registry.writeString(online::kTelnetKey, digits, "127.0.0.1:" + std::to_string(port));
    }

    void writeFile(const std::string &name, const std::string &text)
    {
        std::FILE *f = std::fopen((m_root / name).c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    std::filesystem::path path(const std::string &name) const { return m_root / name; }

    // killAfter: "timeout" sends SIGTERM after that many seconds instead of 120.
    LinkResult run(const std::string &arguments, int tickMs = 80, int killAfter = 0)
    {
        EXPECT_EQ(app::SaveSettings(settings, windir()), "");
        const std::string limit = killAfter > 0 ? "--preserve-status " + std::to_string(killAfter) : "120";
        const std::string command = "cd '" + install().string() + "' && timeout " + limit + " '" KIRO_BIN_DIR "/kiro-link' --windir '" +
                                    windir().string() + "' --tick-ms " + std::to_string(tickMs) + " " + arguments +
                                    " 2>&1";
        LinkResult result;
        std::FILE *pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            result.output.append(buffer.data(), n);
        const int status = ::pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        app::LoadSettings(settings, windir());
        return result;
    }

    app::ClientSettings settings;

private:
    std::filesystem::path m_root;
};

} // namespace kiro::testing
