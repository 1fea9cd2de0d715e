#pragma once

#include "client/db/CatalogueDb.h"

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>
#include <unistd.h>

namespace kiro::db::test {

// A fresh folder under the temporary directory, removed at the end.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kiro-db-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// An empty catalogue with the schema, opened.
struct OpenCatalogue {
    TempDir dir;
    CatalogueDb db;
    OpenCatalogue()
    {
        CatalogueDb::createFile(dir / "KIRODB.MDB");
        db.openOrThrow(dir / "KIRODB.MDB");
    }
};

// Starts the kiro-db program with the arguments; returns its process id.
inline pid_t startKiroDb(std::initializer_list<std::string> args)
{
    std::vector<std::string> owned = {"kiro-db"};
    owned.insert(owned.end(), args.begin(), args.end());
    // It runs beside the catalogue (args: COMMAND PATH ...), so what it
    // writes in its current folder (SqlError.Log) stays in the test's folder.
    const std::filesystem::path folder =
        owned.size() > 2 ? std::filesystem::path(owned[2]).parent_path() : std::filesystem::path();
    pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(126);
        std::vector<char*> argv;
        for (auto& a : owned)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(KIRO_BIN_DIR "/kiro-db", argv.data());
        _exit(127);
    }
    return pid;
}

} // namespace kiro::db::test
