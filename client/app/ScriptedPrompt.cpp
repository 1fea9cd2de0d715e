#include "client/app/ScriptedPrompt.h"

namespace kiro::app {

ScriptedPrompt::ScriptedPrompt(std::vector<PromptAnswer> script, PromptAnswer whenScriptEnds)
    : m_script(script.begin(), script.end())
    , m_whenScriptEnds(whenScriptEnds)
{
}

void ScriptedPrompt::addAnswer(PromptAnswer answer)
{
    m_script.push_back(answer);
}

void ScriptedPrompt::message(const std::string& text, const std::string& buttonLabel)
{
    m_records.push_back({Kind::Message, text, buttonLabel.empty() ? kDefaultButton : buttonLabel, {},
                         PromptAnswer::First});
}

PromptAnswer ScriptedPrompt::question(const std::string& text, const std::string& firstLabel,
                                      const std::string& secondLabel)
{
    PromptAnswer answer = m_whenScriptEnds;
    if (m_script.empty()) {
        ++m_unscripted;
    } else {
        answer = m_script.front();
        m_script.pop_front();
    }
    m_records.push_back({Kind::Question, text, firstLabel.empty() ? kDefaultButton : firstLabel,
                         secondLabel.empty() ? kDefaultSecondButton : secondLabel, answer});
    return answer;
}

std::vector<std::string> ScriptedPrompt::texts() const
{
    std::vector<std::string> out;
    out.reserve(m_records.size());
    for (const Record& r : m_records)
        out.push_back(r.text);
    return out;
}

void ScriptedPrompt::clear()
{
    m_script.clear();
    m_records.clear();
    m_unscripted = 0;
}

} // namespace kiro::app
