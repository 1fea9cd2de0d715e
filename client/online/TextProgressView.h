#pragma once

#include "client/online/ProgressView.h"

#include <cstdio>
#include <functional>
#include <string>

namespace kiro::online {

// The progress window as lines of text, for kiro-link and tests: every status
// text and every change of the button prints one line. It can press its own
// button when a line containing a given text appears: a status line, or
// during a transfer one of the lines the transfer's reports fill (file
// name, errors, remaining, rate, bytes), as the window would show them.
class TextProgressView final : public ProgressView {
public:
    explicit TextProgressView(std::FILE *out = stdout);

    // Once, when a shown line contains `text`, `press` is called (the caller
    // queues the press so that it does not run inside the engine's update).
    void pressWhen(std::string text, std::function<void()> press);

    void setLine(ProgressLine line, const std::string &text) override;
    void setBarRange(int maximum) override;
    void setBarPosition(int position) override;
    void setButton(const std::string &caption, bool enabled) override;
    void showWindow() override;
    void hideWindow() override;
    void setOwnerEnabled(bool) override {}
    void beep() override;

    const std::string &line(ProgressLine which) const { return m_lines[static_cast<int>(which)]; }
    const std::string &caption() const { return m_caption; }
    bool shown() const { return m_shown; }

private:
    void print(const std::string &text);
    void pressIfWanted(const std::string &text, bool printed);

    std::FILE *m_out;
    std::string m_lines[6];
    std::string m_caption;
    bool m_enabled = true;
    bool m_captionKnown = false;
    bool m_shown = false;
    std::string m_pressText;
    std::function<void()> m_press;
};

} // namespace kiro::online
