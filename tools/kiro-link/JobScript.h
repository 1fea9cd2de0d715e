#pragma once

#include "client/online/ScriptStep.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace kiro::link {

// A job script read from JSON, owning every text and buffer its steps point
// to. Commands and prompts go on the line in code page 932; statuses stay
// UTF-8; a transfer step's command (the local folder) stays UTF-8 because it
// never goes on the line.
//
// {"steps":[{"kind":0,"timeout":true,"pause":false,"atOnce":false,
//            "send":"go top\r","outcomes":[{"prompt":"＞","verdict":0,"status":"..."}],
//            "capture":"file (kind 2)","captureSize":4096}]}
class JobScript {
public:
    // Returns an error message in `error` and nothing on failure.
    static std::optional<JobScript> fromJson(const std::string &json, std::string &error);
    static std::optional<JobScript> fromFile(const std::string &path, std::string &error);

    JobScript() = default;
    JobScript(JobScript &&) = default;
    JobScript &operator=(JobScript &&) = default;

    const online::ScriptStep *steps() const { return m_steps.data(); }
    std::size_t size() const { return m_steps.size() - 1; }

    // Text captured by the step (kinds 1 and 7), as UTF-8; nothing for others.
    std::optional<std::string> capturedText(std::size_t step) const;

private:
    const char *keep(std::string text);

    std::deque<std::string> m_texts; // a deque keeps the pointers stable
    std::vector<std::vector<char>> m_buffers;
    std::vector<online::ScriptStep> m_steps;
    std::vector<int> m_bufferOfStep; // -1 = none
};

} // namespace kiro::link
