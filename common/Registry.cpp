#include "common/Registry.h"

#include "common/AtomicFile.h"
#include "common/RegistryTree.h"
#include "common/WinPaths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kiro {

namespace fs = std::filesystem;

using regtree::sameName;
using regtree::splitPath;
using regtree::valueName;

namespace {

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
        std::string name = ".";
        name += file.filename().string();
        name += ".lock";
        fs::path lock = file.parent_path() / name;
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

struct Registry::Impl {
    Node root;
    bool inMemory = false;
    bool loaded = false;
    bool unparsedContent = false; // the file on disk had lines we could not keep
    FileStamp stamp;
};

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
    regtree::parse(registry.m_impl->root, text, registry.m_problems);
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
        regtree::parse(m_impl->root, text, m_problems);
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
    return writeValue(keyPath, name, v);
}

bool Registry::writeDword(std::string_view keyPath, std::string_view name, std::uint32_t value)
{
    RegistryValue v;
    v.type = RegistryValue::Type::Dword;
    v.dword = value;
    return writeValue(keyPath, name, v);
}

// Writing a value creates its key and every missing key above it.
bool Registry::writeValue(std::string_view keyPath, std::string_view name, const RegistryValue& value)
{
    auto parts = splitPath(keyPath);
    if (!parts)
        return false;
    return modify([&](Node& root) {
        Node* node = &root;
        for (const std::string& part : *parts)
            node = &node->ensureChild(part);
        node->setValue(valueName(name), value);
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

std::string Registry::toText()
{
    refresh();
    return regtree::serialize(m_impl->root);
}

} // namespace kiro
