#include "platform/Registry.h"

#include <QFile>
#include <QFileInfo>

namespace Registry {

QString classesRootFolder(const ProgramFolder &folder)
{
    return folder.file(u"registry/HKEY_CLASSES_ROOT");
}

bool canOpenClassesRootKey(const ProgramFolder &folder, const QString &key)
{
    QString relative = key;
    relative.replace(u'\\', u'/');
    if (relative.isEmpty() || relative.contains(QStringLiteral("..")))
        return false;
    const QString path = classesRootFolder(folder) + u'/' + relative;
    const QFileInfo info(path);
    return info.isDir() && (QFile::permissions(path) & QFileDevice::WriteOwner);
}

} // namespace Registry
