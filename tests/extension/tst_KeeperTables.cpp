#include "BadgeBook.h"
#include "EmblemLedger.h"
#include "EmblemOutcome.h"
#include "ExtensionFacts.h"
#include "KeeperLock.h"
#include "RecordTable.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <thread>

// What the keeper keeps between syncs: the records as last read, brought up
// to date from each reading, and the ledger of emblems it set, written by
// several processes at once.
class TestKeeperTables : public QObject
{
    Q_OBJECT

private slots:
    // The keeper's lock lives in the data folder: a temporary one, so a
    // keeper of the real session stays out of these tests.
    void initTestCase() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path())); }
    void recordsFollowEveryReading_data();
    void recordsFollowEveryReading();
    void ledgerKeepsEveryWritersNotes();
    void keeperHearsOnlyOthersNotes();
    void pooledPathsComeBackExactly();
    void emblemNamesStandForOneBadge();
    void writesTellTheLedgerNoLessThanShows();
    void noCallStartsOnceStopped();

private:
    QTemporaryDir m_home;
};

using Entries = QList<std::pair<QString, QString>>;

namespace {

// The records as a full reading finds them: the first line of each
// spelling, keys that name a file only.
QHash<QString, int> fullReading(const Entries &entries)
{
    QHash<QString, int> records;
    for (const auto &[path, badge] : entries) {
        if (path.startsWith(u'/') && !path.contains(u"//") && !records.contains(path))
            records.insert(path, BadgeBook::badgeNumber(badge));
    }
    return records;
}

QHash<QString, int> contentsOf(const RecordTable &table)
{
    QHash<QString, int> records;
    table.forEach([&](PathPool::Id id, int badge) { records.insert(table.pool().path(id), badge); });
    return records;
}

Entries many(int count, const QString &badge)
{
    Entries entries;
    for (int i = 0; i < count; ++i)
        entries.append({QStringLiteral("/files/%1.txt").arg(i), badge});
    return entries;
}

} // namespace

void TestKeeperTables::recordsFollowEveryReading_data()
{
    QTest::addColumn<QList<Entries>>("readings");
    const Entries base = many(50, "2");
    Entries changed = base, removed = base, added = base, moved = base, twice = base, unnameable = base;
    changed[10].second = "7";
    removed.removeAt(20);
    added.insert(30, {"/files/new.txt", "4"});
    moved.move(5, 40);
    twice.append(std::pair<QString, QString>("/files/3.txt", "9")); // a second line of a key: the first counts
    unnameable.insert(25, {"/files//2.txt", "8"});
    Entries secondFirst = twice;
    secondFirst.removeAt(3); // now the later line is the record
    QTest::newRow("a value changed") << QList<Entries>{base, changed, base};
    QTest::newRow("a line removed, then back") << QList<Entries>{base, removed, base};
    QTest::newRow("a line added") << QList<Entries>{base, added, removed};
    QTest::newRow("a line moved") << QList<Entries>{base, moved};
    QTest::newRow("a key twice") << QList<Entries>{base, twice, secondFirst, base};
    QTest::newRow("a key naming no file") << QList<Entries>{base, unnameable, base};
    QTest::newRow("everything changed") << QList<Entries>{many(3000, "1"), many(3000, "5"), {}};
}

void TestKeeperTables::recordsFollowEveryReading()
{
    QFETCH(QList<Entries>, readings);
    PathPool pool;
    RecordTable table(pool);
    QHash<QString, int> last;
    for (const Entries &reading : readings) {
        const std::optional<QStringList> changed = table.update(reading);
        const QHash<QString, int> expected = fullReading(reading);
        QCOMPARE(contentsOf(table), expected);
        // Every record that differs from the last reading is among the keys
        // reported (nullopt: every key is compared).
        if (changed) {
            for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                QVERIFY2(last.value(it.key()) == it.value() || changed->contains(it.key()), qPrintable(it.key()));
            for (auto it = last.cbegin(); it != last.cend(); ++it)
                QVERIFY2(expected.contains(it.key()) || changed->contains(it.key()), qPrintable(it.key()));
        }
        last = expected;
    }
}

