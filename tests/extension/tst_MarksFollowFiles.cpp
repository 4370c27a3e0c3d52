#include "ExtensionFixture.h"

#include "Emblems.h"
#include "UserFolders.h"
#include "library/BadgeRecordStore.h"
#include "platform/ini/TntIniFile.h"

#include <QTest>

#include <cstdio>
#include <thread>

// A mark follows its file when the file, or a folder above it, is renamed
// or moved: by a file manager (GIO, which takes the gvfs metadata along)
// or by a terminal (rename(2), which leaves it behind). The record moves to
// the new path, the badge shows there, and a file made later at the old
// path wears nothing.
class TestMarksFollowFiles : public QObject
{
    Q_OBJECT

private slots:
    void followsEveryKindOfMove_data();
    void followsEveryKindOfMove();
    void movesWhileStoppedAreFoundAtStart();
    void racingDeletionsLoseNoOtherRecord();
    void unregisteringAfterMovesLeavesNoEmblem();
    void racingWritersEndWithEmblemsEqualToRecords();

private:
    static QString record(const ExtensionFixture &fx, const QString &path)
    {
        return TTntIniFile(fx.folder.path("base.ini"), IniDocument::KeySpelling::Exact).ReadString("Files", path, "-");
    }
    // Waits until the keeper follows every one of paths: it notes their
    // identities once its watches are in place.
    static void waitUntilFollowed(const QStringList &paths)
    {
        QVERIFY(QTest::qWaitFor(
            [&] {
                QFile identities(UserFolders::markIdentities());
                const QByteArray text = identities.open(QIODevice::ReadOnly) ? identities.readAll() : QByteArray();
                return std::all_of(paths.cbegin(), paths.cend(), [&](const QString &path) {
                    return text.contains('\t' + QFile::encodeName(path) + '\n');
                });
            },
            kKeeperStartMs));
    }
    static void startFollowing(const ExtensionFixture &fx, const QStringList &paths)
    {
        QVERIFY(QProcess::startDetached(fx.folder.path("emblix-keeper"), {}));
        waitUntilFollowed(paths);
    }
    static void move(const QString &tool, const QString &from, const QString &to)
    {
        QDir().mkpath(QFileInfo(to).path());
        if (tool == u"gio")
            QCOMPARE(QProcess::execute("gio", {"move", "--", from, to}), 0);
        else
            QCOMPARE(::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0);
    }
    // The badge is on the new path only: a file made at the old path wears
    // none (gvfs would give it whatever metadata stayed there).
    static void checkFollowed(ExtensionFixture &fx, const QString &from, const QString &to, int badge)
    {
        QTRY_COMPARE_WITH_TIMEOUT(record(fx, to), QString::number(badge), 30000);
        QCOMPARE(record(fx, from), QStringLiteral("-"));
        QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(to), badge, 30000);
        QDir().mkpath(QFileInfo(from).path());
        QFile made(from);
        QVERIFY(made.open(QIODevice::WriteOnly));
        made.close();
        QCOMPARE(Emblems::badgeOf(from), 0);
    }
};

void TestMarksFollowFiles::followsEveryKindOfMove_data()
{
    QTest::addColumn<QString>("tool");   // gio: a file manager; rename: a terminal
    QTest::addColumn<QString>("marked"); // the marked file
    QTest::addColumn<QString>("moved");  // what is moved: the file or a folder above it
    QTest::addColumn<QString>("to");
    // clang-format off
    QTest::newRow("terminal rename") << "rename" << "a.txt" << "a.txt" << "a2.txt";
    QTest::newRow("terminal, into a folder with no mark") << "rename" << "b.txt" << "b.txt" << "elsewhere/deep/b.txt";
    QTest::newRow("terminal, folder above") << "rename" << "d/e/c.txt" << "d" << "d renamed";
    QTest::newRow("file manager rename") << "gio" << "g.txt" << "g.txt" << "g2.txt";
    QTest::newRow("file manager, folder two levels up") << "gio" << "p/q/r.txt" << "p" << "elsewhere/p2";
    QTest::newRow("hostile name") << "rename" << "x 50% $(y) 'q\".txt" << "x 50% $(y) 'q\".txt"
                                  << "far/-x 50%s $(y).txt";
    // clang-format on
}

