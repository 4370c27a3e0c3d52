#include "DolphinMenu.h"

#include "CommandText.h"
#include "UserFiles.h"
#include "UserFolders.h"

namespace {

QString fileName(const QString &owner)
{
    return UserFolders::dataHome() + QStringLiteral("/kio/servicemenus/%1.desktop").arg(owner);
}

} // namespace

namespace DolphinMenu {

void install(const MenuSet &set)
{
    QStringList actions;
    for (const MenuItem &item : set.items)
        actions.append(QStringLiteral("emblix%1").arg(item.id));
    QString text = QStringLiteral("[Desktop Entry]\nType=Service\n");
    text += QStringLiteral("X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n");
    // Every file type derives from application/octet-stream.
    text += set.forFolders ? QStringLiteral("MimeType=application/octet-stream;inode/directory;\n")
                           : QStringLiteral("MimeType=application/octet-stream;\n");
    text += QStringLiteral("Actions=%1;\n").arg(actions.join(u';'));
    if (!set.submenu.isEmpty())
        text += QStringLiteral("X-KDE-Submenu=%1\n").arg(set.submenu);
    const UserFiles::Marks marks = UserFiles::keyFileMarks(set.owner, set.folder);
    text += QString::fromUtf8(marks.owner + '\n' + marks.folderLine());
    for (qsizetype i = 0; i < set.items.size(); ++i) {
        const MenuItem &item = set.items[i];
        text += QStringLiteral("\n[Desktop Action %1]\n").arg(actions[i]);
        text += QStringLiteral("Name=%1\n").arg(item.label);
        if (!item.icon.isEmpty())
            text += QStringLiteral("Icon=%1\n").arg(item.icon);
        text +=
            QStringLiteral("Exec=%1 %F\n")
                .arg(CommandText::forDesktopExec(set.badgeCommand, item.arguments + QStringList{QStringLiteral("--")}));
    }
    UserFiles::write(fileName(set.owner), text.toUtf8(), true);
}

bool remove(const QString &owner, const QString &programFolder)
{
    return UserFiles::removeIfMarked(fileName(owner), UserFiles::keyFileMarks(owner, programFolder),
                                     UserFolders::dataHome());
}

} // namespace DolphinMenu
