#include "ExtensionFixture.h"

#include "EmblemLedger.h"
#include "Emblems.h"
#include "library/BadgeRecordStore.h"
#include "platform/ini/TntIniFile.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The keeper keeps the emblems equal to the records whoever changes them:
// the manager deleting, another writer adding or changing.
class TestEmblemKeeper : public QObject
{
    Q_OBJECT

private slots:
    void followsEveryWriter();
    void startsFromWhatTheLedgerSays();
    void fileBackAtACleanedPathWearsNoBadge();
    void hostileStoresTouchNoOtherFile();
    void killedKeeperLeavesNoEmblemBehind();
    void unregisteringReturnsAtOnce();
    void hungMountHoldsNothingElse();

private:
    static void startKeeper(const ExtensionFixture &fx)
    {
        QVERIFY(QProcess::startDetached(fx.folder.path("emblix-keeper"), {}));
        QTRY_VERIFY_WITH_TIMEOUT(KeeperLock::holder().has_value(), kKeeperStartMs);
    }
};

void TestEmblemKeeper::followsEveryWriter()
{
    ExtensionFixture fx;
    const QStringList files{fx.item("a.txt"), fx.item("b.txt"), fx.item("c/")};
    QCOMPARE(fx.badge(QStringList{"set", "1"} + files), 0);
    startKeeper(fx);

    // A second keeper leaves at once.
    QCOMPARE(QProcess::execute(fx.folder.path("emblix-keeper"), {}), 0);

    BadgeRecordStore(fx.folder.folder()).deleteRecords({files[0], files[2]});
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(files[0]), 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(files[2]), 0, 10000);
    QCOMPARE(Emblems::badgeOf(files[1]), 1);

    const QString added = fx.item("d.txt");
    TTntIniFile store(fx.folder.path("base.ini"));
    store.WriteString("Files", added, "9");
    store.WriteString("Files", files[1], "4");
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(added), 9, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(files[1]), 4, 10000);
    // A badge text that names no badge icon shows no emblem.
    store.WriteString("Files", added, "0");
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(added), 0, 10000);

    // A change made under a writer's lease, which refuses the keeper's open
    // until the writer lets go: it is read once the lease goes.
    const QString leased = fx.item("e.txt");
    const int fd = ::open(QFile::encodeName(fx.folder.path("base.ini")).constData(), O_RDWR | O_APPEND);
    QVERIFY(fd >= 0);
    QCOMPARE(::fcntl(fd, F_SETLEASE, F_WRLCK), 0);
    const QByteArray line = '\n' + QFile::encodeName(leased) + "=6\n";
    QCOMPARE(::write(fd, line.constData(), size_t(line.size())), ssize_t(line.size()));
    QTest::qWait(1500); // the keeper sees the change and cannot open the file
    ::close(fd);
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(leased), 6, 10000);
}

void TestEmblemKeeper::startsFromWhatTheLedgerSays()
{
    // A record deleted while no keeper ran loses its emblem when one starts.
    ExtensionFixture fx;
    const QString file = fx.item("kept.txt");
    const QString gone = fx.item("gone.txt");
    QCOMPARE(fx.badge({"set", "8", file, gone}), 0);
    BadgeRecordStore(fx.folder.folder()).deleteRecords({gone});
    QCOMPARE(Emblems::badgeOf(gone), 8);
    startKeeper(fx);
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(gone), 0, 10000);
    QCOMPARE(Emblems::badgeOf(file), 8);
}

void TestEmblemKeeper::fileBackAtACleanedPathWearsNoBadge()
{
    // gvfs keeps an emblem by path when its file is removed outside GIO, and
    // gives it to the next file made there.
    ExtensionFixture fx;
    const QString byKeeper = fx.item("byKeeper.txt");
    const QString byCommand = fx.item("byCommand.txt");
    const QString bySync = fx.item("bySync.txt");
    QCOMPARE(fx.badge({"set", "6", byKeeper, byCommand, bySync}), 0);
    for (const QString &file : {byKeeper, byCommand, bySync})
        QVERIFY(QFile::remove(file));

    // Cleared by the badge command, which says nothing is wrong.
    QCOMPARE(fx.badge({"clear", byCommand, bySync}), 0);
    QCOMPARE(fx.stderrText, QString());
    fx.item("bySync.txt");
    QCOMPARE(Emblems::badgeOf(bySync), 6);
    QCOMPARE(fx.badge({"sync"}), 0);
    QCOMPARE(Emblems::badgeOf(bySync), 0);

    // Removed as invalid in the manager while the keeper runs: the keeper
    // takes the emblem off as soon as a file is there again.
    startKeeper(fx);
    QStringList listed;
    QVERIFY(BadgeRecordStore(fx.folder.folder()).removeInvalid(listed));
    BadgeRecordStore(fx.folder.folder()).load(listed);
    QCOMPARE(listed, QStringList());
    QTest::qWait(300);
    fx.item("byKeeper.txt");
    fx.item("byCommand.txt");
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(byKeeper), 0, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(byCommand), 0, 5000);
    // The ledger (the user's, shared with earlier cases) is written once the
    // chunk of files is done.
    const auto inLedger = [&] {
        const QHash<QString, int> paths = EmblemLedger().read();
        return paths.contains(byKeeper) || paths.contains(byCommand) || paths.contains(bySync);
    };
    QTRY_VERIFY_WITH_TIMEOUT(!inLedger(), 5000);
}