void TestKeeperTables::ledgerKeepsEveryWritersNotes()
{
    // Two writers at once, as the badge command and the keeper are, each
    // noting far more than one fold's worth: no note is lost to a fold.
    QTemporaryDir folder;
    const EmblemLedger ledger(folder.filePath("emblems.ini"));
    const auto writer = [&](const QString &name) {
        for (int i = 0; i < 2000; ++i) {
            const QString path = folder.filePath(QStringLiteral("%1 %2.txt").arg(name).arg(i));
            ledger.plan({{path, 3}});
            ledger.note({{path, 3}}, {});
            if (i % 2)
                ledger.note({}, {path});
        }
    };
    std::thread first(writer, QStringLiteral("first"));
    std::thread second(writer, QStringLiteral("second"));
    first.join();
    second.join();
    QVERIFY(QFileInfo(ledger.fileName()).size() > 0); // folded at least once
    ledger.plan({{folder.filePath("under way.txt"), 5}});
    const QHash<QString, int> entries = ledger.read();
    QCOMPARE(entries.size(), 2001);
    QCOMPARE(entries.value(folder.filePath("second 1998.txt")), 3);
    QVERIFY(!entries.contains(folder.filePath("first 1999.txt")));
    QCOMPARE(entries.value(folder.filePath("under way.txt")), EmblemLedger::kUnsure);
}

void TestKeeperTables::keeperHearsOnlyOthersNotes()
{
    // The keeper notes far more than the badge command, folding the journal
    // on its own now and then: each look returns exactly the command's
    // notes since the last one, never the keeper's own.
    QTemporaryDir folder;
    EmblemLedger keeper(folder.filePath("emblems.ini"));
    const EmblemLedger command(keeper.fileName());
    QVERIFY(keeper.notedByOthers()->isEmpty());
    for (int round = 0; round < 40; ++round) {
        QList<std::pair<QString, int>> own;
        for (int i = 0; i < 200; ++i)
            own.append({folder.filePath(QStringLiteral("keeper %1 %2.txt").arg(round).arg(i)), 4});
        keeper.note(own.first(100), {});
        const QString othersPath = folder.filePath(QStringLiteral("command %1.txt").arg(round));
        command.note({{othersPath, 2}}, {});
        keeper.note(own.sliced(100), {own[0].first});
        QCOMPARE(keeper.notedByOthers(), std::optional(QSet<QString>{othersPath}));
    }
    QVERIFY(QFileInfo(keeper.fileName()).size() > 0); // the keeper folded meanwhile
    // A note seen half written is heard once it is whole.
    QFile journal(keeper.journalName());
    QVERIFY(journal.open(QIODevice::Append));
    journal.write("2\t" + QFile::encodeName(folder.filePath("half.txt")));
    journal.flush();
    QCOMPARE(keeper.notedByOthers(), std::optional(QSet<QString>()));
    journal.write("\n");
    journal.flush();
    QCOMPARE(keeper.notedByOthers(), std::optional(QSet<QString>{folder.filePath("half.txt")}));
    // The command folds, then the keeper folds before it looks: which notes
    // the first fold took in is lost, and the look says so.
    int batch = 0;
    const auto noteBatch = [&](const EmblemLedger &writer) {
        QList<std::pair<QString, int>> set;
        for (int i = 0; i < 1000; ++i)
            set.append({folder.filePath(QStringLiteral("batch %1/%2.txt").arg(batch).arg(i)), 6});
        ++batch;
        writer.note(set, {});
    };
    const auto noteUntilFolded = [&](const EmblemLedger &writer) {
        const FileStamp before = FileStamp::of(keeper.fileName());
        for (int i = 0; i < 100 && FileStamp::of(keeper.fileName()) == before; ++i)
            noteBatch(writer);
        return !(FileStamp::of(keeper.fileName()) == before);
    };
    QVERIFY(noteUntilFolded(command));
    QVERIFY(noteUntilFolded(keeper));
    QCOMPARE(keeper.notedByOthers(), std::nullopt);
    // With a keeper running, the command leaves a journal past the fold size
    // to the keeper, which hears every note.
    KeeperLock running;
    QVERIFY(running.acquire(folder.path()));
    const FileStamp before = FileStamp::of(keeper.fileName());
    const int firstBatch = batch;
    while (QFileInfo(keeper.journalName()).size()
           < std::max<qint64>(64 * 1024, QFileInfo(keeper.fileName()).size() / 2))
        noteBatch(command);
    QCOMPARE(FileStamp::of(keeper.fileName()), before);
    QCOMPARE(keeper.notedByOthers()->size(), 1000 * (batch - firstBatch));
}

