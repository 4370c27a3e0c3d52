#pragma once

#include <QString>

// An advisory lock on a folder for one read-modify-write of a file in it,
// so that the program's own writers (other instances, other processes using
// this code) never interleave their rewrites and lose each other's changes.
// Where the platform's own profile functions may write the same files (on
// Windows), nothing is locked: a lock there could make them fail.
class FolderLock final
{
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

private:
    int m_fd = -1;
};
