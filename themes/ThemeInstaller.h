#pragma once

#include "ThemeFolders.h"
#include "ThemePackage.h"

// Writes a checked package's theme into the theme folders. A new theme
// appears whole or not at all; over an installed theme of that name its ten
// icons and plist.ini are replaced one file at a time, each whole, and its
// other files stay. An icon that cannot be written is passed over.
class ThemeInstaller final
{
public:
    explicit ThemeInstaller(ThemeFolders folders);

    // Throws AppError (cannotCreate) when the theme's folder or plist.ini
    // cannot be made.
    void install(const ThemePackage &package) const;

private:
    ThemeFolders m_folders;
};
