#include "common/MessageBoxes.h"

#include <cstdlib>
#include <cstring>

namespace kiro {

namespace {

std::string trimmedLower(const std::string& line)
{
    std::size_t begin = line.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    std::size_t end = line.find_last_not_of(" \t\r\n");
    std::string out = line.substr(begin, end - begin + 1);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

ConsoleMessageBoxes::ConsoleMessageBoxes(std::ostream& out, std::istream& in)
    : m_out(out)
    , m_in(in)
{
}

void ConsoleMessageBoxes::showBox(const std::string& text, const std::string& title, BoxIcon)
{
    m_out << title << ": " << text << '\n';
    m_out.flush();
}

ButtonAnswer ConsoleMessageBoxes::askYesNo(const std::string& text, const std::string& title)
{
    return askOnConsole(m_out, m_in, title, text, "はい", "いいえ");
}

ButtonAnswer answerFromLine(const std::string& line)
{
    std::string word = trimmedLower(line);
    return word == "y" || word == "yes" || word == "はい" ? ButtonAnswer::First : ButtonAnswer::Second;
}

ButtonAnswer askOnConsole(std::ostream& out, std::istream& in, const std::string& title,
                          const std::string& text, const std::string& firstLabel,
                          const std::string& secondLabel)
{
    if (!title.empty())
        out << title << ": ";
    out << text << " [y=" << firstLabel << "/n=" << secondLabel << "] ";
    out.flush();
    std::string line;
    if (!std::getline(in, line)) {
        // Nobody to answer: the cautious button, and the prompt's line ended.
        out << '\n';
        out.flush();
        return ButtonAnswer::Second;
    }
    return answerFromLine(line);
}

bool displayAvailable()
{
    const char* mode = std::getenv("KIRO_MESSAGES");
    if (mode && std::strcmp(mode, "stderr") == 0)
        return false;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

} // namespace kiro
