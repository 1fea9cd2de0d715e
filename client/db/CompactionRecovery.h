#pragma once

#include <filesystem>
#include <string>

namespace kiro::db {

enum class CompactionRecovery {
    NothingLeft,       // no leftovers of a compaction
    RemovedLeftovers,  // the catalogue was good; a backup or a copy was removed
    RestoredBackup,    // the catalogue was missing or broken; the backup took its name again
    Busy,              // another process is compacting right now; nothing touched
    Unrecoverable,     // neither the catalogue nor the backup opens; both left as they are
};

// Cleans up after a compaction that was killed: a half-built or unswapped
// copy ($$KIRO$$.MDB) is removed; a backup ($$KIRO$$.BAK) is removed when
// the catalogue opens, and otherwise takes the catalogue's name again.
// Runs before the catalogue is opened at start-up.
CompactionRecovery recoverInterruptedCompaction(const std::filesystem::path& catalogue, const std::string& password);

// True when the file opens with the password and passes a quick check.
bool catalogueOpens(const std::filesystem::path& file, const std::string& password);

} // namespace kiro::db
