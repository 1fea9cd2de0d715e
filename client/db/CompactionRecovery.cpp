#include "client/db/CompactionRecovery.h"

#include "client/db/Compaction.h"
#include "client/db/Connection.h"
#include "client/db/DbError.h"
#include "client/db/FileDurability.h"

#include <sqlite3.h>

namespace kiro::db {

bool catalogueOpens(const std::filesystem::path& file, const std::string& password)
{
    try {
        auto connection = Connection::open(file, password);
        Statement check(connection, "PRAGMA quick_check");
        if (!check.step() || sqlite3_column_type(check.get(), 0) != SQLITE_TEXT)
            return false;
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0))) == "ok";
    } catch (const DbError&) {
        return false;
    }
}

CompactionRecovery recoverInterruptedCompaction(const std::filesystem::path& catalogue, const std::string& password)
{
    const std::filesystem::path folder = catalogue.parent_path();
    const std::filesystem::path backup = folder / kCompactBackupName;
    const std::filesystem::path copy = folder / kCompactCopyName;
    std::error_code ec;
    const bool hasBackup = std::filesystem::exists(backup, ec);
    const bool hasCopy = std::filesystem::exists(copy, ec);
    if (!hasBackup && !hasCopy)
        return CompactionRecovery::NothingLeft;
    FolderLock lock(folder, false);
    if (!lock.held())
        return CompactionRecovery::Busy;

    // The copy never replaced anything while it has its own name: the
    // catalogue (or the backup) still holds the data.
    removeDatabaseFile(copy);
    CompactionRecovery result = CompactionRecovery::RemovedLeftovers;
    if (hasBackup) {
        if (std::filesystem::exists(catalogue, ec) && catalogueOpens(catalogue, password)) {
            removeDatabaseFile(backup);
        } else if (catalogueOpens(backup, password)) {
            for (const char* suffix : {"-wal", "-shm"})
                std::filesystem::remove(catalogue.string() + suffix, ec); // the broken file's logs
            std::filesystem::rename(backup, catalogue, ec);
            result = ec ? CompactionRecovery::Unrecoverable : CompactionRecovery::RestoredBackup;
        } else {
            result = CompactionRecovery::Unrecoverable;
        }
    }
    syncFolder(folder);
    return result;
}

} // namespace kiro::db
