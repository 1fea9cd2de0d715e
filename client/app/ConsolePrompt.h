#pragma once

#include "client/app/Prompt.h"

#include <istream>
#include <ostream>

namespace kiro::app {

// The prompt without a display: a notice is one line on `out`, a question
// is printed there with its two buttons and answered by one line of `in`
// ("y", "yes" or "はい" = the first button, anything else or the end of
// input = the second), as the other programs' message boxes do.
class ConsolePrompt final : public Prompt {
public:
    ConsolePrompt(std::ostream& out, std::istream& in);

    void message(const std::string& text, const std::string& buttonLabel = {}) override;
    PromptAnswer question(const std::string& text,
                          const std::string& firstLabel = {},
                          const std::string& secondLabel = {}) override;

private:
    std::ostream& m_out;
    std::istream& m_in;
};

} // namespace kiro::app