void TestMarksFollowFiles::followsEveryKindOfMove()
{
    QFETCH(QString, tool);
    QFETCH(QString, marked);
    QFETCH(QString, moved);
    QFETCH(QString, to);
    ExtensionFixture fx;
    const QString file = fx.item(marked);
    const QString root = fx.folder.rootPath(QStringLiteral("files")) + u'/';
    // A marked file whose name sorts between the moved one and what it
    // holds ("d", "d beside", "d/..."): it stays, and does not hide them.
    const QString beside = fx.item(moved + " beside");
    QCOMPARE(fx.badge({"set", "4", "--", file}), 0);
    QCOMPARE(fx.badge({"set", "6", "--", beside}), 0);
    startFollowing(fx, {file, beside});
    move(tool, root + moved, root + to);
    checkFollowed(fx, file, root + to + marked.sliced(moved.size()), 4);
    QCOMPARE(record(fx, beside), QStringLiteral("6"));
}

void TestMarksFollowFiles::movesWhileStoppedAreFoundAtStart()
{
    // Found by the identity noted while a keeper ran: a rename in place and
    // a folder above renamed.
    ExtensionFixture fx;
    const QString file = fx.item("kept/s1.txt");
    const QString inFolder = fx.item("kept/f/s2.txt");
    QCOMPARE(fx.badge({"set", "6", file, inFolder}), 0);
    startFollowing(fx, {file, inFolder});
    QVERIFY(KeeperLock::stopRunning(kKeeperStartMs));
    const QString root = QFileInfo(file).path();
    move("rename", file, root + "/s1 renamed.txt");
    move("rename", root + "/f", root + "/f2");
    QVERIFY(QProcess::startDetached(fx.folder.path("emblix-keeper"), {}));
    checkFollowed(fx, file, root + "/s1 renamed.txt", 6);
    checkFollowed(fx, inFolder, root + "/f2/s2.txt", 6);
}

void TestMarksFollowFiles::racingDeletionsLoseNoOtherRecord()
{
    // The manager deletes records, and a program that takes no lock adds
    // some, while marked files are renamed one by one: each deletion takes
    // only its own records, no added one is lost, every move is followed.
    ExtensionFixture fx;
    QStringList moving;
    QStringList deleted;
    QStringList kept;
    for (int i = 0; i < 100; ++i) {
        moving << fx.item(QStringLiteral("race/m%1").arg(i));
        deleted << fx.item(QStringLiteral("race/d%1").arg(i));
        kept << fx.item(QStringLiteral("race/k%1").arg(i));
    }
    QCOMPARE(fx.badge(QStringList{"set", "2"} + moving + deleted + kept), 0);
    startFollowing(fx, moving);
    QProcess unlocked;
    unlocked.start(QStringLiteral(EMBLIX_STORE_WRITER),
                   {"append", fx.folder.path("base.ini"), "/unlocked/", "200", "2"});
    std::thread renamer([&] {
        for (const QString &path : std::as_const(moving))
            ::rename(QFile::encodeName(path).constData(), QFile::encodeName(path + u'n').constData());
    });
    // A deletion that waited out its bounded wait is made again, as a user
    // would click again.
    for (qsizetype i = 0; i < deleted.size(); i += 10)
        QVERIFY(QTest::qWaitFor([&] { return BadgeRecordStore(fx.folder.folder()).deleteRecords(deleted.mid(i, 10)); },
                                kKeeperStartMs));
    renamer.join();
    QVERIFY(unlocked.waitForFinished(kKeeperStartMs));
    for (const QString &path : std::as_const(moving))
        QTRY_COMPARE_WITH_TIMEOUT(record(fx, path + u'n'), QStringLiteral("2"), 30000);
    TTntIniFile store(fx.folder.path("base.ini"), IniDocument::KeySpelling::Exact);
    QStringList keys;
    store.ReadSection("Files", keys);
    for (const QString &path : std::as_const(kept))
        QVERIFY2(keys.contains(path), qPrintable(path));
    for (int i = 0; i < 200; ++i)
        QVERIFY2(keys.contains(QStringLiteral("/unlocked/%1").arg(i)), qPrintable(QString::number(i)));
    QCOMPARE(keys.size(), moving.size() + kept.size() + 200);
    // In place: the renamed records stand where the old ones stood, first.
    QCOMPARE(keys.first(), moving.first() + u'n');
}

