#pragma once

#include <QString>

// An advisory lock on a folder for one read-modify-write of a file in it,
// so that the program's own writers (other instances, other processes using
// this code) never interleave their rewrites and lose each other's changes.
// Where the platform's own profile functions may write the same files (on
// Windows), nothing is locked: a lock there could make them fail.
//
// The wait is bounded: a process that holds the lock and hangs must not
// freeze the window for good. Without the lock nothing may be rewritten.
class FolderLock final
{
public:
    static constexpr int kWaitMs = 2000;

    explicit FolderLock(const QString &folder, int waitMs = kWaitMs);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // False when another process held the lock for the whole wait.
    bool isHeld() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = true;
};
