#include "UserFiles.h"

#include "platform/AppError.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>

namespace UserFiles {

bool makeFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(folder);
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink() || path == info.path() || !makeFolder(info.path()))
        return false;
    const QByteArray name = QFile::encodeName(path);
    return (::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), 0700) == 0) || QFileInfo(path).isDir();
}

void write(const QString &path, const QByteArray &content, bool executable)
{
    if (!makeFolder(QFileInfo(path).path()))
        throw AppError::unableToWrite(path, qt_error_string(errno));
    QSaveFile file(path);
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable)
        permissions |= QFileDevice::ExeOwner;
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.setPermissions(permissions)
        || !file.commit())
        throw AppError::unableToWrite(path, file.errorString());
}

QByteArray folderText(const QString &folder)
{
    return QDir::cleanPath(folder).toUtf8().toPercentEncoding("/");
}

bool removeIfMarked(const QString &path, const Marks &marks, const QString &stopAt)
{
    if (!FileSystem::isRegularFile(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // not ours to judge, nor to remove
    const QByteArray head = file.read(1 << 20);
    file.close();
    if (!head.contains(marks.owner))
        return true;
    if (!marks.folder.isEmpty() && head.contains(marks.folderKey) && !head.contains(marks.folderLine()))
        return true; // another program folder's
    return removeFile(path, stopAt);
}

bool removeFile(const QString &path, const QString &stopAt)
{
    if (!QFile::remove(path))
        return !QFileInfo(path).exists() && !QFileInfo(path).isSymLink();
    removeEmptyFolders(QFileInfo(path).path(), stopAt);
    return true;
}

void removeEmptyFolders(const QString &folder, const QString &stopAt)
{
    QString current = QDir::cleanPath(folder);
    const QString stop = QDir::cleanPath(stopAt);
    while (current.startsWith(stop + u'/') && QDir().rmdir(current))
        current = QFileInfo(current).path();
}

} // namespace UserFiles
