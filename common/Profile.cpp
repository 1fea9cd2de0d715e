#include "common/Profile.h"

#include <algorithm>

#include "common/AtomicFile.h"
#include "common/Cp932.h"
#include "common/WinPaths.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace kiro::profile {

namespace fs = std::filesystem;

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Case-insensitive for ASCII letters only; the two bytes of a double-byte
// character compare exactly (a trail byte may look like an ASCII letter).
// In UTF-8 files every non-ASCII byte is >= 0x80 and compares exactly.
bool sameName(std::string_view a, std::string_view b, bool utf8)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (!utf8 && cp932::isLeadByte(x)) {
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool isValidUtf8WithNonAscii(std::string_view s)
{
    bool nonAscii = false;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        std::size_t len = (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return nonAscii;
}

// The section name of a header line, or nullopt when the line is no header.
std::optional<std::string_view> headerName(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return trimmed(line.substr(1));
    return trimmed(line.substr(1, close - 1));
}

// The key name of a "key=value" line.
std::optional<std::string_view> keyName(std::string_view line)
{
    std::string_view t = trimmed(line);
    if (t.empty() || t.front() == ';')
        return std::nullopt;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return trimmed(line.substr(0, eq));
}

// The parsing of GetPrivateProfileInt.
std::optional<std::int64_t> parseProfileInt(std::string_view s)
{
    s = trimmed(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    std::int64_t value = 0;
    for (char c : s) {
        int d = (c >= '0' && c <= '9') ? c - '0'
              : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                     : -1;
        if (d < 0)
            break;
        value = value * base + d;
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN)
        return std::nullopt;
    // Hex values up to 0xFFFFFFFF read as their 32-bit pattern, as UINT does.
    if (value > INT32_MAX)
        value -= 0x100000000LL;
    return value;
}

} // namespace

fs::path resolve(const fs::path& file)
{
    if (file.has_parent_path())
        return file;
    return winpaths::windowsDirectory() / file;
}

ProfileFile::ProfileFile(const fs::path& file)
    : m_path(resolve(file))
{
    std::string bytes;
    std::error_code ec;
    if (!fs::exists(m_path, ec))
        return;
    if (!readWholeFile(m_path, bytes)) {
        m_error = "cannot read " + m_path.string();
        m_readFailed = true;
        return;
    }
    // UTF-16 (an editor's "Unicode") or binary content has no lines we can
    // read; taking it as empty would give defaults and then overwrite it.
    const auto zeros = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\0'));
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0 || (zeros > 0 && zeros >= bytes.size() / 4)) {
        m_error = m_path.string() + " is not a code page 932 or UTF-8 text file (UTF-16?)";
        m_readFailed = true;
        return;
    }
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) { // a byte-order mark from a UTF-8 editor
        bytes.erase(0, 3);
        m_utf8File = true;
    }
    m_utf8File = m_utf8File || isValidUtf8WithNonAscii(bytes);
    std::string_view rest = bytes;
    while (!rest.empty()) {
        std::size_t cut = rest.find('\n');
        std::string_view line = rest.substr(0, cut);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_lines.push_back({std::string(line)});
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    }
}

std::string ProfileFile::toUtf8(std::string_view bytes) const
{
    if (m_utf8File)
        return std::string(bytes);
    return cp932::toUtf8(bytes);
}

std::optional<ProfileFile::SectionSpan> ProfileFile::findSection(std::string_view name) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        auto header = headerName(m_lines[i].bytes);
        if (!header || !sameName(*header, name, m_utf8File))
            continue;
        std::size_t end = i + 1;
        while (end < m_lines.size() && !headerName(m_lines[end].bytes))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileFile::findKey(const SectionSpan& span, std::string_view key) const
{
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        auto name = keyName(m_lines[i].bytes);
        if (name && sameName(*name, key, m_utf8File))
            return i;
    }
    return std::nullopt;
}

