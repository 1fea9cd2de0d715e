#include "client/app/ConsolePrompt.h"

namespace kiro::app {

ConsolePrompt::ConsolePrompt(std::ostream& out, std::istream& in)
    : m_out(out)
    , m_in(in)
{
}

void ConsolePrompt::message(const std::string& text, const std::string&)
{
    m_out << text << '\n';
    m_out.flush();
}

PromptAnswer ConsolePrompt::question(const std::string& text, const std::string& firstLabel,
                                     const std::string& secondLabel)
{
    return askOnConsole(m_out, m_in, {}, text, firstLabel.empty() ? kDefaultButton : firstLabel,
                        secondLabel.empty() ? kDefaultSecondButton : secondLabel);
}

} // namespace kiro::app
