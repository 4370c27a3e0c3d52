#include "ModuleMenus.h"

#include "CommandText.h"
#include "ExtensionFacts.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/FileSystem.h"

#include <QDir>

#include <algorithm>

namespace {

UserFiles::Marks marksOf(const QString &owner, const QString &folder)
{
    return {"X-Emblix-Owner=" + owner.toUtf8(),
            "X-Emblix-Folder=", folder.isEmpty() ? QByteArray() : UserFiles::folderText(folder)};
}

QString fileName(const QString &owner)
{
    return ModuleMenus::folder() + u'/' + owner + QStringLiteral(".ini");
}

// A string list of a key file: each element a string value, ';' escaped.
QString keyFileList(const QStringList &elements)
{
    QString list;
    for (const QString &element : elements)
        list += CommandText::keyFileValue(element).replace(u';', QStringLiteral("\\;")) + u';';
    return list;
}

// Where a file manager loads its module from: the system folder the build
// installs it in, and for Caja also the folders CAJA_EXTENSION_DIRS names,
// for Dolphin those of QT_PLUGIN_PATH.
struct ModuleHome {
    QLatin1StringView fileName;
    const char *searchVariable; // folders the file manager also loads from, or none
    QLatin1StringView below;    // the module's folder below each of those
};

ModuleHome homeOf(ModuleMenus::Manager manager)
{
    switch (manager) {
    case ModuleMenus::Manager::Caja:
        return {QLatin1StringView("emblix-caja.so"), "CAJA_EXTENSION_DIRS", {}};
    case ModuleMenus::Manager::Nemo:
        return {QLatin1StringView("emblix-nemo.so"), nullptr, {}};
    case ModuleMenus::Manager::Nautilus:
        return {QLatin1StringView("emblix-nautilus.so"), nullptr, {}};
    case ModuleMenus::Manager::Dolphin:
        return {QLatin1StringView("emblix-dolphin-actions.so"), "QT_PLUGIN_PATH",
                QLatin1StringView("kf5/kfileitemaction/")};
    }
    Q_UNREACHABLE();
}

QStringList moduleFiles(ModuleMenus::Manager manager)
{
    const ModuleHome home = homeOf(manager);
    QStringList files;
    for (const QString &installed : QStringLiteral(EMBLIX_INSTALLED_MODULES).split(u':', Qt::SkipEmptyParts)) {
        if (installed.endsWith(u'/' + home.fileName))
            files.append(installed);
    }
    if (home.searchVariable) {
        for (const QString &folder : qEnvironmentVariable(home.searchVariable).split(u':', Qt::SkipEmptyParts))
            files.append(folder + u'/' + home.below + home.fileName);
    }
    return files;
}

} // namespace

namespace ModuleMenus {

QString folder()
{
    return UserFolders::configHome() + QStringLiteral("/" EMBLIX_FOLDER_NAME "/" EMBLIX_MENU_FOLDER_NAME);
}

void install(const MenuSet &set)
{
    const UserFiles::Marks marks = marksOf(set.owner, set.folder);
    QStringList ids;
    for (const MenuItem &item : set.items)
        ids.append(item.id);
    QString text = QStringLiteral("[Menu]\n");
    text += QString::fromUtf8(marks.owner + '\n' + marks.folderLine());
    text += QStringLiteral("Command=%1\n").arg(CommandText::keyFileValue(set.badgeCommand));
    text += QStringLiteral("Submenu=%1\n").arg(CommandText::keyFileValue(set.submenu));
    text += QStringLiteral("ForFolders=%1\n").arg(set.forFolders ? u"true" : u"false");
    text += QStringLiteral("Entries=%1\n").arg(keyFileList(ids));
    for (const MenuItem &item : set.items) {
        text += QStringLiteral("\n[Entry %1]\n").arg(item.id);
        text += QStringLiteral("Label=%1\n").arg(CommandText::keyFileValue(item.label));
        text += QStringLiteral("Icon=%1\n").arg(CommandText::keyFileValue(item.icon));
        text += QStringLiteral("Arguments=%1\n").arg(keyFileList(item.arguments));
    }
    UserFiles::write(fileName(set.owner), text.toUtf8());
}

bool remove(const QString &owner, const QString &programFolder)
{
    return UserFiles::removeIfMarked(fileName(owner), marksOf(owner, programFolder), UserFolders::configHome());
}

bool moduleInstalled(Manager manager)
{
    const QStringList files = moduleFiles(manager);
    return std::any_of(files.cbegin(), files.cend(),
                       [](const QString &file) { return QDir::isAbsolutePath(file) && FileSystem::pathExists(file); });
}

} // namespace ModuleMenus
