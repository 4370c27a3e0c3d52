#include "HandlerKeys.h"

#include "UserFiles.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString rootOf(const ProgramFolder &folder)
{
    return folder.file(u"registry/HKEY_CLASSES_ROOT");
}

QString folderOf(const ProgramFolder &folder, const QString &key)
{
    return rootOf(folder) + u'/' + QString(key).replace(u'\\', u'/');
}

} // namespace

namespace HandlerKeys {

void create(const ProgramFolder &folder, const QStringList &keys)
{
    for (const QString &key : keys) {
        if (!QDir().mkpath(folderOf(folder, key)))
            throw AppError(QStringLiteral("Unable to write to %1").arg(folderOf(folder, key)));
    }
}

void remove(const ProgramFolder &folder, const QStringList &keys)
{
    for (const QString &key : keys)
        UserFiles::removeEmptyFolders(folderOf(folder, key), folder.root());
}

bool exists(const ProgramFolder &folder, const QString &key)
{
    return QFileInfo(folderOf(folder, key)).isDir();
}

} // namespace HandlerKeys
