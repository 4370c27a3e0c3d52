#include "TestFolder.h"

#include "platform/AppError.h"
#include "platform/TntIniFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/resource.h>
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
};

void TestIniDurability::killedRewriteLeavesOldOrNewFile()
{
#ifdef EMBLIX_SANITIZED
    QSKIP("200 rewrites of 100 000 records take too long under the sanitizers; the plain run makes them");
#endif
    TestFolder folder;
    QByteArray without = "[Files]\n";
    for (int i = 0; i < 100000; ++i)
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
    for (int kill = 0; kill < 200; ++kill) {
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
        // Nothing but the store in the folder: no temporary file is left to be
        // mistaken for it.
        QCOMPARE(folder.entries(), QStringList{"base.ini"});
        QStringList keys;
        TTntIniFile(path).ReadSection("Files", keys);
        QVERIFY(keys.size() == 100000 || keys.size() == 100001);
    }
    qInfo("200 kills: %d left the file with the key, %d without it", sawOld, sawNew);
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

QTEST_GUILESS_MAIN(TestIniDurability)
#include "tst_IniDurability.moc"
