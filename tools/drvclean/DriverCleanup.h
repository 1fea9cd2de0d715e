#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Removing a soft-synthesizer driver from the Windows configuration files:
// its [drivers] entries and [386Enh] device line in system.ini, and its
// files scheduled for deletion in the [rename] section of wininit.ini.
namespace kiro::drvclean {

struct DriverSet {
    std::vector<std::string> drivers;    // [drivers] values to remove
    std::vector<std::string> devices;    // "device=NAME" lines to remove from [386Enh]
    std::vector<std::string> files;      // deleted at the next Windows start
};

const DriverSet& driverSetS();
const DriverSet& driverSetC();

// Deletes every [drivers] key whose value is exactly `driver` (letter case
// counts). False when the file could not be written.
bool removeDriverEntries(const std::filesystem::path& systemIni, const std::string& driver);

// Removes every [386Enh] line equal to "device=<device>" ignoring letter
// case; every other line of the section stays, however long it is.
bool removeDeviceLine(const std::filesystem::path& systemIni, const std::string& device);

// Appends "NUL=<system folder>/<file>" to [rename] of wininit.ini.
bool scheduleDeletion(const std::filesystem::path& wininitIni, const std::filesystem::path& systemFolder,
                      const std::string& file);

// All three for one set, in that order; write failures are not reported.
void removeDriverSet(const DriverSet& set, const std::filesystem::path& windowsFolder,
                     const std::filesystem::path& systemFolder);

} // namespace kiro::drvclean
