#pragma once

#include "ProgramFolder.h"

#include <QString>

// The shell handler keys under HKEY_CLASSES_ROOT. The program only reads
// them; the extension libraries create and remove them.
//
// Where there is no Windows registry, a folder tree stands for it: the key
// "A\B\C" exists when the folder <classes root>/A/B/C exists, and opens for
// full access when that folder is writable. The classes root is
// registry/HKEY_CLASSES_ROOT in the program folder, where the extension
// libraries beside the executable keep their keys too.
namespace Registry {

QString classesRootFolder(const ProgramFolder &folder);

// Opens the key for full (read and write) access without creating it, and
// closes it again; false when that fails, as for a key the user may not change.
bool canOpenClassesRootKey(const ProgramFolder &folder, const QString &key);

} // namespace Registry