namespace {

// Names and values as the file holds them; nullopt when they have no form there.
std::optional<std::string> native(std::string_view utf8, bool utf8File)
{
    if (utf8File)
        return std::string(utf8);
    return cp932::tryFromUtf8(utf8);
}

} // namespace

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const
{
    auto s = native(section, m_utf8File);
    auto k = native(key, m_utf8File);
    if (!s || !k)
        return std::nullopt;
    auto span = findSection(*s);
    if (!span)
        return std::nullopt;
    auto line = findKey(*span, *k);
    if (!line)
        return std::nullopt;
    const std::string& bytes = m_lines[*line].bytes;
    std::string_view v = trimmed(std::string_view(bytes).substr(bytes.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return toUtf8(v);
}

std::int32_t ProfileFile::getInt(std::string_view section, std::string_view key, std::int32_t defaultValue) const
{
    auto text = value(section, key);
    if (!text || text->empty())
        return defaultValue;
    auto n = parseProfileInt(*text);
    return n ? static_cast<std::int32_t>(*n) : defaultValue;
}

std::string ProfileFile::getString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    auto text = value(section, key);
    return text ? *text : std::string(defaultValue);
}

bool ProfileFile::setString(std::string_view section, std::string_view key, std::string_view value)
{
    if (value.find_first_of("\r\n") != std::string_view::npos || key.find('=') != std::string_view::npos
        || key.empty() || section.find(']') != std::string_view::npos) {
        m_error = "a profile name or value cannot hold a line break, '=' in a key or ']' in a section";
        return false;
    }
    auto s = native(section, m_utf8File);
    auto k = native(key, m_utf8File);
    auto v = native(value, m_utf8File);
    if (!s || !k || !v) {
        m_error = "text has no code page 932 form: " + std::string(!v ? value : !k ? key : section);
        return false;
    }
    std::string line = *k + "=" + *v;
    auto span = findSection(*s);
    if (!span) {
        if (!m_lines.empty() && !trimmed(m_lines.back().bytes).empty())
            m_lines.push_back({""});
        m_lines.push_back({"[" + *s + "]"});
        m_lines.push_back({line});
        m_dirty = true;
        return true;
    }
    if (auto at = findKey(*span, *k)) {
        // Keep the key's spelling as the file has it.
        std::string& old = m_lines[*at].bytes;
        std::string replaced = std::string(trimmed(std::string_view(old).substr(0, old.find('=')))) + "=" + *v;
        if (replaced != old) {
            old = replaced;
            m_dirty = true;
        }
        return true;
    }
    std::size_t insertAt = span->end;
    while (insertAt > span->header + 1 && trimmed(m_lines[insertAt - 1].bytes).empty())
        --insertAt;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), {line});
    m_dirty = true;
    return true;
}

bool ProfileFile::setInt(std::string_view section, std::string_view key, std::int32_t value)
{
    return setString(section, key, std::to_string(value));
}

bool ProfileFile::removeKey(std::string_view section, std::string_view key)
{
    auto s = native(section, m_utf8File);
    auto k = native(key, m_utf8File);
    if (!s || !k)
        return true; // a name with no form in the file cannot be there
    auto span = findSection(*s);
    if (!span)
        return true;
    if (auto at = findKey(*span, *k)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*at));
        m_dirty = true;
    }
    return true;
}

bool ProfileFile::removeSection(std::string_view section)
{
    auto s = native(section, m_utf8File);
    if (!s)
        return true;
    auto span = findSection(*s);
    if (!span)
        return true;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(span->end));
    m_dirty = true;
    return true;
}

std::vector<std::string> ProfileFile::sections() const
{
    std::vector<std::string> out;
    for (const Line& line : m_lines)
        if (auto name = headerName(line.bytes))
            out.push_back(toUtf8(*name));
    return out;
}

std::optional<ProfileFile::SectionSpan> ProfileFile::findSectionNamed(std::string_view section) const
{
    auto s = native(section, m_utf8File);
    if (!s)
        return std::nullopt; // a name with no form in the file cannot be there
    return findSection(*s);
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const
{
    std::vector<std::string> out;
    auto span = findSectionNamed(section);
    if (!span)
        return out;
    for (std::size_t i = span->header + 1; i < span->end; ++i)
        if (auto name = keyName(m_lines[i].bytes))
            out.push_back(toUtf8(*name));
    return out;
}

std::vector<std::string> ProfileFile::sectionLines(std::string_view section) const
{
    std::vector<std::string> out;
    auto span = findSectionNamed(section);
    if (!span)
        return out;
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        std::string_view line = trimmed(m_lines[i].bytes);
        if (!line.empty())
            out.push_back(toUtf8(line));
    }
    return out;
}

