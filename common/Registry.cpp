#include "common/Registry.h"

#include "common/AtomicFile.h"
#include "common/WinPaths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace fs = std::filesystem;

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

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && folded(a) == folded(b);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::string_view valueName(std::string_view name)
{
    return name == "@" ? std::string_view() : name;
}

// Splits a key path below the hive; nullopt for an empty component.
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

struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const fs::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino, st.st_size,
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// Serialises writers of the registry file across processes.
class FileLock {
public:
    explicit FileLock(const fs::path& file)
    {
        fs::path lock = file.parent_path() / ("." + file.filename().string() + ".lock");
        m_fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace

struct Registry::Node {
    std::string name;
    std::vector<std::pair<std::string, RegistryValue>> values;
    std::vector<std::unique_ptr<Node>> children;

    Node* child(std::string_view childName) const
    {
        for (const auto& c : children)
            if (sameName(c->name, childName))
                return c.get();
        return nullptr;
    }
    Node& ensureChild(std::string_view childName)
    {
        if (Node* c = child(childName))
            return *c;
        children.push_back(std::make_unique<Node>());
        children.back()->name = std::string(childName);
        return *children.back();
    }
    RegistryValue* value(std::string_view name)
    {
        for (auto& [n, v] : values)
            if (sameName(n, name))
                return &v;
        return nullptr;
    }
    void setValue(std::string_view name, RegistryValue v)
    {
        if (RegistryValue* old = value(name))
            *old = std::move(v);
        else
            values.emplace_back(std::string(name), std::move(v));
    }
};

struct Registry::Impl {
    Node root;
    bool inMemory = false;
    bool loaded = false;
    bool unparsedContent = false; // the file on disk had lines we could not keep
    FileStamp stamp;
};

static void parseText(Registry::Node& root, std::string_view text, std::vector<RegistryProblem>& problems);

fs::path Registry::defaultFile()
{
    return winpaths::windowsDirectory() / "registry.reg";
}

Registry::Registry(fs::path file)
    : m_file(std::move(file))
    , m_impl(std::make_unique<Impl>())
{
}

Registry::Registry(Registry&&) noexcept = default;
Registry& Registry::operator=(Registry&&) noexcept = default;
Registry::~Registry() = default;

Registry Registry::fromText(std::string_view text, std::vector<RegistryProblem>* problems)
{
    Registry registry{fs::path()};
    registry.m_impl->inMemory = true;
    registry.m_impl->loaded = true;
    parseText(registry.m_impl->root, text, registry.m_problems);
    if (problems)
        *problems = registry.m_problems;
    return registry;
}

void Registry::refresh()
{
    if (m_impl->inMemory)
        return;
    FileStamp stamp = stampOf(m_file);
    if (m_impl->loaded && stamp == m_impl->stamp)
        return;
    m_impl->root = Node();
    m_problems.clear();
    m_impl->stamp = stamp;
    m_impl->loaded = true;
    m_impl->unparsedContent = false;
    if (!stamp.exists)
        return;
    std::string text;
    if (!readWholeFile(m_file, text)) {
        m_problems.push_back({0, "cannot read the file"});
    } else {
        parseText(m_impl->root, text, m_problems);
    }
    m_impl->unparsedContent = !m_problems.empty();
    for (const RegistryProblem& p : m_problems)
        std::fprintf(stderr, "%s:%d: %s\n", m_file.c_str(), p.line, p.message.c_str());
}

bool Registry::modify(const std::function<bool(Node& root)>& change)
{
    m_lastError.clear();
    if (m_impl->inMemory)
        return change(m_impl->root);

    FileLock lock(m_file);
    m_impl->loaded = false; // another program may have written since our last look
    refresh();
    if (!change(m_impl->root))
        return false;

    if (m_impl->unparsedContent && m_impl->stamp.exists) {
        // Keep the file we could not fully read before replacing it.
        std::string old;
        if (!readWholeFile(m_file, old)) {
            m_lastError = "cannot read " + m_file.string() + " to back it up; not rewritten";
            m_impl->loaded = false;
            return false;
        }
        fs::path backup;
        for (int n = 1;; ++n) {
            backup = m_file;
            backup += n == 1 ? std::string(".bak") : ".bak" + std::to_string(n);
            if (!fs::exists(backup))
                break;
        }
        if (std::string error = writeFileAtomically(backup, old); !error.empty()) {
            m_lastError = error + "; " + m_file.string() + " not rewritten";
            m_impl->loaded = false;
            return false;
        }
        std::fprintf(stderr, "%s: kept the unreadable file as %s\n", m_file.c_str(), backup.c_str());
    }

    std::string error = writeFileAtomically(m_file, toText());
    m_impl->loaded = false; // re-read next time: either our file or the old one
    if (!error.empty()) {
        m_lastError = error;
        return false;
    }
    return true;
}

const Registry::Node* Registry::find(std::string_view keyPath)
{
    refresh();
    auto parts = splitPath(keyPath);
    if (!parts)
        return nullptr;
    const Node* node = &m_impl->root;
    for (const std::string& part : *parts) {
        node = node->child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

std::optional<RegistryKey> Registry::openKey(std::string_view keyPath)
{
    if (!find(keyPath))
        return std::nullopt;
    return RegistryKey(*this, std::string(keyPath));
}

std::optional<RegistryKey> Registry::createKey(std::string_view keyPath)
{
    auto parts = splitPath(keyPath);
    if (!parts) {
        m_lastError = "invalid key path: " + std::string(keyPath);
        return std::nullopt;
    }
    if (find(keyPath))
        return RegistryKey(*this, std::string(keyPath));
    bool ok = modify([&](Node& root) {
        Node* node = &root;
        for (const std::string& part : *parts)
            node = &node->ensureChild(part);
        return true;
    });
    if (!ok)
        return std::nullopt;
    return RegistryKey(*this, std::string(keyPath));
}

bool Registry::keyExists(std::string_view keyPath)
{
    return find(keyPath) != nullptr;
}

bool Registry::deleteKey(std::string_view keyPath)
{
    auto parts = splitPath(keyPath);
    if (!parts || parts->empty())
        return false;
    return modify([&](Node& root) {
        Node* parent = &root;
        for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
            parent = parent->child((*parts)[i]);
            if (!parent)
                return false;
        }
        auto& kids = parent->children;
        for (auto it = kids.begin(); it != kids.end(); ++it) {
            if (sameName((*it)->name, parts->back())) {
                kids.erase(it);
                return true;
            }
        }
        return false;
    });
}

std::optional<RegistryValue> Registry::readValue(std::string_view keyPath, std::string_view name)
{
    const Node* node = find(keyPath);
    if (!node)
        return std::nullopt;
    if (RegistryValue* v = const_cast<Node*>(node)->value(valueName(name)))
        return *v;
    return std::nullopt;
}

std::optional<std::string> Registry::readString(std::string_view keyPath, std::string_view name)
{
    auto v = readValue(keyPath, name);
    if (!v || v->type != RegistryValue::Type::String)
        return std::nullopt;
    return v->text;
}

std::optional<std::uint32_t> Registry::readDword(std::string_view keyPath, std::string_view name)
{
    auto v = readValue(keyPath, name);
    if (!v || v->type != RegistryValue::Type::Dword)
        return std::nullopt;
    return v->dword;
}

bool Registry::writeString(std::string_view keyPath, std::string_view name, std::string_view text)
{
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        m_lastError = "a registry text cannot hold a line break";
        return false;
    }
    RegistryValue v;
    v.type = RegistryValue::Type::String;
    v.text = std::string(text);
    auto parts = splitPath(keyPath);
    if (!parts)
        return false;
    return modify([&](Node& root) {
        Node* node = &root;
        for (const std::string& part : *parts)
            node = &node->ensureChild(part);
        node->setValue(valueName(name), v);
        return true;
    });
}

bool Registry::writeDword(std::string_view keyPath, std::string_view name, std::uint32_t value)
{
    RegistryValue v;
    v.type = RegistryValue::Type::Dword;
    v.dword = value;
    auto parts = splitPath(keyPath);
    if (!parts)
        return false;
    return modify([&](Node& root) {
        Node* node = &root;
        for (const std::string& part : *parts)
            node = &node->ensureChild(part);
        node->setValue(valueName(name), v);
        return true;
    });
}

bool Registry::deleteValue(std::string_view keyPath, std::string_view name)
{
    auto parts = splitPath(keyPath);
    if (!parts)
        return false;
    return modify([&](Node& root) {
        Node* node = &root;
        for (const std::string& part : *parts) {
            node = node->child(part);
            if (!node)
                return false;
        }
        for (auto it = node->values.begin(); it != node->values.end(); ++it) {
            if (sameName(it->first, valueName(name))) {
                node->values.erase(it);
                return true;
            }
        }
        return false;
    });
}

std::vector<std::string> Registry::subkeys(std::string_view keyPath)
{
    std::vector<std::string> out;
    if (const Node* node = find(keyPath))
        for (const auto& c : node->children)
            out.push_back(c->name);
    return out;
}

std::vector<std::string> Registry::valueNames(std::string_view keyPath)
{
    std::vector<std::string> out;
    if (const Node* node = find(keyPath))
        for (const auto& [n, v] : node->values)
            out.push_back(n);
    return out;
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

std::string Registry::toText()
{
    refresh();
    std::string out = "REGEDIT4\n\n";
    for (const auto& c : m_impl->root.children)
        writeTree(*c, std::string(kHive) + "\\" + c->name, out);
    return out;
}

static void parseText(Registry::Node& root, std::string_view text, std::vector<RegistryProblem>& problems)
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

} // namespace kiro
