#pragma once

#include <cstdint>
#include <string>

// The loader library's functions that the background music uses, behind an
// interface so that the controller can be driven without a sound device.
namespace kiro::music {

class PlayerLibrary {
public:
    virtual ~PlayerLibrary() = default;
    virtual std::uint16_t open(std::uint32_t window, std::uint32_t a, std::uint32_t b) = 0;
    virtual std::uint16_t close() = 0;
    virtual std::uint16_t setSong(const std::string& path) = 0;
    virtual std::uint16_t start() = 0;
    virtual std::uint16_t stop() = 0;
    virtual std::uint16_t setRepeatPoint(std::uint32_t from, std::uint32_t to) = 0;
    virtual std::uint16_t setPosition(std::uint32_t position) = 0;
    virtual std::uint16_t setPlayMode(std::uint32_t mode) = 0;
    virtual std::uint16_t getStatus() = 0;
};

// The loader library linked into the program (liborvelmpl.so).
PlayerLibrary& linkedPlayerLibrary();

} // namespace kiro::music
