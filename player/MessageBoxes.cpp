#include "player/MessageBoxes.h"

namespace kiro::player {

StderrMessageBoxes::StderrMessageBoxes(std::ostream& out)
    : m_out(out)
{
}

void StderrMessageBoxes::show(const std::string& text, const std::string& title)
{
    m_out << title << ": " << text << '\n';
    m_out.flush();
}

} // namespace kiro::player
