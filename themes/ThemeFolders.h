#pragma once

#include "platform/ProgramFolder.h"

#include <QStringList>

// What a theme folder's plist.ini says about it.
struct ThemeInfo {
    QString author;    // NAME
    QString version;   // VER
    QString themeName; // THEME_NAME
    QString copyright; // COPYRIGHT, "/n" in any case turned into line feed + carriage return
};

// The installed themes: one folder each under themes, with 1.ico ... 10.ico
// and plist.ini.
class ThemeFolders final
{
public:
    explicit ThemeFolders(ProgramFolder folder);

    QString themesFolder() const;
    QString themeFolder(const QString &name) const;
    QString iconFile(const QString &name, int number) const;

    // Every visible folder in themes, in the order the file system lists
    // them; files, hidden entries and the names "", ".", "..", "..." are not themes.
    QStringList RefreshThemeList() const;
    ThemeInfo readInfo(const QString &name) const;

    // The name a row shows: the folder name without its extension.
    static QString displayName(const QString &name);

private:
    ProgramFolder m_folder;
};
