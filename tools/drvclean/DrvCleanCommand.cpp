#include "tools/drvclean/DrvCleanCommand.h"

namespace kiro::drvclean {

std::optional<DrvCleanCommand> parseCommandLine(const std::string& line)
{
    DrvCleanCommand command;
    const std::size_t open = line.find('[');
    if (open == std::string::npos)
        return std::nullopt;
    for (std::size_t i = 0; i < open; ++i) {
        if (line[i] == 'S')
            command.setS = true;
        else if (line[i] == 'C')
            command.setC = true;
    }
    // Blanks after the bracket come from how a shell line was put together,
    // not from the uninstall entry.
    std::size_t end = line.find_last_not_of(" \t\r\n");
    if (end == std::string::npos || end <= open || line[end] != ']')
        return std::nullopt;
    const std::string inside = line.substr(open + 1, end - open - 1);
    const std::size_t dashF = inside.find("-f");
    if (dashF == std::string::npos || dashF == 0)
        return std::nullopt;
    command.uninstaller = inside.substr(0, dashF - 1);
    command.parameters = inside.substr(dashF);
    if (command.uninstaller.find_first_not_of(" \t") == std::string::npos)
        return std::nullopt;
    return command;
}

std::string joinArguments(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        line += argument;
    }
    return line;
}

std::vector<std::string> splitParameters(const std::string& parameters)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

} // namespace kiro::drvclean
