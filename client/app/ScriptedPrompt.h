#pragma once

#include "client/app/Prompt.h"

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace kiro::app {

// A prompt for tests: questions are answered from a script in order, and
// every message and question is recorded with the button labels the user
// would have seen (defaults filled in).
class ScriptedPrompt final : public Prompt {
public:
    enum class Kind {
        Message,
        Question,
    };

    struct Record {
        Kind kind;
        std::string text;
        std::string firstLabel;  // the only button of a message
        std::string secondLabel; // empty for a message
        PromptAnswer answer;     // First for a message
    };

    // Answers used once the script has run out; a test that did not expect a
    // question sees it in unscriptedQuestions().
    explicit ScriptedPrompt(std::vector<PromptAnswer> script = {},
                            PromptAnswer whenScriptEnds = PromptAnswer::Second);

    void addAnswer(PromptAnswer answer);

    void message(const std::string& text, const std::string& buttonLabel = {}) override;
    PromptAnswer question(const std::string& text,
                          const std::string& firstLabel = {},
                          const std::string& secondLabel = {}) override;

    const std::vector<Record>& records() const { return m_records; }
    // The texts only, in the order they were shown.
    std::vector<std::string> texts() const;
    std::size_t unscriptedQuestions() const { return m_unscripted; }
    std::size_t answersLeft() const { return m_script.size(); }
    void clear();

private:
    std::deque<PromptAnswer> m_script;
    PromptAnswer m_whenScriptEnds;
    std::vector<Record> m_records;
    std::size_t m_unscripted = 0;
};

} // namespace kiro::app