void TestEmblemKeeper::hostileStoresTouchNoOtherFile()
{
    ExtensionFixture fx;
    const QString victim = fx.item("victim.txt");
    const QString own = fx.item("own.txt");
    const QString kept = fx.item("kept.txt");
    QCOMPARE(fx.badge({"set", "3", own, kept}), 0);
    // Keys that name no file exactly: a NUL byte would end the name early,
    // a relative key depends on the keeper's folder, ".." is resolved by
    // GIO otherwise than by the kernel.
    QByteArray store = fx.folder.read("base.ini");
    store += victim.toUtf8() + QByteArray("\0ghost", 6) + "=4\n";
    store += "victim.txt=5\n";
    store += fx.folder.rootPath("files").toUtf8() + "/x/../victim.txt=6\n";
    fx.folder.write("base.ini", store);
    // An emblem noted under a NUL key must not take own.txt's off.
    QFile ledgerFile(EmblemLedger().journalName());
    QVERIFY(ledgerFile.open(QIODevice::Append));
    ledgerFile.write("3\t" + own.toUtf8() + QByteArray("\0x", 2) + "\n");
    ledgerFile.close();
    QProcess sync;
    sync.setWorkingDirectory(fx.folder.rootPath("files"));
    sync.start(fx.folder.path("emblix-badge"), {"sync"});
    QVERIFY(sync.waitForFinished(30000));
    QCOMPARE(sync.exitCode(), 0);
    QCOMPARE(Emblems::badgeOf(victim), 0);
    QCOMPARE(Emblems::badgeOf(own), 3);

    // A store that cannot be read is no empty store: the emblems stay.
    startKeeper(fx);
    const QString base = fx.folder.path("base.ini");
    QVERIFY(QFile::rename(base, fx.folder.path("base.ini.real")));
    QCOMPARE(::mkfifo(QFile::encodeName(base).constData(), 0600), 0);
    QCOMPARE(fx.badge({"sync"}), 1);
    QThread::msleep(1500); // the keeper's poll and settle
    QCOMPARE(Emblems::badgeOf(own), 3);
    // It says why, where its user can read it.
    const QString log = qEnvironmentVariable("XDG_STATE_HOME") + "/emblix-manager/keeper.log";
    const auto logged = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(base.toUtf8() + " cannot be read");
    };
    QTRY_VERIFY_WITH_TIMEOUT(logged(), 10000);
    QVERIFY(QFile::remove(base));
    QVERIFY(QDir().mkdir(base));
    QThread::msleep(1500);
    QCOMPARE(Emblems::badgeOf(kept), 3);
    QVERIFY(QDir().rmdir(base));
    // Readable again, and without kept.txt's record: now its emblem goes.
    TTntIniFile real(fx.folder.path("base.ini.real"));
    real.DeleteKey("Files", kept);
    QVERIFY(real.UpdateFile());
    QVERIFY(QFile::rename(fx.folder.path("base.ini.real"), base));
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(kept), 0, 10000);
    QCOMPARE(Emblems::badgeOf(own), 3);
}

void TestEmblemKeeper::killedKeeperLeavesNoEmblemBehind()
{
    // Killed in the middle of its first sync, the keeper leaves every
    // emblem it set in the ledger, where unregistering finds it; the next
    // sync finishes the files that were under way.
    ExtensionFixture fx;
    QByteArray store = "[Files]\n";
    QStringList files;
    for (int i = 0; i < 1500; ++i) {
        files << fx.item(QStringLiteral("many/%1.txt").arg(i));
        store += files.last().toUtf8() + "=2\n";
    }
    fx.folder.write("base.ini", store);
    QProcess keeper;
    keeper.start(fx.folder.path("emblix-keeper"), {});
    QVERIFY(keeper.waitForStarted());
    // Files are taken in no fixed order: the first of thirty to show its
    // emblem comes early in the sync.
    const QStringList sample = files.mid(0, 30);
    QVERIFY(QTest::qWaitFor(
        [&] {
            return std::any_of(sample.cbegin(), sample.cend(),
                               [](const QString &f) { return Emblems::badgeOf(f) == 2; });
        },
        60000));
    keeper.kill();
    QVERIFY(keeper.waitForFinished());
    const auto shown =
        std::count_if(files.cbegin(), files.cend(), [](const QString &f) { return Emblems::badgeOf(f) == 2; });
    qInfo("%lld of %lld emblems set when the keeper was killed", qint64(shown), qint64(files.size()));
    QCOMPARE(fx.badge({"sync"}), 0);
    for (const QString &file : files)
        QVERIFY2(Emblems::badgeOf(file) == 2, qPrintable(file));
    QCOMPARE(fx.registerApart("unregister"), 0);
    QVERIFY(ExtensionFixture::takeOffEnded());
    for (const QString &file : files)
        QVERIFY2(Emblems::badgeOf(file) == 0, qPrintable(file));
}

