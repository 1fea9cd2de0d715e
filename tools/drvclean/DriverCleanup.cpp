#include "tools/drvclean/DriverCleanup.h"

#include "common/FileNames.h"
#include "common/Profile.h"

namespace kiro::drvclean {

namespace fs = std::filesystem;

namespace {

constexpr char kDriversSection[] = "drivers";
constexpr char kEnhSection[] = "386Enh";
constexpr char kRenameSection[] = "rename";

// The configuration file in whatever case the Windows folder spells it.
fs::path configFile(const fs::path& windowsFolder, const std::string& name)
{
    auto found = filenames::findInFolder(windowsFolder, name);
    return found ? *found : windowsFolder / name;
}

} // namespace

const DriverSet& driverSetS()
{
    static const DriverSet set {{"vsmid_at.drv", "vsmid_98.drv"}, {}, {"vsmid_at.drv", "vsmid_98.drv"}};
    return set;
}

const DriverSet& driverSetC()
{
    static const DriverSet set {{"lsg.drv"}, {"VLSG.VXD"}, {"lsg.drv", "VLSG.VXD", "romsxgm.bin"}};
    return set;
}

bool removeDriverEntries(const fs::path& systemIni, const std::string& driver)
{
    profile::ProfileFile ini(systemIni);
    if (!ini.error().empty())
        return false;
    // Every key name is looked at, however many the section holds. A key
    // named twice is looked up again after its first line went, as the
    // profile functions find the first line of a name.
    for (const std::string& key : ini.keys(kDriversSection)) {
        auto value = ini.value(kDriversSection, key);
        if (value && *value == driver)
            ini.removeKey(kDriversSection, key);
    }
    return ini.save();
}

bool removeDeviceLine(const fs::path& systemIni, const std::string& device)
{
    profile::ProfileFile ini(systemIni);
    if (!ini.error().empty())
        return false;
    const std::string unwanted = "device=" + device;
    std::vector<std::string> kept;
    bool removed = false;
    for (std::string& line : ini.sectionLines(kEnhSection)) {
        if (filenames::sameNameIgnoringCase(line, unwanted))
            removed = true;
        else
            kept.push_back(std::move(line));
    }
    if (!removed)
        return true;
    return ini.setSectionLines(kEnhSection, kept) && ini.save();
}

bool scheduleDeletion(const fs::path& wininitIni, const fs::path& systemFolder, const std::string& file)
{
    profile::ProfileFile ini(wininitIni);
    if (!ini.error().empty())
        return false;
    std::vector<std::string> lines = ini.sectionLines(kRenameSection);
    lines.push_back("NUL=" + (systemFolder / file).string());
    return ini.setSectionLines(kRenameSection, lines) && ini.save();
}

void removeDriverSet(const DriverSet& set, const fs::path& windowsFolder, const fs::path& systemFolder)
{
    const fs::path systemIni = configFile(windowsFolder, "system.ini");
    const fs::path wininitIni = configFile(windowsFolder, "wininit.ini");
    for (const std::string& driver : set.drivers)
        removeDriverEntries(systemIni, driver);
    for (const std::string& device : set.devices)
        removeDeviceLine(systemIni, device);
    for (const std::string& file : set.files)
        scheduleDeletion(wininitIni, systemFolder, file);
}

} // namespace kiro::drvclean
