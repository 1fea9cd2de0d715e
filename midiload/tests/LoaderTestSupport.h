#pragma once

#include "common/Registry.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// A Windows directory of its own for each test, with the engine key written
// as the test wants it, and a handle on the stand-in engine's call log.
class LoaderFixture : public testing::Test {
protected:
    static constexpr const char* kKey = "SOFTWARE\\Orvel\\ＫＩＲＯ\\smfplayer";

    void SetUp() override
    {
        m_windows = std::filesystem::path(testing::TempDir()) / ("kiro-loader-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_windows);
        std::filesystem::create_directories(m_windows);
        setenv("KIRO_WINDIR", m_windows.c_str(), 1);
        // Holding the stand-in keeps its log across the loader's loads.
        m_fake = dlopen(KIRO_LIB_DIR "/libkirofakeengine.so", RTLD_NOW);
        ASSERT_NE(m_fake, nullptr) << dlerror();
        m_log = reinterpret_cast<const char* (*)()>(dlsym(m_fake, "fakeEngineLog"));
        m_reset = reinterpret_cast<void (*)(std::uint16_t)>(dlsym(m_fake, "fakeEngineReset"));
        m_reset(0);
    }
    void TearDown() override
    {
        vmpldClose();
        if (m_fake)
            dlclose(m_fake);
        std::filesystem::remove_all(m_windows);
    }
    void chooseEngine(const std::string& engine, std::uint32_t kind)
    {
        kiro::Registry registry(m_windows / "registry.reg");
        ASSERT_TRUE(registry.writeString(kKey, "engine", engine));
        ASSERT_TRUE(registry.writeDword(kKey, "interface", kind));
    }
    std::string log() const { return m_log(); }
    void resetLog(std::uint16_t openResult = 0) { m_reset(openResult); }

    std::filesystem::path m_windows;
    void* m_fake = nullptr;
    const char* (*m_log)() = nullptr;
    void (*m_reset)(std::uint16_t) = nullptr;
};
