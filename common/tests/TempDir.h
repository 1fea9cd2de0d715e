#pragma once

#include "common/AtomicFile.h"

#include <filesystem>
#include <string>
#include <unistd.h>

// A fresh folder per test, removed afterwards.
struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& tag)
    {
        static int serial = 0;
        path = std::filesystem::temp_directory_path()
             / ("kiro-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

// The whole file as bytes; empty when it cannot be read.
inline std::string fileText(const std::filesystem::path& p)
{
    std::string s;
    kiro::readWholeFile(p, s);
    return s;
}