bool ProfileFile::setSectionLines(std::string_view section, const std::vector<std::string>& lines)
{
    if (section.find(']') != std::string_view::npos) {
        m_error = "a profile section name cannot hold ']'";
        return false;
    }
    auto s = native(section, m_utf8File);
    if (!s) {
        m_error = "text has no code page 932 form: " + std::string(section);
        return false;
    }
    std::vector<Line> body;
    body.reserve(lines.size());
    for (const std::string& line : lines) {
        auto bytes = native(line, m_utf8File);
        if (line.find_first_of("\r\n") != std::string::npos || !bytes) {
            m_error = "a section line cannot hold a line break or text without a code page 932 form: " + line;
            return false;
        }
        body.push_back({*bytes});
    }
    auto span = findSection(*s);
    if (!span) {
        if (!m_lines.empty() && !trimmed(m_lines.back().bytes).empty())
            m_lines.push_back({""});
        m_lines.push_back({"[" + *s + "]"});
        m_lines.insert(m_lines.end(), body.begin(), body.end());
        m_dirty = true;
        return true;
    }
    // Blank lines that end the section keep it apart from the next one.
    std::size_t bodyEnd = span->end;
    while (bodyEnd > span->header + 1 && trimmed(m_lines[bodyEnd - 1].bytes).empty())
        --bodyEnd;
    auto first = m_lines.begin() + static_cast<std::ptrdiff_t>(span->header + 1);
    m_lines.erase(first, m_lines.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(span->header + 1), body.begin(), body.end());
    m_dirty = true;
    return true;
}

bool ProfileFile::save()
{
    if (!m_dirty)
        return true;
    if (m_readFailed) {
        // An unreadable file is not replaced by what little we know of it.
        return false;
    }
    std::vector<std::string> lines;
    lines.reserve(m_lines.size());
    bool toCp932 = m_utf8File;
    for (const Line& line : m_lines) {
        if (toCp932) {
            auto converted = cp932::tryFromUtf8(line.bytes);
            if (!converted) {
                toCp932 = false;
                break;
            }
            lines.push_back(*converted);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += toCp932 ? lines[i] : m_lines[i].bytes;
        out += "\r\n";
    }
    std::error_code ec;
    if (m_path.has_parent_path())
        fs::create_directories(m_path.parent_path(), ec);
    std::string error = writeFileAtomically(m_path, out);
    if (!error.empty()) {
        m_error = error;
        return false;
    }
    if (toCp932) {
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            m_lines[i].bytes = std::move(lines[i]);
        m_utf8File = false;
    }
    m_dirty = false;
    return true;
}

std::int32_t getInt(std::string_view section, std::string_view key, std::int32_t defaultValue, const fs::path& file)
{
    return ProfileFile(file).getInt(section, key, defaultValue);
}

std::string getString(std::string_view section, std::string_view key, std::string_view defaultValue,
                      const fs::path& file)
{
    return ProfileFile(file).getString(section, key, defaultValue);
}

bool writeString(std::string_view section, std::string_view key, std::string_view value, const fs::path& file)
{
    ProfileFile profile(file);
    if (!profile.error().empty())
        return false;
    return profile.setString(section, key, value) && profile.save();
}

bool deleteKey(std::string_view section, std::string_view key, const fs::path& file)
{
    ProfileFile profile(file);
    if (!profile.error().empty())
        return false;
    return profile.removeKey(section, key) && profile.save();
}

bool deleteSection(std::string_view section, const fs::path& file)
{
    ProfileFile profile(file);
    if (!profile.error().empty())
        return false;
    return profile.removeSection(section) && profile.save();
}

std::vector<std::string> getSection(std::string_view section, const fs::path& file)
{
    return ProfileFile(file).sectionLines(section);
}

bool writeSection(std::string_view section, const std::vector<std::string>& lines, const fs::path& file)
{
    ProfileFile profile(file);
    if (!profile.error().empty())
        return false;
    return profile.setSectionLines(section, lines) && profile.save();
}

} // namespace kiro::profile
