#include "client/online/TextProgressView.h"

#include <utility>

namespace kiro::online {

TextProgressView::TextProgressView(std::FILE *out) : m_out(out) {}

void TextProgressView::pressWhen(std::string text, std::function<void()> press)
{
    m_pressText = std::move(text);
    m_press = std::move(press);
}

void TextProgressView::print(const std::string &text)
{
    if (m_out) {
        std::fprintf(m_out, "%s\n", text.c_str());
        std::fflush(m_out);
    }
}

void TextProgressView::setLine(ProgressLine line, const std::string &text)
{
    auto &slot = m_lines[static_cast<int>(line)];
    const bool changed = slot != text;
    slot = text;
    if (text.empty())
        return;
    bool printed = false;
    switch (line) {
    case ProgressLine::Status:
        print(text);
        printed = true;
        break;
    case ProgressLine::FileName:
    case ProgressLine::Errors:
        if (changed) {
            print(text);
            printed = true;
        }
        break;
    case ProgressLine::Remaining:
    case ProgressLine::Rate:
    case ProgressLine::Bytes:
        // These change with every block of a transfer; the bar tells the story.
        break;
    }
    pressIfWanted(text, printed);
}

void TextProgressView::pressIfWanted(const std::string &text, bool printed)
{
    if (!m_press || m_pressText.empty() || text.find(m_pressText) == std::string::npos)
        return;
    // The line that set off the press is shown even when it is one of the
    // lines that are not printed, so the output tells what was pressed on.
    if (!printed)
        print(text);
    auto press = std::move(m_press);
    m_press = nullptr;
    press();
}

void TextProgressView::setBarRange(int) {}
void TextProgressView::setBarPosition(int) {}

void TextProgressView::setButton(const std::string &caption, bool enabled)
{
    if (m_captionKnown && caption == m_caption && enabled == m_enabled)
        return;
    m_captionKnown = true;
    m_caption = caption;
    m_enabled = enabled;
    print("[button] " + (caption.empty() ? std::string("(none)") : caption) + (enabled ? "" : " (disabled)"));
}

void TextProgressView::showWindow()
{
    m_shown = true;
}

void TextProgressView::hideWindow()
{
    m_shown = false;
}

void TextProgressView::beep()
{
    print("[beep]");
}

} // namespace kiro::online
