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

// True for a regular file, or a link to one. Only such files are ever opened:
// a named pipe in a file's place would block its reader for good.
bool isRegularFile(const QString &path);

// The order in which the Windows file system lists a folder: names compared
// by their upper-case form, unit by unit. Every user sees the same order,
// whatever the folder's order on disk.
void sortAsListed(QStringList &names);

enum class Entries { RegularFiles, Folders };
// The names of a folder's regular files or folders (links to them
// included) that match one of the wildcard patterns (all when none), in
// listing order. Hidden entries (a leading ".") only with withHidden.
QStringList listFolder(const QString &folder, Entries entries, const QStringList &patterns = {},
                       bool withHidden = true);

} // namespace FileSystem
