#pragma once

#include <QString>

// What the file system says about a path, enough to notice that a file was
// changed or replaced since it was last read.
struct FileStamp {
    bool isFile = false; // a regular file (a folder reads as missing)
    bool exists = false; // anything at all is there
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 fileId = 0; // inode: an atomic replace always changes it

    bool operator==(const FileStamp &) const = default;

    static FileStamp of(const QString &path);
#ifndef Q_OS_WIN
    // The file behind an open descriptor, even once it lost its name.
    static FileStamp ofDescriptor(int fd);
#endif
};
