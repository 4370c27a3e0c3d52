#include "KeeperAutostart.h"

#include "CommandText.h"
#include "KeeperLock.h"
#include "UserFiles.h"
#include "UserFolders.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace {

constexpr int kStartWaitMs = 3000;

// The program folder the installed entry names: empty when there is no
// entry of ours, "?" for one written before entries named their folder.
QString entryFolder()
{
    QFile file(KeeperAutostart::fileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.read(1 << 16);
    const UserFiles::Marks marks = UserFiles::keeperEntryMarks(QString());
    if (!text.contains(marks.owner))
        return {};
    const qsizetype at = text.indexOf('\n' + marks.folderKey);
    if (at < 0)
        return QStringLiteral("?");
    const qsizetype start = at + 1 + marks.folderKey.size();
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.mid(start, text.indexOf('\n', start) - start)));
}

bool startKeeper(const ProgramFolder &folder, const QStringList &arguments)
{
    // The keeper outlives the caller and keeps none of its descriptors: a
    // caller reading this process's output through a pipe would otherwise
    // wait for the keeper's end.
    QProcess starter;
    starter.setProgram(folder.file(u"emblix-keeper"));
    starter.setArguments(arguments);
    starter.setWorkingDirectory(folder.root());
    starter.setStandardInputFile(QProcess::nullDevice());
    starter.setStandardOutputFile(QProcess::nullDevice());
    starter.setStandardErrorFile(QProcess::nullDevice());
    return starter.startDetached();
}

} // namespace

namespace KeeperAutostart {

QString fileName()
{
    return UserFolders::keeperAutostartEntry();
}

void install(const ProgramFolder &folder)
{
    const QString keeper = folder.file(u"emblix-keeper");
    const UserFiles::Marks marks = UserFiles::keeperEntryMarks(folder.root());
    const QByteArray entry = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Emblix badge keeper\n"
                             "Comment=Keeps the badge emblems of files equal to their records\n"
                             "Exec="
                             + CommandText::forDesktopExec(keeper, {}).toUtf8()
                             + "\n"
                               "NoDisplay=true\n"
                               "X-GNOME-Autostart-enabled=true\n"
                             + marks.owner + '\n' + marks.folderLine();
    UserFiles::write(fileName(), entry);

    const std::optional<KeeperLock::Holder> running = KeeperLock::holder();
    if (running && QDir::cleanPath(running->programFolder) == folder.root())
        return;
    KeeperLock::stopRunning();
    // Until it holds its lock a keeper is invisible: an unregistering that
    // came before would miss it and leave it running.
    if (startKeeper(folder, {})) {
        const QDeadlineTimer deadline(kStartWaitMs);
        while (!deadline.hasExpired()) {
            const std::optional<KeeperLock::Holder> started = KeeperLock::holder();
            if (started && QDir::cleanPath(started->programFolder) == folder.root())
                break;
            QThread::msleep(5);
        }
    }
}

bool startTakingOff(const ProgramFolder &folder)
{
    return startKeeper(folder, {QStringLiteral("--take-off")});
}

bool remove(const ProgramFolder &folder)
{
    const std::optional<KeeperLock::Holder> running = KeeperLock::holder();
    if (running && QDir::cleanPath(running->programFolder) == folder.root())
        KeeperLock::stopRunning();
    return UserFiles::removeIfMarked(fileName(), UserFiles::keeperEntryMarks(folder.root()), UserFolders::configHome());
}

QString servedFolder()
{
    const QString named = entryFolder();
    return named == u"?" ? QString() : QDir::cleanPath(named);
}

bool servesFolder(const ProgramFolder &folder)
{
    const QString named = entryFolder();
    if (!named.isEmpty())
        return named == u"?" || QDir::cleanPath(named) == folder.root();
    const std::optional<KeeperLock::Holder> running = KeeperLock::holder();
    return !running || QDir::cleanPath(running->programFolder) == folder.root();
}

} // namespace KeeperAutostart
