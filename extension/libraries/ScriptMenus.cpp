#include "ScriptMenus.h"

#include "CommandText.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"

namespace {

UserFiles::Marks marksOf(const QString &owner, const QString &folder)
{
    return {"# emblix-owner: " + owner.toUtf8() + '\n',
            "# emblix-folder: ", folder.isEmpty() ? QByteArray() : UserFiles::folderText(folder)};
}

// The base folder a scripts folder lies in: removing stops there.
QString baseOf(const QString &scripts)
{
    return scripts.startsWith(UserFolders::dataHome() + u'/') ? UserFolders::dataHome() : UserFolders::configHome();
}

// A label as a file name: the menu shows the name as it is.
QString scriptName(const QString &label)
{
    QString name = label;
    name.replace(u'/', u'-');
    return ProgramFolder::isPlainName(name) ? name : QStringLiteral("Badge");
}

QStringList folders()
{
    return {UserFolders::dataHome() + QStringLiteral("/nautilus/scripts"),
            UserFolders::configHome() + QStringLiteral("/caja/scripts")};
}

} // namespace

namespace ScriptMenus {

void install(const MenuSet &set, const QList<ModuleMenus::Manager> &servedByModule)
{
    remove(set.owner, QString());
    const UserFiles::Marks marks = marksOf(set.owner, set.folder);
    const QStringList scriptFolders = folders();
    for (qsizetype f = 0; f < scriptFolders.size(); ++f) {
        const QString &scripts = scriptFolders[f];
        if (servedByModule.contains(f == 0 ? ModuleMenus::Manager::Nautilus : ModuleMenus::Manager::Caja))
            continue;
        // The file manager's own list of the selection, exact where the
        // arguments it passes are not (see the badge command).
        const QString selection = f == 0 ? QStringLiteral("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS")
                                         : QStringLiteral("CAJA_SCRIPT_SELECTED_FILE_PATHS");
        const QString folder = set.submenu.isEmpty() ? scripts : scripts + u'/' + scriptName(set.submenu);
        for (const MenuItem &item : set.items) {
            const QString path = folder + u'/' + scriptName(item.label);
            // A script of the user's by that name stays.
            if (FileSystem::pathExists(path))
                continue;
            // The arguments, relative to the folder the script runs in, only
            // tell how many paths there are.
            const QStringList arguments = QStringList{QStringLiteral("--selection-from"), selection} + item.arguments
                                          + QStringList{QStringLiteral("--")};
            const QByteArray text = "#!/bin/sh\n" + marks.owner + marks.folderLine() + "exec "
                                    + CommandText::forShell(set.badgeCommand, arguments, false).toUtf8() + " \"$@\"\n";
            UserFiles::write(path, text, true);
        }
    }
}

bool remove(const QString &owner, const QString &programFolder)
{
    bool removed = true;
    for (const QString &scripts : folders()) {
        QStringList candidates;
        for (const QString &name : FileSystem::listFolder(scripts, FileSystem::Entries::RegularFiles))
            candidates.append(scripts + u'/' + name);
        for (const QString &sub : FileSystem::listFolder(scripts, FileSystem::Entries::Folders)) {
            for (const QString &name : FileSystem::listFolder(scripts + u'/' + sub, FileSystem::Entries::RegularFiles))
                candidates.append(scripts + u'/' + sub + u'/' + name);
        }
        for (const QString &path : candidates)
            removed &= UserFiles::removeIfMarked(path, marksOf(owner, programFolder), baseOf(scripts));
    }
    return removed;
}

} // namespace ScriptMenus
