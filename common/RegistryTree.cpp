#include "common/RegistryTree.h"

#include <cstdio>

namespace kiro::regtree {

namespace {

constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE";

// Folds ASCII and full-width Latin capitals to small letters, so that
// "ＫＩＲＯ" and "ｋｉｒｏ" name the same key as Windows would have it.
std::string folded(std::string_view text)
{
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xEF && i + 2 < out.size() && static_cast<unsigned char>(out[i + 1]) == 0xBC) {
            unsigned char last = static_cast<unsigned char>(out[i + 2]);
            if (last >= 0xA1 && last <= 0xBA) { // U+FF21..U+FF3A -> U+FF41..U+FF5A
                out[i + 1] = static_cast<char>(0xBD);
                out[i + 2] = static_cast<char>(last - 0xA1 + 0x81);
            }
            i += 2;
        }
    }
    return out;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string regQuoted(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// Reads a quoted string at the start of s; returns the characters consumed.
std::optional<std::size_t> unquote(std::string_view s, std::string& out)
{
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"')
            return i + 1;
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

bool parseHex32(std::string_view digits, std::uint32_t& value)
{
    if (digits.empty() || digits.size() > 8)
        return false;
    value = 0;
    for (char c : digits) {
        int d = (c >= '0' && c <= '9') ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                       : -1;
        if (d < 0)
            return false;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
}
} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && folded(a) == folded(b);
}

std::string_view valueName(std::string_view name)
{
    return name == "@" ? std::string_view() : name;
}

std::optional<std::vector<std::string>> splitPath(std::string_view path)
{
    std::vector<std::string> parts;
    if (path.size() >= kHive.size() && sameName(path.substr(0, kHive.size()), kHive)
        && (path.size() == kHive.size() || path[kHive.size()] == '\\'))
        path.remove_prefix(kHive.size());
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    while (!path.empty()) {
        std::size_t cut = path.find('\\');
        std::string_view part = path.substr(0, cut);
        if (part.empty())
            return std::nullopt;
        parts.emplace_back(part);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    }
    return parts;
}

static void writeTree(const Registry::Node& node, const std::string& path, std::string& out)
{
    out += "[" + path + "]\n";
    for (const auto& [name, v] : node.values) {
        out += name.empty() ? std::string("@") : regQuoted(name);
        out += '=';
        switch (v.type) {
        case RegistryValue::Type::String:
            out += regQuoted(v.text);
            break;
        case RegistryValue::Type::Dword: {
            char hex[16];
            std::snprintf(hex, sizeof hex, "dword:%08x", v.dword);
            out += hex;
            break;
        }
        case RegistryValue::Type::Other:
            out += v.text;
            break;
        }
        out += '\n';
    }
    out += '\n';
    for (const auto& c : node.children)
        writeTree(*c, path + "\\" + c->name, out);
}

std::string serialize(const Registry::Node& root)
{
    std::string out = "REGEDIT4\n\n";
    for (const auto& c : root.children)
        writeTree(*c, std::string(kHive) + "\\" + c->name, out);
    return out;
}

void parse(Registry::Node& root, std::string_view text, std::vector<RegistryProblem>& problems)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t cut = text.find('\n');
        lines.push_back(text.substr(0, cut));
        text = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
    }

    bool headerSeen = false;
    bool inOtherHive = false;
    Registry::Node* current = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int lineNo = static_cast<int>(i) + 1;
        std::string_view line = trimmed(lines[i]);
        if (line.empty() || line.front() == ';')
            continue;
        if (!headerSeen) {
            headerSeen = true;
            if (line == "REGEDIT4" || line == "Windows Registry Editor Version 5.00")
                continue;
            problems.push_back({lineNo, "missing REGEDIT4 header"});
        }
        if (line.front() == '[') {
            current = nullptr;
            inOtherHive = false;
            if (line.back() != ']') {
                problems.push_back({lineNo, "key line without closing ]"});
                inOtherHive = true;
                continue;
            }
            std::string_view path = line.substr(1, line.size() - 2);
            if (!path.empty() && path.front() == '-') {
                problems.push_back({lineNo, "key deletion lines are not kept"});
                inOtherHive = true;
                continue;
            }
            if (path.size() < kHive.size() || !sameName(path.substr(0, kHive.size()), kHive)
                || (path.size() > kHive.size() && path[kHive.size()] != '\\')) {
                problems.push_back({lineNo, "only HKEY_LOCAL_MACHINE keys are kept"});
                inOtherHive = true;
                continue;
            }
            auto parts = splitPath(path);
            if (!parts) {
                problems.push_back({lineNo, "empty key name in path"});
                inOtherHive = true;
                continue;
            }
            current = &root;
            for (const std::string& part : *parts)
                current = &current->ensureChild(part);
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            problems.push_back({lineNo, "unrecognised line"});
            continue;
        }
        if (inOtherHive)
            continue; // the key line was already reported
        if (!current) {
            problems.push_back({lineNo, "value outside a key"});
            continue;
        }
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (auto used = unquote(line, name)) {
            pos = *used;
        } else {
            problems.push_back({lineNo, "value name without closing quote"});
            continue;
        }
        std::string_view rest = trimmed(line.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            problems.push_back({lineNo, "expected = after the value name"});
            continue;
        }
        rest = trimmed(rest.substr(1));
        RegistryValue value;
        std::string data;
        if (!rest.empty() && rest.front() == '"') {
            auto used = unquote(rest, data);
            if (!used || !trimmed(rest.substr(*used)).empty()) {
                problems.push_back({lineNo, "malformed text value"});
                continue;
            }
            value.type = RegistryValue::Type::String;
            value.text = data;
        } else if (rest.size() > 6 && sameName(rest.substr(0, 6), "dword:")) {
            if (!parseHex32(rest.substr(6), value.dword)) {
                problems.push_back({lineNo, "malformed dword value"});
                continue;
            }
            value.type = RegistryValue::Type::Dword;
        } else if (rest.size() >= 4 && sameName(rest.substr(0, 3), "hex")) {
            std::string joined(rest);
            while (!joined.empty() && joined.back() == '\\' && i + 1 < lines.size()) {
                joined.pop_back();
                joined += trimmed(lines[++i]);
            }
            value.type = RegistryValue::Type::Other;
            value.text = joined;
        } else if (rest == "-") {
            problems.push_back({lineNo, "value deletion lines are not kept"});
            continue;
        } else {
            problems.push_back({lineNo, "unrecognised value"});
            continue;
        }
        current->setValue(name, std::move(value));
    }
}

} // namespace kiro::regtree
