#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// File system queries in the sense of the Windows attribute calls the other
// programs of the system rely on.
namespace FileSystem {

// True when the file system reports attributes for path: a file, a folder
// or anything else, a dangling link included. The path is used unaltered.
bool pathExists(const QString &path);

// pathExists for many paths, tested on every core: listing 100 000 records
// is dominated by these queries. Paths that `skip` accepts are not tested
// and report false.
QList<bool> pathsExist(const QStringList &paths, bool (*skip)(const QString &) = nullptr);

} // namespace FileSystem
