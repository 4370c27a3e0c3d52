#include "UserFiles.h"

#include "ExtensionFacts.h"
#include "platform/AppError.h"
#include "platform/FileSystem.h"
#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace UserFiles {

bool makeFolder(const QString &folder)
{
    const QString path = QDir::cleanPath(folder);
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink()) {
        errno = ENOTDIR; // something else is in the way
        return false;
    }
    if (path == info.path() || !makeFolder(info.path()))
        return false;
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) == 0)
        return ::chmod(name.constData(), 0700) == 0;
    // The caller names the system's reason: the look below must not
    // replace it with its own.
    const int reason = errno;
    if (QFileInfo(path).isDir())
        return true; // made by another meanwhile
    errno = reason;
    return false;
}

void write(const QString &path, const QByteArray &content, bool executable)
{
    if (!makeFolder(QFileInfo(path).path()))
        throw AppError::unableToWrite(path, qt_error_string(errno));
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (executable)
        permissions |= QFileDevice::ExeOwner;
    QString reason;
    if (!WholeFile::write(path, content, &reason, permissions))
        throw AppError::unableToWrite(path, reason);
}

QByteArray folderText(const QString &folder)
{
    return QDir::cleanPath(folder).toUtf8().toPercentEncoding("/");
}

Marks keyFileMarks(const QString &owner, const QString &folder)
{
    return {"X-Emblix-Owner=" + owner.toUtf8(),
            "X-Emblix-Folder=", folder.isEmpty() ? QByteArray() : folderText(folder)};
}

Marks keeperEntryMarks(const QString &folder)
{
    return keyFileMarks(QStringLiteral(EMBLIX_BADGE_MENU_OWNER), folder);
}

bool isMarked(const QString &path, const Marks &marks)
{
    if (!FileSystem::isRegularFile(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false; // not ours to judge
    const QByteArray head = file.read(1 << 20);
    if (!head.contains(marks.owner))
        return false;
    // Another program folder's file names that folder.
    return marks.folder.isEmpty() || !head.contains(marks.folderKey) || head.contains(marks.folderLine());
}

bool removeIfMarked(const QString &path, const Marks &marks, const QString &stopAt)
{
    return !isMarked(path, marks) || removeFile(path, stopAt);
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
