#include "TestFolder.h"
#include "UnlockedWriter.h"

#include "library/BadgeRecordStore.h"
#include "platform/ini/TntIniFile.h"

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
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("pauseMs");
    QTest::newRow("append every millisecond") << "append" << 1;
    QTest::newRow("slow: each append held open 3 to 20 ms") << "slow" << 1;
    QTest::newRow("held: one handle, every 2 ms") << "held" << 2;
    QTest::newRow("rewrite in place every millisecond") << "rewrite" << 1;
}

void TestRecordStoreWriters::unlockedWriterKeepsEveryRecord()
{
    QFETCH(QString, mode);
    QFETCH(int, pauseMs);
    // A held writer runs longer than a deletion may wait.
    const int written = mode == u"slow" ? 40 : mode == u"held" ? 1100 : 150;
    for (int round = 1; round <= 3; ++round) {
        TestFolder folder;
        const UnlockedWriterOutcome outcome = runUnlockedWriter(folder.path("."), QStringLiteral(EMBLIX_STORE_WRITER),
                                                                {mode, 1000, written, pauseMs, 20});
        qInfo("round %d: %d deletions made, %d refused, longest %lld ms, while %d records were written", round,
              outcome.deletionsMade, outcome.deletionsRefused, static_cast<long long>(outcome.longestDeletionMs),
              outcome.appended);
        QCOMPARE(outcome.writerExit, 0);
        QCOMPARE(outcome.untouchedLost, 0);
        QCOMPARE(outcome.writerLost, 0);
        QCOMPARE(outcome.revived, 0);
        // A writer that keeps the file open leaves no moment to delete in:
        // the deletion ends as one that could not be made. The others close
        // the file between their writes.
        if (mode == u"held")
            QVERIFY(outcome.deletionsRefused >= 1);
        else
            QVERIFY(outcome.deletionsMade >= 1);
    }
}

QTEST_GUILESS_MAIN(TestRecordStoreWriters)
#include "tst_RecordStoreWriters.moc"
