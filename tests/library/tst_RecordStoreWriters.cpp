#include "TestFolder.h"
#include "UnlockedWriter.h"

#include "library/BadgeRecordStore.h"
#include "platform/TntIniFile.h"

#include <QProcess>
#include <QTest>

// The record store shared with other processes: writers that take the
// folder lock and writers that take none must not lose a record to the
// manager's deletions, nor bring a deleted one back.
class TestRecordStoreWriters : public QObject
{
    Q_OBJECT

private slots:
    void lockingWriterKeepsEveryRecord();
    void unlockedWriterKeepsEveryRecord_data();
    void unlockedWriterKeepsEveryRecord();
};

void TestRecordStoreWriters::lockingWriterKeepsEveryRecord()
{
    TestFolder folder;
    QByteArray store = "[Files]\n";
    QStringList invalid;
    for (int i = 0; i < 300; ++i) {
        invalid << QStringLiteral("/gone/invalid record %1").arg(i);
        store += invalid.last().toUtf8() + "=2\n";
    }
    const QString path = folder.write("base.ini", store);
    const QString marked = folder.path("marked");
    for (int i = 0; i < 1000; ++i)
        folder.write(QStringLiteral("marked/record %1").arg(i), "x");

    // Another process adds 1 000 valid records one by one while this one
    // removes the invalid ones, round after round, adding new invalid ones.
    QProcess child;
    child.start(QStringLiteral(EMBLIX_INI_CHILD), {"add", path, marked, "1000"});
    QVERIFY(child.waitForStarted());
    const BadgeRecordStore records(folder.folder());
    int rounds = 0;
    while (child.state() != QProcess::NotRunning || rounds < 3) {
        QStringList paths;
        records.removeInvalid(paths);
        const QString extra = QStringLiteral("/gone/added in round %1").arg(rounds);
        invalid << extra;
        TTntIniFile(path).WriteString("Files", extra, "3");
        ++rounds;
        child.waitForFinished(20);
    }
    QCOMPARE(child.exitCode(), 0);
    QStringList paths;
    records.removeInvalid(paths);

    QStringList keys;
    TTntIniFile(path).ReadSection("Files", keys);
    for (int i = 0; i < 1000; ++i)
        QVERIFY2(keys.contains(marked + QStringLiteral("/record %1").arg(i)), qPrintable(QString::number(i)));
    for (const QString &gone : invalid)
        QVERIFY2(!keys.contains(gone), qPrintable(gone));
    QCOMPARE(keys.size(), 1000);
    qInfo("%d clean-up rounds ran while the other process wrote; all 1000 records kept", rounds);
}

void TestRecordStoreWriters::unlockedWriterKeepsEveryRecord_data()
{
    QTest::addColumn<int>("pauseMs");
    QTest::newRow("every millisecond") << 1;
    QTest::newRow("every 20 ms") << 20;
}

void TestRecordStoreWriters::unlockedWriterKeepsEveryRecord()
{
    QFETCH(int, pauseMs);
    TestFolder folder;
    const UnlockedWriterOutcome outcome = runUnlockedWriter(folder.path("."), QStringLiteral(EMBLIX_INI_CHILD),
                                                            {5000, pauseMs == 1 ? 500 : 100, pauseMs, 10});
    QCOMPARE(outcome.writerExit, 0);
    qInfo("%d deletions while %d records were appended without a lock: %d lost, %d deleted records back",
          outcome.deletions, outcome.appended, outcome.lost, outcome.revived);
    // A writer faster than a rewrite (on a slow machine, every writer) keeps
    // one deletion merging until it pauses: how many run depends on the machine.
    QVERIFY(outcome.deletions >= 1);
    QCOMPARE(outcome.lost, 0);
    QCOMPARE(outcome.revived, 0);
}

QTEST_GUILESS_MAIN(TestRecordStoreWriters)
#include "tst_RecordStoreWriters.moc"
