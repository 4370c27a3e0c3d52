#include "KeeperAutostart.h"

#include "CommandText.h"
#include "KeeperLock.h"
#include "UserFiles.h"
#include "UserFolders.h"

#include <QDir>
#include <QProcess>

namespace {

const QByteArray kMark = "X-Emblix-Owner=emblix-badge-menu";

} // namespace

namespace KeeperAutostart {

QString fileName()
{
    return UserFolders::configHome() + QStringLiteral("/autostart/emblix-keeper.desktop");
}

void install(const ProgramFolder &folder)
{
    const QString keeper = folder.file(u"emblix-keeper");
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Emblix badge keeper\n"
                             "Comment=Keeps the badge emblems of files equal to their records\n"
                             "Exec="
                             + CommandText::forDesktopExec(keeper, {}).toUtf8()
                             + "\n"
                               "NoDisplay=true\n"
                               "X-GNOME-Autostart-enabled=true\n"
                             + kMark + '\n';
    UserFiles::write(fileName(), entry);

    const std::optional<KeeperLock::Holder> running = KeeperLock::holder();
    if (running && QDir::cleanPath(running->programFolder) == folder.root())
        return;
    KeeperLock::stopRunning();
    QProcess::startDetached(keeper, {}, folder.root());
}

void remove()
{
    KeeperLock::stopRunning();
    UserFiles::removeIfMarked(fileName(), kMark, UserFolders::configHome());
}

} // namespace KeeperAutostart
