#include "client/music/PlayerLibrary.h"

#include "midiload/orvelmpl.h"

namespace kiro::music {

namespace {

class LinkedPlayerLibrary final : public PlayerLibrary {
public:
    std::uint16_t open(std::uint32_t window, std::uint32_t a, std::uint32_t b) override { return vmpldOpen(window, a, b); }
    std::uint16_t close() override { return vmpldClose(); }
    std::uint16_t setSong(const std::string& path) override { return vmpldSetSong(path.c_str()); }
    std::uint16_t start() override { return vmpldStart(); }
    std::uint16_t stop() override { return vmpldStop(); }
    std::uint16_t setRepeatPoint(std::uint32_t from, std::uint32_t to) override { return vmpldSetRepeatPoint(from, to); }
    std::uint16_t setPosition(std::uint32_t position) override { return vmpldSetPosition(position); }
    std::uint16_t setPlayMode(std::uint32_t mode) override { return vmpldSetPlayMode(mode); }
    std::uint16_t getStatus() override { return vmpldGetStatus(); }
};

} // namespace

PlayerLibrary& linkedPlayerLibrary()
{
    static LinkedPlayerLibrary library;
    return library;
}

} // namespace kiro::music
