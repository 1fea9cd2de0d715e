#include "client/services/UpdateMessage.h"

#include "client/db/UpdateScript.h"
#include "common/Cp932.h"

#include <algorithm>
#include <cctype>

namespace kiro::services {

namespace {

constexpr std::size_t kNumberColumns = 4;
constexpr std::size_t kDateColumn = 14;
constexpr std::size_t kDateLength = 11;
constexpr std::size_t kTypeColumn = 36;
constexpr std::size_t kCodeColumn = 37;
constexpr std::size_t kCodeLength = 4;
constexpr std::size_t kFlagColumn = 42;
constexpr int kSkippedLines = 3;

bool endsLine(char c) { return c == '\r' || c == '\n' || c == '\x1a'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<int> number(std::string_view text)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

void skipLines(HostTextLines& lines, int count)
{
    for (int i = 0; i < count && !lines.atEnd(); ++i)
        lines.next();
}

} // namespace

HostTextLines::HostTextLines(std::string_view text) : m_text(text.substr(0, text.find('\0'))) {}

std::string_view HostTextLines::line() const
{
    std::size_t end = m_pos;
    while (end < m_text.size() && !endsLine(m_text[end]))
        ++end;
    return m_text.substr(m_pos, end - m_pos);
}

void HostTextLines::next()
{
    while (m_pos < m_text.size() && m_text[m_pos] != '\r' && m_text[m_pos] != '\n')
        ++m_pos;
    bool sawCr = false;
    while (m_pos < m_text.size() && (m_text[m_pos] == '\r' || m_text[m_pos] == '\n')) {
        if (m_text[m_pos] == '\r') {
            if (sawCr)
                break;
            sawCr = true;
        }
        ++m_pos;
    }
}

std::vector<UpdateListEntry> parseUpdateList(std::string_view captured)
{
    std::vector<UpdateListEntry> entries;
    HostTextLines lines(captured);
    skipLines(lines, kSkippedLines);
    for (; !lines.atEnd(); lines.next()) {
        const std::string_view line = lines.line();
        if (line.empty() || (line[0] != ' ' && !isDigit(line[0])))
            break;
        // A line cut short (a dropped connection, a narrow terminal setting)
        // has no flag column; the bytes after it belong to the next line.
        if (line.size() <= kFlagColumn)
            continue;
        const auto messageNumber = number(trimBlanks(line.substr(0, kNumberColumns)));
        const std::string_view code = line.substr(kCodeColumn, kCodeLength);
        // The code becomes part of a file name: only letters and digits.
        const bool plainCode = std::all_of(code.begin(), code.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0;
        });
        if (!messageNumber || *messageNumber <= 0 || !plainCode)
            continue;
        UpdateListEntry entry;
        entry.messageNumber = *messageNumber;
        entry.dateTime = std::string(line.substr(kDateColumn, kDateLength));
        entry.type = line[kTypeColumn];
        entry.code = std::string(code);
        entry.flag = line[kFlagColumn];
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool isWantedDatabaseUpdate(const UpdateListEntry& entry, std::string_view startCode)
{
    return entry.type == 'D' && std::string_view(entry.code).compare(startCode) >= 0;
}

const std::string& forumMessagePrompt()
{
    static const std::string prompt = cp932::fromUtf8("\r\n電子会議 (改行のみ:");
    return prompt;
}

std::vector<UpdateModuleText> parseUpdateMessage(std::string_view captured, bool cutShort)
{
    std::vector<UpdateModuleText> modules;
    HostTextLines lines(captured);
    skipLines(lines, kSkippedLines);
    // The prompt begins with the line end of the body's last line.
    bool promptReached = false;
    const auto endOfMessage = [&] { return promptReached || lines.atEnd() || lines.rest() == forumMessagePrompt(); };
    const auto advance = [&] {
        promptReached = lines.afterLine() == forumMessagePrompt();
        lines.next();
    };
    int position = 0;
    while (!endOfMessage()) {
        UpdateModuleText module;
        module.position = ++position;
        module.description = cp932::toUtf8(lines.line());
        if (module.description.empty())
            break;
        advance();
        if (endOfMessage())
            break; // no version line: the message broke off
        module.version = cp932::toUtf8(lines.line());
        advance();
        bool complete = false;
        while (true) {
            if (endOfMessage()) {
                // The capture ends right after the module's last pair, unless
                // the buffer was full: then a cut address would fetch the
                // wrong data and further pairs would be missing.
                complete = promptReached || !lines.atEnd() || !cutShort;
                break;
            }
            const std::string address(lines.line());
            advance();
            if (address.empty()) {
                complete = true;
                break;
            }
            if (endOfMessage())
                break; // an address without its folder line
            // In UTF-8 a backslash byte is a backslash; in code page 932 it
            // may be the second byte of a character such as "表".
            std::string folder = cp932::toUtf8(lines.line());
            advance();
            if (!folder.empty() && folder.back() == '\\')
                folder.pop_back();
            module.files.push_back({cp932::toUtf8(address), folder});
        }
        if (!complete)
            break;
        if (!module.files.empty())
            modules.push_back(std::move(module));
    }
    return modules;
}

std::optional<DataAddress> splitDataAddress(std::string_view address)
{
    const std::size_t comma = address.rfind(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto room = number(trimBlanks(address.substr(0, comma)));
    const auto data = number(trimBlanks(address.substr(comma + 1)));
    if (!room || !data)
        return std::nullopt;
    return DataAddress{*room, *data};
}

bool folderStaysInside(std::string_view folder)
{
    const std::string resolved = db::ResolveFolderToken(folder);
    if (!resolved.empty() && (resolved[0] == '\\' || resolved[0] == '/'))
        return false;
    if (resolved.size() > 1 && resolved[1] == ':')
        return false;
    std::size_t start = 0;
    while (start <= resolved.size()) {
        std::size_t end = resolved.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = resolved.size();
        if (resolved.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace kiro::services
