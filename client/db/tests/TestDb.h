#pragma once

#include "client/db/CatalogueDb.h"

#include <filesystem>
#include <string>
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

} // namespace kiro::db::test