// The paths the keeper's tables share: each comes back as it went in,
// whatever it holds, after most others were let go and the rest packed.
void TestKeeperTables::pooledPathsComeBackExactly()
{
    PathPool pool;
    const QString odd = QStringLiteral("/a/\u00e9 \U0001F600 ") + QChar(0xDC80) + QChar(0xD800) + u'x';
    QStringList kept{odd, QString(), QString(5000, u'\u65e5'), "/"};
    for (int i = 0; i < 150000; ++i) {
        const QString path = QStringLiteral("/files/%1 with a longer name to take space.txt").arg(i);
        const PathPool::Id id = pool.hold(path);
        if (i % 10 == 0)
            kept.append(path);
        else
            pool.release(id);
    }
    for (const QString &path : std::as_const(kept)) {
        const PathPool::Id id = pool.hold(path);
        QCOMPARE(pool.path(id), path);
        QCOMPARE(pool.find(path), id);
    }
    QCOMPARE(pool.size(), kept.size());
    QCOMPARE(pool.find(QStringLiteral("/files/1 with a longer name to take space.txt")), PathPool::kNoId);
    QVERIFY(pool.find(QString(odd).replace(QChar(0xDC80), QChar(0xFFFD))) == PathPool::kNoId);
}

// The one rule every reader of emblems (the keeper, the badge command, the
// Dolphin plugin) applies to a file's emblem names.
void TestKeeperTables::emblemNamesStandForOneBadge()
{
    QCOMPARE(emblix_badge_of_emblem("emblix-badge-1"), 1);
    QCOMPARE(emblix_badge_of_emblem("emblix-badge-10"), 10);
    for (const char *other : {"emblix-badge-0", "emblix-badge-11", "emblix-badge-03", "emblix-badge-3x",
                              "emblix-badge-", "emblix-badge-99999999999999999999", "x-emblix-badge-3", "favorite"})
        QVERIFY2(emblix_badge_of_emblem(other) == 0, other);
}

void TestKeeperTables::writesTellTheLedgerNoLessThanShows()
{
    using Kind = EmblemOutcome::Kind;
    using Written = std::optional<BoundedCalls::PathOutcome>;
    const Written done{BoundedCalls::PathOutcome{}};
    const Written doneFileGone{BoundedCalls::PathOutcome{QString(), false}};
    const Written refused{BoundedCalls::PathOutcome{QStringLiteral("no store"), true}};
    const Written refusedFileGone{BoundedCalls::PathOutcome{QStringLiteral("no file"), false}};
    const struct {
        int badge;
        Written written;
        Kind kind;
        bool noteSet;
        bool noteGone;
    } cases[] = {
        {3, done, Kind::Set, true, false},
        // The emblem came, then the file went: gvfs keeps it at the path,
        // so the ledger must too, or it could never be taken off.
        {3, doneFileGone, Kind::Set, true, false},
        {0, done, Kind::Cleared, false, true},
        {0, doneFileGone, Kind::Waiting, false, false},
        {0, refusedFileGone, Kind::Waiting, false, false},
        {3, refused, Kind::Failed, false, false},
        {0, refused, Kind::Failed, false, false},
        {3, refusedFileGone, Kind::Failed, false, true},
        {3, std::nullopt, Kind::NoAnswer, false, false},
        {3, Written{BoundedCalls::PathOutcome{QString(), true, true}}, Kind::Skipped, false, false},
    };
    for (const auto &c : cases) {
        const EmblemOutcome outcome = EmblemOutcome::of(c.badge, c.written);
        const QByteArray what = QByteArray::number(c.badge) + (c.written ? " " + c.written->problem.toUtf8() : " none");
        QVERIFY2(outcome.kind == c.kind, what);
        QVERIFY2(outcome.noteSet == c.noteSet && outcome.noteGone == c.noteGone, what);
    }
}

void TestKeeperTables::noCallStartsOnceStopped()
{
    // One worker, so the calls come in order: the fifth asks to stop.
    std::atomic_bool stop{false};
    std::atomic_int calls{0};
    QStringList paths;
    for (int i = 0; i < 20; ++i)
        paths << QString::number(i);
    const auto results = BoundedCalls::forEach(
        paths,
        [&](const QString &) {
            stop = ++calls == 5;
            return BoundedCalls::PathOutcome{};
        },
        60000, 1, &stop);
    QCOMPARE(calls.load(), 5);
    QCOMPARE(
        std::count_if(results.cbegin(), results.cend(), [](const auto &result) { return result && result->skipped; }),
        15);
}

QTEST_GUILESS_MAIN(TestKeeperTables)
#include "tst_KeeperTables.moc"
