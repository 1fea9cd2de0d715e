#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kiro {

// The named mutex that keeps a second copy of a program from starting, as a
// lock file "<name>.lock" in the temporary folder held with flock. The kernel
// drops the lock when the holder's process ends, so a crashed holder never
// blocks a later start; the file itself is left in place.
class SingleInstance {
public:
    static constexpr std::string_view kClientMutex = "hPrevInstanceKiroL";

    // Tries once, without waiting.
    explicit SingleInstance(std::string_view name = kClientMutex);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this object holds the lock; false when another holder has it
    // (or the lock file could not be opened: see error()).
    bool acquired() const { return m_fd >= 0; }
    bool heldElsewhere() const { return m_heldElsewhere; }
    const std::string& error() const { return m_error; }
    const std::filesystem::path& lockFile() const { return m_file; }

    void release();

private:
    std::filesystem::path m_file;
    int m_fd = -1;
    bool m_heldElsewhere = false;
    std::string m_error;
};

} // namespace kiro
