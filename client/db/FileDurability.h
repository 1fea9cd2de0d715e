#pragma once

#include <filesystem>

namespace kiro::db {

// Flushes a file's contents to the disk; false when it cannot.
bool syncFile(const std::filesystem::path& file);

// Removes a database file with the log files the engine keeps beside it
// (-wal, -shm, -journal): a log left from a killed run must never be
// replayed into a new file that later takes the same name.
void removeDatabaseFile(const std::filesystem::path& file);

// Flushes a folder's entries (renames, creations, removals) to the disk.
void syncFolder(const std::filesystem::path& folder);

// An advisory lock on a folder, held while its catalogue files are being
// swapped, so the start-up recovery of one process never takes the
// half-built copy of another process's running compaction for a leftover.
class FolderLock {
public:
    // wait: block until the lock is free; otherwise try once.
    FolderLock(const std::filesystem::path& folder, bool wait);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

} // namespace kiro::db
