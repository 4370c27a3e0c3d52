#include "TestFolder.h"

#include "platform/AppError.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What the files on disk survive: a writer killed at any moment, a full
// disk, a folder that cannot be written.
class TestIniDurability : public QObject
{
    Q_OBJECT

private slots:
    void killedRewriteLeavesOldOrNewFile();
    void fullDiskKeepsTheOldFile();
    void readOnlyFolderKeepsTheOldFile();
    void rewriteKeepsLinkOwnerAndMode();
    void anotherUsersFileIsNotTakenOver();
};

void TestIniDurability::killedRewriteLeavesOldOrNewFile()
{
    // The full size (the "stress" test) kills 200 rewrites of 100 000
    // records; the everyday run 20 of 5 000.
    const bool stress = qEnvironmentVariableIsSet("EMBLIX_STRESS");
#ifdef EMBLIX_SANITIZED
    if (stress)
        QSKIP("200 rewrites of 100 000 records take too long under the sanitizers; the plain run makes them");
#endif
    const int records = stress ? 100000 : 5000;
    const int kills = stress ? 200 : 20;
    TestFolder folder;
    QByteArray without = "[Files]\n";
    for (int i = 0; i < records; ++i)
        without += "C:\\Users\\someone\\Documents\\folder " + QByteArray::number(i / 100) + "\\file "
                   + QByteArray::number(i) + ".txt=" + QByteArray::number(1 + i % 10) + "\n";
    const QByteArray with = without + "C:\\toggled.txt=1\n";
    const QString path = folder.write("base.ini", with);

    // Kills land anywhere in a rewrite: the delays span a few rewrites as
    // long as they take on this machine.
    QElapsedTimer timer;
    timer.start();
    {
        TTntIniFile ini(path);
        ini.DeleteKey("Files", "C:\\toggled.txt");
    }
    TTntIniFile(path).WriteString("Files", "C:\\toggled.txt", "1");
    const int cycle = int(std::max<qint64>(timer.elapsed(), 10));
    QCOMPARE(folder.read("base.ini"), with);
    QRandomGenerator random(1208);
    int sawOld = 0;
    int sawNew = 0;
    for (int kill = 0; kill < kills; ++kill) {
        QProcess child;
        child.start(QStringLiteral(EMBLIX_INI_CHILD), {"rewrite", path, "C:\\toggled.txt"});
        QVERIFY(child.waitForStarted());
        QThread::msleep(random.bounded(5, 5 + 3 * cycle));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        const QByteArray now = folder.read("base.ini");
        QVERIFY2(now == with || now == without,
                 qPrintable(QStringLiteral("kill %1: %2 bytes").arg(kill).arg(now.size())));
        (now == with ? sawOld : sawNew)++;
        // Nothing but the store in the folder, or the hidden name a writer
        // killed just before its rename leaves, which the next rewrite takes.
        const QStringList entries = folder.entries();
        QVERIFY2(entries == QStringList{"base.ini"} || entries == (QStringList{".base.ini.~rewrite", "base.ini"}),
                 qPrintable(entries.join(u',')));
        QStringList keys;
        TTntIniFile(path).ReadSection("Files", keys);
        QVERIFY(keys.size() == records || keys.size() == records + 1);
    }
    qInfo("%d kills: %d left the file with the key, %d without it", kills, sawOld, sawNew);
    TTntIniFile(path).WriteString("Files", "C:\\toggled.txt", "2");
    QCOMPARE(folder.entries(), QStringList{"base.ini"});
    QVERIFY(sawOld > 0 && sawNew > 0);
}

void TestIniDurability::fullDiskKeepsTheOldFile()
{
    TestFolder folder;
    const QByteArray before = "[position]\nwidth=700\n; " + QByteArray(8000, 'x') + "\n";
    const QString settings = folder.write("settings.ini", before);
    const QString store = folder.write("base.ini", "[Files]\nC:\\gone=1\n; " + QByteArray(8000, 'y') + "\n");
    const QByteArray storeBefore = folder.read("base.ini");

    // Files may not grow past 4 KiB: the temporary copy cannot be written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    bool raised = false;
    QString message;
    try {
        TTntIniFile(settings).WriteInteger("position", "width", 800);
    } catch (const AppError &error) {
        raised = true;
        message = error.message();
    }
    TTntIniFile deletion(store);
    deletion.DeleteKey("Files", "C:\\gone");
    const bool deleted = deletion.UpdateFile();
    setrlimit(RLIMIT_FSIZE, &old);

    QVERIFY(raised);
    QCOMPARE(message, "Unable to write to " + settings);
    QCOMPARE(folder.read("settings.ini"), before);
    QVERIFY(!deleted); // deletions are silent about it
    QCOMPARE(folder.read("base.ini"), storeBefore);
    QCOMPARE(folder.entries(), (QStringList{"base.ini", "settings.ini"}));
}

void TestIniDurability::readOnlyFolderKeepsTheOldFile()
{
    if (geteuid() == 0)
        QSKIP("folder permissions do not bind root");
    TestFolder folder;
    const QString settings = folder.write("ro/settings.ini", "[position]\nwidth=700\n");
    QFile::setPermissions(folder.path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QVERIFY_THROWS_EXCEPTION(AppError, TTntIniFile(settings).WriteInteger("position", "width", 800));
    QFile::setPermissions(folder.path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(folder.read("ro/settings.ini"), QByteArray("[position]\nwidth=700\n"));
}

namespace {

struct stat statOf(const QString &path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

} // namespace

void TestIniDurability::rewriteKeepsLinkOwnerAndMode()
{
    TestFolder folder;
    const QString target = folder.write("elsewhere/base.ini", "[Files]\n/a=1\n/b=2\n");
    const QString link = folder.path("base.ini");
    QVERIFY(QFile::link("elsewhere/base.ini", link));
    ::chmod(QFile::encodeName(target).constData(), 0640);
    // Root can hand the new file to the old one's owner; anyone else meets
    // only files that are their own.
    if (geteuid() == 0)
        QCOMPARE(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
    const struct stat before = statOf(target);

    TTntIniFile ini(link);
    ini.DeleteKey("Files", "/a");
    QVERIFY(ini.UpdateFile());

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(folder.read("elsewhere/base.ini"), QByteArray("[Files]\n/b=2\n"));
    const struct stat after = statOf(target);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(QDir(folder.path("elsewhere")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"base.ini"});
}

void TestIniDurability::anotherUsersFileIsNotTakenOver()
{
    if (geteuid() != 0)
        QSKIP("needs root to run the deletion as another user");
    // A shared folder: anyone may write the folder and the file, but the
    // file is root's. A rename by another user would make it theirs.
    TestFolder folder;
    const QByteArray text = "[Files]\n/a=1\n/b=2\n";
    const QString path = folder.write("base.ini", text);
    ::chmod(QFile::encodeName(folder.rootPath("")).constData(), 0755);
    ::chmod(QFile::encodeName(folder.path(".")).constData(), 0777);
    ::chmod(QFile::encodeName(path).constData(), 0666);
    // The other user runs a copy inside the test's root: the build folder
    // may be closed to them.
    const QString program = folder.rootPath("ini_child");
    QVERIFY(QFile::copy(QStringLiteral(EMBLIX_INI_CHILD), program));
    ::chmod(QFile::encodeName(program).constData(), 0755);
    QProcess child;
    child.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", program, "delete", path, "/a"});
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitCode(), 3);
    QCOMPARE(folder.read("base.ini"), text);
    QCOMPARE(statOf(path).st_uid, uid_t(0));
}

QTEST_GUILESS_MAIN(TestIniDurability)
#include "tst_IniDurability.moc"
