#include "ExtensionFixture.h"

#include "Emblems.h"
#include "library/BadgeRecordStore.h"
#include "platform/TntIniFile.h"

#include <QTest>

// The keeper keeps the emblems equal to the records whoever changes them:
// the manager deleting, another writer adding or changing.
class TestEmblemKeeper : public QObject
{
    Q_OBJECT

private slots:
    void followsEveryWriter();
    void startsFromWhatTheLedgerSays();

private:
    static void startKeeper(const ExtensionFixture &fx)
    {
        QVERIFY(QProcess::startDetached(fx.folder.path("emblix-keeper"), {}));
        QTRY_VERIFY(KeeperLock::holder().has_value());
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

QTEST_GUILESS_MAIN(TestEmblemKeeper)
#include "tst_EmblemKeeper.moc"