void TestMarksFollowFiles::unregisteringAfterMovesLeavesNoEmblem()
{
    ExtensionFixture fx;
    const QString byTerminal = fx.item("u/t.txt");
    const QString byFileManager = fx.item("u/g.txt");
    const QString inFolder = fx.item("u/f/in.txt");
    QCOMPARE(fx.badge({"set", "9", byTerminal, byFileManager, inFolder}), 0);
    QCOMPARE(fx.registerApart("register"), 0);
    waitUntilFollowed({byTerminal, byFileManager, inFolder});
    const QString away = fx.item("away/");
    move("rename", byTerminal, away + "/t.txt");
    move("gio", byFileManager, away + "/g.txt");
    move("rename", QFileInfo(inFolder).path(), away + "/f");
    for (const QString &moved : {away + "/t.txt", away + "/g.txt", away + "/f/in.txt"})
        QTRY_COMPARE_WITH_TIMEOUT(record(fx, moved), QStringLiteral("9"), 30000);
    QCOMPARE(fx.registerApart("unregister"), 0);
    QVERIFY(ExtensionFixture::takeOffEnded());
    for (const QString &moved : {away + "/t.txt", away + "/g.txt", away + "/f/in.txt"})
        QVERIFY2(Emblems::badgeOf(moved) == 0, qPrintable(moved));
}

void TestMarksFollowFiles::racingWritersEndWithEmblemsEqualToRecords()
{
    // Four badge commands mark the same files twice each, with other
    // badges, while the keeper runs and the manager deletes records: once
    // they are done, every file shows what its record says, no more.
    ExtensionFixture fx;
    QStringList files;
    for (int i = 0; i < 1000; ++i)
        files << fx.item(QStringLiteral("writers/%1.txt").arg(i));
    QCOMPARE(fx.badge(QStringList{"set", "1", "--"} + files), 0);
    startFollowing(fx, files.mid(0, 1));
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int round = 0; round < 2; ++round) {
        for (int writer = 0; writer < 4; ++writer) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(fx.folder.path("emblix-badge"),
                                  QStringList{"set", QString::number(2 + writer), "--"} + files);
        }
        for (qsizetype i = round; i < files.size(); i += 10)
            QVERIFY(QTest::qWaitFor([&] { return BadgeRecordStore(fx.folder.folder()).deleteRecords({files[i]}); },
                                    kKeeperStartMs));
    }
    for (const auto &writer : writers)
        QVERIFY(writer->waitForFinished(kKeeperStartMs));
    TTntIniFile store(fx.folder.path("base.ini"), IniDocument::KeySpelling::Exact);
    // One listing reads every file's emblems.
    const auto differing = [&] {
        const QHash<QByteArray, QStringList> emblems = Emblems::emblemsIn(QFileInfo(files[0]).path()).value();
        QStringList wrong;
        for (const QString &file : std::as_const(files)) {
            const QString record = store.ReadString("Files", file, "0");
            const QStringList shown = emblems.value(QFile::encodeName(QFileInfo(file).fileName()));
            if (shown != (record == u"0" ? QStringList() : QStringList{UserFolders::emblemName(record.toInt())}))
                wrong << QStringLiteral("%1: record %2, emblems %3").arg(file, record, shown.join(u' '));
        }
        return wrong;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(differing().isEmpty(), qPrintable(differing().join(u'\n')), 60000);
}

QTEST_GUILESS_MAIN(TestMarksFollowFiles)
#include "tst_MarksFollowFiles.moc"
