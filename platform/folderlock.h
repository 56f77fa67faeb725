#pragma once

#include <QString>

// An advisory lock on a file (flock), held until this object goes: two
// programs started in the same folder find out about each other. The kernel
// drops the lock when the process ends in any way, so a killed program never
// leaves a stale lock behind.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Result { Locked, HeldByOther, Failed };
    // Creates the lock file when needed and tries to take it without waiting.
    Result tryLock(const QString& path);
    bool isLocked() const { return m_fd >= 0; }
    void unlock();
    QString error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};