void TestEmblemKeeper::unregisteringReturnsAtOnce()
{
    // Taking 10 000 emblems off takes many seconds; the manager's window,
    // which unregisters, must not wait for it.
    ExtensionFixture fx;
    QCOMPARE(fx.registerApart("register"), 0);
    QStringList files;
    for (int i = 0; i < 10000; ++i)
        files << fx.item(QStringLiteral("many/%1.txt").arg(i));
    QCOMPARE(fx.badge(QStringList{"set", "7"} + files), 0);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(fx.registerApart("unregister"), 0);
    qInfo("unregistering returned after %lld ms", clock.elapsed());
    // Returned before the work was done, however loaded the machine: taking
    // 10 000 emblems off takes many seconds, so some are still on.
    QVERIFY(std::any_of(files.cbegin(), files.cend(), [](const QString &file) { return Emblems::badgeOf(file) == 7; }));

    // Registered again while the emblems come off: they are kept after all.
    QCOMPARE(fx.registerApart("register"), 0);
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(files.cbegin(), files.cend(), [](const QString &file) { return Emblems::badgeOf(file) == 7; }),
        120000);
    QCOMPARE(KeeperLock::holder().value_or(KeeperLock::Holder()).programFolder, fx.folder.path("."));

    clock.restart();
    QCOMPARE(fx.registerApart("unregister"), 0);
    QVERIFY(ExtensionFixture::takeOffEnded(180000));
    qInfo("emblems off after %lld ms", clock.elapsed());
    for (const QString &file : files)
        QVERIFY2(Emblems::badgeOf(file) == 0, qPrintable(file));
    QVERIFY(!QFileInfo::exists(fx.data("emblix-manager")));
}

void TestEmblemKeeper::hungMountHoldsNothingElse()
{
    ExtensionFixture fx;
    const QString mount = fx.folder.rootPath("mnt");
    const QString flag = fx.folder.rootPath("hang");
    QVERIFY(QDir().mkpath(mount));
    QProcess fileSystem;
    QProcess unregister; // ends only once the file system answers: after the guard below
    fileSystem.start(QStringLiteral(EMBLIX_SLOW_MOUNT), {flag, mount});
    QVERIFY(fileSystem.waitForStarted());
    // Killing the file system answers every call still waiting on it.
    const auto unmount = qScopeGuard([&] {
        QFile::remove(flag);
        fileSystem.kill();
        fileSystem.waitForFinished();
        QProcess::execute("fusermount3", {"-u", "-z", mount});
    });
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(mount + "/fast.txt"); }, 10000))
        QSKIP("no FUSE mount can be made here");
    const QStringList files{mount + "/slow.txt", mount + "/fast.txt", fx.item("normal.txt")};
    QCOMPARE(fx.badge(QStringList{"set", "4"} + files), 0);

    // The mount stops answering for a minute; unregistering returns at once,
    // and the keeper it leaves the work to sets that file aside and takes
    // every other emblem off.
    fx.folder.write("../hang", "");
    QTest::qWait(1500); // the kernel's cached look at the file expires
    QElapsedTimer clock;
    clock.start();
    unregister.start(QStringLiteral(EMBLIX_REGISTER_LIBRARY), {"unregister", fx.folder.path("emblixmenu.dll")});
    QByteArray said;
    QVERIFY(QTest::qWaitFor([&] { return (said += unregister.readAllStandardOutput()).contains('\n'); }, 50000));
    qInfo("unregistering returned after %lld ms", clock.elapsed());
    QCOMPARE(said, QByteArray("DllUnregisterServer: 0\n"));
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(files[1]), 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(files[2]), 0, 10000);
    // The file set aside stays in the ledger, for the next unregistering.
    const auto ledger = [] { return EmblemLedger().read().keys(); };
    QTRY_COMPARE_WITH_TIMEOUT(ledger(), QStringList{files[0]}, 30000);
}

QTEST_GUILESS_MAIN(TestEmblemKeeper)
#include "tst_EmblemKeeper.moc"
