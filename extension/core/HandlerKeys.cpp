#include "HandlerKeys.h"

#include "UserFiles.h"
#include "platform/AppError.h"
#include "platform/Registry.h"

#include <QDir>

namespace {

// Where the manager looks for the key.
QString folderOf(const ProgramFolder &folder, const QString &key)
{
    return Registry::classesRootFolder(folder) + u'/' + QString(key).replace(u'\\', u'/');
}

} // namespace

namespace HandlerKeys {

void create(const ProgramFolder &folder, const QStringList &keys)
{
    for (const QString &key : keys) {
        if (!QDir().mkpath(folderOf(folder, key)))
            throw AppError::unableToWrite(folderOf(folder, key));
    }
}

void remove(const ProgramFolder &folder, const QStringList &keys)
{
    for (const QString &key : keys)
        UserFiles::removeEmptyFolders(folderOf(folder, key), folder.root());
}

bool exists(const ProgramFolder &folder, const QString &key)
{
    return Registry::canOpenClassesRootKey(folder, key);
}

} // namespace HandlerKeys
