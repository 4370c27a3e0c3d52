#include "UserFiles.h"

#include "platform/AppError.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace UserFiles {

void write(const QString &path, const QByteArray &content, bool executable)
{
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    QFileDevice::Permissions permissions =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (executable)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.setPermissions(permissions)
        || !file.commit())
        throw AppError(QStringLiteral("Unable to write to %1").arg(path));
}

void removeIfMarked(const QString &path, const QByteArray &mark, const QString &stopAt)
{
    if (!FileSystem::isRegularFile(path))
        return;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.read(1 << 20).contains(mark)) {
        file.close();
        removeFile(path, stopAt);
    }
}

void removeFile(const QString &path, const QString &stopAt)
{
    if (QFile::remove(path))
        removeEmptyFolders(QFileInfo(path).path(), stopAt);
}

void removeEmptyFolders(const QString &folder, const QString &stopAt)
{
    QString current = QDir::cleanPath(folder);
    const QString stop = QDir::cleanPath(stopAt);
    while (current.startsWith(stop + u'/') && QDir().rmdir(current))
        current = QFileInfo(current).path();
}

} // namespace UserFiles
