#include "platform/Registry.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QFile>
#include <QFileInfo>
#endif

#ifdef Q_OS_WIN

namespace Registry {

QString classesRootFolder(const ProgramFolder &)
{
    return QStringLiteral("HKEY_CLASSES_ROOT");
}

bool canOpenClassesRootKey(const ProgramFolder &, const QString &key)
{
    HKEY handle = nullptr;
    const QByteArray name = key.toLocal8Bit();
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.constData(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

} // namespace Registry

#else

// Off Windows the handler keys are folders under the program folder (see
// Registry.h).
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

#endif
