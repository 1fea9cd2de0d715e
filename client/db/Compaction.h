#pragma once

#include "client/app/Prompt.h"

#include <filesystem>
#include <functional>
#include <string>

namespace kiro::db {

class CatalogueDb;

inline constexpr char kCompactBackupName[] = "$$KIRO$$.BAK";
inline constexpr char kCompactCopyName[] = "$$KIRO$$.MDB";

// The progress window of the compaction and the maintenance menu's busy
// mark; the confirmation and the messages go through the prompt interface.
class CompactionProgress {
public:
    virtual ~CompactionProgress() = default;
    virtual void setBusy(bool busy) = 0;
    virtual void showProgress(const std::string& title) = 0;
    virtual void setStatus(const std::string& status) = 0;
    virtual void hideProgress() = 0;
};

// File steps of the compaction, replaceable so every failure branch can be
// exercised. The defaults rename and remove files and compact with the
// engine.
struct CompactionSteps {
    std::function<bool(const std::filesystem::path& from, const std::filesystem::path& to)> rename;
    // Writes a compact copy of `source` (keyed with the password) to
    // `target`, keyed with the same password; throws DbError on failure.
    std::function<void(const std::filesystem::path& source, const std::filesystem::path& target,
                       const std::string& password)> compact;
    static CompactionSteps standard();
};

enum class CompactionResult {
    Cancelled,
    CloseFailed,
    Compacted,
    FailedKeptOriginal,   // failed; the original is back under its name and open
    FailedNotReopened,    // failed; the original is back but does not open
    FailedNotRestored,    // failed; the original stays as $$KIRO$$.BAK
};

// The maintenance menu's compaction, questions and messages included.
CompactionResult CompactDatabase(CatalogueDb& db, app::Prompt& prompt, CompactionProgress& progress,
                                 const CompactionSteps& steps = CompactionSteps::standard());

// The same steps without questions or messages (kiro-db compact).
CompactionResult compactWithoutQuestions(CatalogueDb& db, const CompactionSteps& steps = CompactionSteps::standard());

// Writes a compact copy of an open-able catalogue file.
void compactFile(const std::filesystem::path& source, const std::filesystem::path& target, const std::string& password);

} // namespace kiro::db
