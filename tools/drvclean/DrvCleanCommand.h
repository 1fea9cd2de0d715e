#pragma once

#include <optional>
#include <string>
#include <vector>

// The command line of drvclean: flag letters, then in square brackets the
// uninstaller's path, one character (a blank) and its parameters, which
// begin with "-f":   SC[/opt/kiro/uninstall -fkiro.log]
namespace kiro::drvclean {

struct DrvCleanCommand {
    bool setS = false; // "S" before the bracket
    bool setC = false; // "C" before the bracket
    std::string uninstaller;
    std::string parameters; // begins with "-f"
};

// Nothing when the line is broken: no "[", no "]" at its end, no "-f"
// inside the brackets, "-f" at their very start, or no path before it.
std::optional<DrvCleanCommand> parseCommandLine(const std::string& line);

// The program's arguments as the one command line the uninstall entry
// wrote: joined with single blanks.
std::string joinArguments(const std::vector<std::string>& arguments);

// The parameters as the uninstaller's arguments: words between blanks,
// where double quotes keep blanks inside a word.
std::vector<std::string> splitParameters(const std::string& parameters);

} // namespace kiro::drvclean
