#include "ThemeFolders.h"

#include "platform/FileSystem.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

ThemeFolders::ThemeFolders(ProgramFolder folder) : m_folder(std::move(folder)) {}

QString ThemeFolders::themesFolder() const
{
    return m_folder.file(u"themes");
}

QString ThemeFolders::themeFolder(const QString &name) const
{
    return themesFolder() + u'/' + name;
}

QString ThemeFolders::iconFile(const QString &name, int number) const
{
    return themeFolder(name) + QStringLiteral("/%1.ico").arg(number);
}

QStringList ThemeFolders::RefreshThemeList() const
{
    // Hidden entries are skipped (a leading "." stands for the hidden
    // attribute here).
    return FileSystem::listFolder(themesFolder(), FileSystem::Entries::Folders, {}, false);
}

ThemeInfo ThemeFolders::readInfo(const QString &name) const
{
    TTntIniFile plist(themeFolder(name) + QStringLiteral("/plist.ini"));
    const QString section = QStringLiteral("AUTHOR");
    ThemeInfo info;
    info.author = plist.ReadString(section, QStringLiteral("NAME"), QString());
    info.version = plist.ReadString(section, QStringLiteral("VER"), QString());
    info.themeName = plist.ReadString(section, QStringLiteral("THEME_NAME"), QString());
    static const QRegularExpression breakMarker(QStringLiteral("/n"), QRegularExpression::CaseInsensitiveOption);
    info.copyright =
        plist.ReadString(section, QStringLiteral("COPYRIGHT"), QString()).replace(breakMarker, QStringLiteral("\n\r"));
    return info;
}

QString ThemeFolders::displayName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.first(dot);
}
