#include "platform/Registry.h"

#include <windows.h>

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
