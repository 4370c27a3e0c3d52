#include "NemoActions.h"

#include "CommandText.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/FileSystem.h"

namespace {

QString folder()
{
    return UserFolders::dataHome() + QStringLiteral("/nemo/actions");
}

} // namespace

namespace NemoActions {

void install(const MenuSet &set)
{
    remove(set.owner, QString());
    // Nemo lists actions in the order of their file names: the number in
    // front keeps Badge 10 after Badge 9.
    for (qsizetype index = 0; index < set.items.size(); ++index) {
        const MenuItem &item = set.items[index];
        QString text = QStringLiteral("[Nemo Action]\n");
        // Nemo reads the file as a key file, which unescapes every value.
        text += QStringLiteral("Name=%1\n").arg(CommandText::keyFileValue(item.label));
        text += QStringLiteral("Comment=%1\n").arg(CommandText::keyFileValue(item.label));
        text += QStringLiteral("Exec=%1 %F\n")
                    .arg(CommandText::keyFileValue(CommandText::forShell(
                        set.badgeCommand, item.arguments + QStringList{QStringLiteral("--")}, true)));
        if (!item.icon.isEmpty())
            text += QStringLiteral("Icon-Name=%1\n").arg(item.icon);
        text += QStringLiteral("Selection=notnone\n");
        text += set.forFolders ? QStringLiteral("Extensions=any;\n") : QStringLiteral("Extensions=nodirs;\n");
        const UserFiles::Marks marks = UserFiles::keyFileMarks(set.owner, set.folder);
        text += QString::fromUtf8(marks.owner + '\n' + marks.folderLine());
        UserFiles::write(
            folder()
                + QStringLiteral("/%1-%2-%3.nemo_action")
                      .arg(set.owner, QStringLiteral("%1").arg(index + 1, 2, 10, QLatin1Char('0')), item.id),
            text.toUtf8());
    }
}

bool remove(const QString &owner, const QString &programFolder)
{
    bool removed = true;
    for (const QString &name : FileSystem::listFolder(folder(), FileSystem::Entries::RegularFiles)) {
        if (name.startsWith(owner + u'-') && name.endsWith(QStringLiteral(".nemo_action")))
            removed &= UserFiles::removeIfMarked(folder() + u'/' + name, UserFiles::keyFileMarks(owner, programFolder),
                                                 UserFolders::dataHome());
    }
    return removed;
}

} // namespace NemoActions
