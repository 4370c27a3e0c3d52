// The extension's figures on real files with gvfs; run on a session bus of
// its own:
//
//   sh tests/extension/run-with-session-bus.sh build/bench/bench_badges [files to mark] [store sizes...]
//
// 0. The running keeper: how soon an emblem follows a changed record, beside
//    20 records and beside 100 000, then its processor time and memory
//    while idle ("latency" alone runs only this).
//    Then marks that follow their files beside 100 000 records ("moves"
//    alone runs only this): a marked file renamed in a terminal, set
//    against a record changed in the same run; a folder of 10 000 marked
//    files renamed; 1 000 marked files renamed one by one; a keeper start
//    after folders were renamed while it was stopped; idle cost and memory.
//    The keeper's peak and held memory at 100 000 and 1 000 000 records, and
//    as another process grows base.ini half again while it runs ("memory"
//    alone runs only this, "memory N" for a store of N records; "sync N"
//    runs the first sync of N records alone).
// 1. One menu action marking many selected files: the badge command run once
//    on all of them (one rewrite of base.ini, one emblem per file).
// 2. For a store of N records: the keeper's first sync, set against the
//    floor (every file's emblem set the fastest public way GIO offers,
//    g_file_set_attributes_async with 64 requests in flight and nothing read
//    first) measured before and after it; a keeper start when
//    nothing differs; its sync after the
//    manager deleted half of the records (the emblems come off); after a
//    clean-up removed half of the rest (their files are gone); and a keeper
//    start over the whole store when nothing differs.

#include "BadgeBook.h"
#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "Emblems.h"
#include "KeeperLock.h"
#include "RecordTable.h"
#include "UserFolders.h"
#include "library/BadgeRecordStore.h"
#include "platform/FileStamp.h"
#include "platform/ini/TntIniFile.h"

#undef signals
#include <gio/gio.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// The processor time a process has used, from the scheduler's own count.
double processorSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
}

// A field of /proc/<pid>/status in KiB: VmRSS (held now), VmHWM (peak).
qint64 statusKiB(qint64 pid, const QByteArray &field = "VmRSS:")
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// From here on, VmHWM counts anew.
void resetPeak(qint64 pid)
{
    QFile refs(QStringLiteral("/proc/%1/clear_refs").arg(pid));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

qint64 residentKiB(qint64 pid)
{
    return statusKiB(pid);
}

QStringList makeFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        paths << folder + QStringLiteral("/file %1.txt").arg(i);
        QFile(paths.last()).open(QIODevice::WriteOnly);
    }
    return paths;
}

void markSelection(int count)
{
    QTemporaryDir root;
    QDir().mkpath(root.filePath("program"));
    QFile::copy(QStringLiteral(EMBLIX_DEMO_DIR "/emblix-badge"), root.filePath("program/emblix-badge"));
    const QStringList files = makeFiles(root.filePath("selection"), count);
    QElapsedTimer timer;
    timer.start();
    const int exit = QProcess::execute(root.filePath("program/emblix-badge"), QStringList{"set", "3", "--"} + files);
    std::printf("marking %d selected files in one action: %.2f s (exit %d, %lld records)\n", count, seconds(timer),
                exit, qint64(BadgeBook(ProgramFolder(root.filePath("program"))).records().size()));
}

// The floor: every emblem written without reading first, 64 at a time.
struct FloorWindow {
    QStringList files;
    qsizetype next = 0;
    int inFlight = 0;
    GMainLoop *loop = nullptr;
};

void startNextWrite(FloorWindow *window);

void writeDone(GObject *source, GAsyncResult *result, gpointer data)
{
    auto *window = static_cast<FloorWindow *>(data);
    g_file_set_attributes_finish(G_FILE(source), result, nullptr, nullptr);
    --window->inFlight;
    if (window->next < window->files.size())
        startNextWrite(window);
    else if (window->inFlight == 0)
        g_main_loop_quit(window->loop);
}

void startNextWrite(FloorWindow *window)
{
    GFile *file = g_file_new_for_path(QFile::encodeName(window->files[window->next++]).constData());
    GFileInfo *info = g_file_info_new();
    const char *names[] = {"emblix-badge-4", nullptr};
    g_file_info_set_attribute_stringv(info, "metadata::emblems", const_cast<char **>(names));
    ++window->inFlight;
    g_file_set_attributes_async(file, info, G_FILE_QUERY_INFO_NONE, G_PRIORITY_DEFAULT, nullptr, writeDone, window);
    g_object_unref(info);
    g_object_unref(file);
}

double floorSeconds(const QStringList &files)
{
    FloorWindow window{files, 0, 0, g_main_loop_new(nullptr, FALSE)};
    QElapsedTimer timer;
    timer.start();
    while (window.inFlight < 64 && window.next < window.files.size())
        startNextWrite(&window);
    if (window.inFlight > 0)
        g_main_loop_run(window.loop);
    g_main_loop_unref(window.loop);
    return seconds(timer);
}

void syncAfterCleanUp(int count)
{
    QTemporaryDir root;
    const ProgramFolder program(root.filePath("program"));
    QDir().mkpath(program.root());
    const QStringList files = makeFiles(root.filePath("store"), count);
    QByteArray store = "[Files]\n";
    for (const QString &file : files)
        store += file.toUtf8() + "=5\n";
    QFile out(program.file(u"base.ini"));
    out.open(QIODevice::WriteOnly);
    out.write(store);
    out.close();

    // The floor on files of their own, once before the sync and once after:
    // every entry gvfs holds makes each later write dearer, so the sync is
    // set against the mean of the two.
    const double floorBefore = floorSeconds(makeFiles(root.filePath("floor-before"), count));
    std::printf("%6d records: floor (GIO async, 64 in flight, no reads) %.2f s\n", count, floorBefore);

    EmblemLedger ledger(root.filePath("emblems.ini"));
    QElapsedTimer timer;
    timer.start();
    PathPool firstPaths;
    EmblemSync first(ledger, firstPaths);
    RecordTable firstRecords(firstPaths);
    firstRecords.read(BadgeBook(program).fileName());
    EmblemSync::Report report = first.follow(firstRecords);
    const double sync = seconds(timer);
    const double floorAfter = floorSeconds(makeFiles(root.filePath("floor-after"), count));
    const double floor = (floorBefore + floorAfter) / 2;
    std::printf("%6d records: first sync %.2f s (%d emblems set), floor after it %.2f s: %.2fx the floors' mean\n",
                count, sync, report.set, floorAfter, sync / floor);

    // A keeper starting over the store as the ledger has it: it reads the
    // store and the ledger and touches no file.
    timer.start();
    PathPool restartedPaths;
    EmblemSync restarted(ledger, restartedPaths);
    RecordTable restartedRecords(restartedPaths);
    restartedRecords.read(BadgeBook(program).fileName());
    report = restarted.follow(restartedRecords);
    std::printf("%6d records: keeper start with nothing to change %.2f s (%d files touched)\n", count, seconds(timer),
                report.set + report.cleared + report.failed);

    // The manager deletes every other record (their files stay): their
    // emblems come off.
    QStringList deleted;
    for (int i = 0; i < count; i += 2)
        deleted << files[i];
    timer.start();
    BadgeRecordStore(program).deleteRecords(deleted);
    const double deletion = seconds(timer);
    timer.start();
    firstRecords.read(BadgeBook(program).fileName());
    report = first.follow(firstRecords);
    std::printf("%6d records: deleting half %.2f s, then keeper sync %.2f s (%d emblems taken off)\n", count, deletion,
                seconds(timer), report.cleared);

    // The files of half of the rest go; the manager cleans the store up.
    for (int i = 1; i < count; i += 4)
        QFile::remove(files[i]);
    QStringList paths;
    timer.start();
    BadgeRecordStore(program).removeInvalid(paths);
    const double cleanUp = seconds(timer);
    timer.start();
    firstRecords.read(BadgeBook(program).fileName());
    report = first.follow(firstRecords);
    std::printf("%6d records: clean-up of %d %.2f s, then keeper sync %.2f s (%d files gone)\n", count / 2, count / 4,
                cleanUp, seconds(timer), report.failed);
}

// A program folder with the badge command and the keeper beside a store of
// the filler files' records, which the ledger says show their emblems, so a
// keeper starts without touching them, as it does on a login.
ProgramFolder keeperProgram(const QTemporaryDir &root, const QStringList &filler)
{
    const ProgramFolder program(root.filePath("program"));
    QDir().mkpath(program.root());
    for (const char *name : {"emblix-badge", "emblix-keeper"})
        QFile::copy(QStringLiteral(EMBLIX_DEMO_DIR "/") + name, program.file(QString::fromLatin1(name)));
    QByteArray store = "[Files]\n";
    QByteArray shown = "[Emblems]\n";
    for (const QString &file : filler) {
        store += file.toUtf8() + "=5\n";
        shown += file.toUtf8() + "=5\n";
    }
    for (const auto &[name, text] :
         {std::pair{program.file(u"base.ini"), store}, std::pair{EmblemLedger().fileName(), shown}}) {
        QDir().mkpath(QFileInfo(name).path());
        QFile out(name);
        out.open(QIODevice::WriteOnly);
        out.write(text);
    }
    return program;
}

// The processor time of the process and of what carries out the emblem
// writes it waits for: the session bus and gvfs's metadata daemon.
double withMetadataDaemon(qint64 pid)
{
    double total = processorSeconds(pid);
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(entry));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = comm.readAll().trimmed();
        if (name == "gvfsd-metadata" || name == "dbus-daemon")
            total += processorSeconds(entry.toLongLong());
    }
    return total;
}

// Waits until a process, and the emblem writes it asked for, have used less
// than 2 % of a core over a second.
void waitUntilIdle(qint64 pid)
{
    for (int second = 0; second < 600; ++second) {
        const double before = withMetadataDaemon(pid);
        QThread::sleep(1);
        if (withMetadataDaemon(pid) - before < 0.02)
            return;
    }
}

// The keeper's peak and held memory over a store of `records` records (the
// ledger says their emblems show, so it starts without touching them), then
// as a marked file is renamed (its record follows it), then while another
// process makes base.ini half again as large in ten rewrites. The records
// added name files deleted since, as a store kept for years holds many:
// each costs the keeper its tables and one failed emblem write, not a wait
// for gvfs, so half a million of them are added in minutes.
void keeperMemory(int records)
{
    QTemporaryDir root;
    const QStringList files = makeFiles(root.filePath("filler"), records);
    QStringList grown;
    for (int i = 0; i < records / 2; ++i)
        grown << root.filePath(QStringLiteral("deleted/file %1.txt").arg(i));
    const ProgramFolder program = keeperProgram(root, files);
    QProcess::startDetached(program.file(u"emblix-keeper"), {});
    while (!KeeperLock::holder())
        QThread::msleep(10);
    const qint64 pid = KeeperLock::holder()->pid;
    waitUntilIdle(pid);
    QThread::sleep(3); // past the memory give-back after the last sync
    const QString store = program.file(u"base.ini");
    std::printf("keeper over %d records (base.ini %lld MiB): peak %lld MiB, held %lld MiB\n", records,
                QFileInfo(store).size() >> 20, statusKiB(pid, "VmHWM:") / 1024, statusKiB(pid) / 1024);
    // A marked file renamed: its record follows, base.ini is rewritten.
    // Each figure from here on is its own step's peak. The time is until
    // base.ini is replaced, checked by its stamp: reading a million records
    // to look would take longer than the keeper does.
    resetPeak(pid);
    const QString moved = files[0] + QStringLiteral(".moved");
    const FileStamp before = FileStamp::of(store);
    QFile::rename(files[0], moved);
    QElapsedTimer moving;
    moving.start();
    while (FileStamp::of(store) == before && moving.elapsed() < 120000)
        QThread::msleep(2);
    const qint64 followedMs = moving.elapsed();
    waitUntilIdle(pid);
    std::printf("keeper as a marked file was renamed (record %s in %lld ms): peak %lld MiB, held %lld MiB\n",
                BadgeBook(program).badgeOf(moved) == u"5" ? "followed" : "NOT followed", followedMs,
                statusKiB(pid, "VmHWM:") / 1024, statusKiB(pid) / 1024);
    resetPeak(pid);
    QByteArray text;
    QFile current(store);
    current.open(QIODevice::ReadOnly);
    text = current.readAll();
    current.close();
    for (int step = 0; step < 10; ++step) {
        for (qsizetype i = grown.size() * step / 10; i < grown.size() * (step + 1) / 10; ++i)
            text += grown[i].toUtf8() + "=5\n";
        QFile next(store + QStringLiteral(".next"));
        next.open(QIODevice::WriteOnly);
        next.write(text);
        next.close();
        std::rename(QFile::encodeName(next.fileName()).constData(), QFile::encodeName(store).constData());
        waitUntilIdle(pid);
    }
    QThread::sleep(3);
    std::printf("keeper as base.ini grew to %d records (%lld MiB): peak %lld MiB, held %lld MiB\n",
                records + int(grown.size()), QFileInfo(store).size() >> 20, statusKiB(pid, "VmHWM:") / 1024,
                statusKiB(pid) / 1024);
    KeeperLock::stopRunning();
    EmblemLedger().forget();
}

// The running keeper over a store of `others` more records: a record
// deleted, or added by another writer, and the time until the file's emblem
// follows. The other records' emblems are taken as set (the ledger says so),
// so the keeper starts without touching them, as it does on a login.
void keeperLatency(int others)
{
    QTemporaryDir root;
    const ProgramFolder program = keeperProgram(root, makeFiles(root.filePath("filler"), others));
    const QStringList files = makeFiles(root.filePath("watched"), 20);
    QProcess::execute(program.file(u"emblix-badge"), QStringList{"set", "2", "--"} + files);
    QProcess::startDetached(program.file(u"emblix-keeper"), {});
    while (!KeeperLock::holder())
        QThread::msleep(10);
    QThread::msleep(500 + others / 100);

    QList<double> taken;
    QElapsedTimer timer;
    // From the moment the record is written: the writers' own time is the
    // manager's, measured in bench_library.
    for (int i = 0; i < 10; ++i) {
        BadgeRecordStore(program).deleteRecords({files[i]});
        timer.start();
        while (Emblems::badgeOf(files[i]) != 0 && timer.elapsed() < 10000)
            QThread::msleep(2);
        taken << seconds(timer);
        TTntIniFile(program.file(u"base.ini")).WriteString("Files", files[i], "7");
        timer.start();
        while (Emblems::badgeOf(files[i]) != 7 && timer.elapsed() < 10000)
            QThread::msleep(2);
        taken << seconds(timer);
    }
    std::sort(taken.begin(), taken.end());
    std::printf("running keeper over %d records, 20 changes: emblem follows in %.0f ms median, %.0f ms at most\n",
                others + 20, taken[taken.size() / 2] * 1000, taken.last() * 1000);

    // Then idle: the processor time it takes over 10 s with nothing to do,
    // and what it holds in memory.
    const qint64 pid = KeeperLock::holder().value_or(KeeperLock::Holder()).pid;
    QThread::sleep(3); // past the memory give-back after the last sync
    const double before = processorSeconds(pid);
    QThread::sleep(10);
    std::printf("running keeper over %d records, idle: %.4f %% of one core, %lld MiB resident\n", others + 20,
                (processorSeconds(pid) - before) / 10 * 100, residentKiB(pid) / 1024);
    KeeperLock::stopRunning();
    EmblemLedger().forget();
}

// Waits until done() holds or a minute passed; the seconds it took.
template <typename Done>
double timeUntil(const Done &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 60000)
        QThread::msleep(2);
    return seconds(timer);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void keeperMoves(int others)
{
    QTemporaryDir root;
    QStringList filler;
    for (int folder = 10; folder * 1000 < others; ++folder)
        filler += makeFiles(root.filePath(QStringLiteral("filler/%1").arg(folder)), 1000);
    const ProgramFolder program = keeperProgram(root, filler);
    const QStringList big = makeFiles(root.filePath("big/folder"), 10000);
    const QStringList files = makeFiles(root.filePath("watched"), 20);
    const QStringList many = makeFiles(root.filePath("many"), 1000);
    QProcess::execute(program.file(u"emblix-badge"), QStringList{"set", "2", "--"} + files + many);
    QProcess::execute(program.file(u"emblix-badge"), QStringList{"set", "5", "--"} + big);
    QFile::remove(UserFolders::markIdentities());
    QProcess::startDetached(program.file(u"emblix-keeper"), {});
    timeUntil([] { return QFileInfo::exists(UserFolders::markIdentities()); });
    QThread::msleep(1000);
    // One reader, which parses the file again only when it changed: the
    // bench must not take the processor from the keeper it times.
    TTntIniFile reader(program.file(u"base.ini"), IniDocument::KeySpelling::Exact);
    const auto record = [&](const QString &path) { return reader.ReadString("Files", path, "-"); };

    QList<double> changed;
    QList<double> renamed;
    for (int i = 0; i < 10; ++i) {
        // From before the record is written, as a rename is timed from
        // before the rename: the keeper's own rewrite counts there.
        QElapsedTimer written;
        written.start();
        TTntIniFile(program.file(u"base.ini")).WriteString("Files", files[i], "7");
        timeUntil([&] { return Emblems::badgeOf(files[i]) == 7; });
        changed << seconds(written);
        const QString to = files[i] + QStringLiteral(" renamed");
        QFile::rename(files[i], to);
        renamed << timeUntil([&] { return record(to) == u"7" && Emblems::badgeOf(to) == 7; });
    }
    std::printf("beside %d records: a record changed, its emblem follows in %.0f ms median; a marked file renamed, "
                "record and emblem at the new path in %.0f ms median (%.2f times)\n",
                others + 1020, median(changed) * 1000, median(renamed) * 1000, median(renamed) / median(changed));

    QDir().rename(root.filePath("big/folder"), root.filePath("big/moved"));
    const QString last = root.filePath("big/moved/") + QFileInfo(big.last()).fileName();
    QElapsedTimer folderMoved;
    folderMoved.start();
    const double recordsFollowed = timeUntil([&] { return record(last) == u"5"; });
    timeUntil([&] { return Emblems::badgeOf(last) == 5; });
    std::printf("a folder of 10 000 marked files renamed: every record at the new paths after %.0f ms, the last "
                "file's emblem there after %.0f ms\n",
                recordsFollowed * 1000, seconds(folderMoved) * 1000);

    for (const QString &file : many)
        QFile::rename(file, file + QStringLiteral(".r"));
    std::printf("1 000 marked files renamed one by one: every record followed %.0f ms after the last\n",
                timeUntil([&] { return record(many.last() + QStringLiteral(".r")) == u"2"; }) * 1000);

    const qint64 pid = KeeperLock::holder().value_or(KeeperLock::Holder()).pid;
    QThread::sleep(3);
    const double before = processorSeconds(pid);
    QThread::sleep(10);
    std::printf("following %d records, idle: %.4f %% of one core, %lld MiB resident, %lld descriptors\n", others + 1020,
                (processorSeconds(pid) - before) / 10 * 100, residentKiB(pid) / 1024,
                qint64(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::Files | QDir::System).size()));

    // Folders renamed while no keeper ran: found at its start by identity.
    KeeperLock::stopRunning();
    QStringList moved;
    for (int folder = 10; folder < 20 && folder * 1000 < others; ++folder) {
        const QString from = root.filePath(QStringLiteral("filler/%1").arg(folder));
        QDir().rename(from, from + QStringLiteral(" away"));
        moved << from + QStringLiteral(" away/file 999.txt");
    }
    QElapsedTimer start;
    start.start();
    QProcess::startDetached(program.file(u"emblix-keeper"), {});
    int followed = 0;
    timeUntil([&] {
        followed =
            int(std::count_if(moved.cbegin(), moved.cend(), [&](const QString &p) { return record(p) == u"5"; }));
        return followed == moved.size();
    });
    const double found = seconds(start);
    std::printf("keeper start after %lld folders of 1 000 renamed while it was stopped: %d of %lld found in %.1f s "
                "(a minute: not all found)\n",
                qint64(moved.size()), followed, qint64(moved.size()), found);
    KeeperLock::stopRunning();
    EmblemLedger().forget();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::fprintf(stderr, "run through tests/extension/run-with-session-bus.sh\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc > 1 && qstrcmp(argv[1], "moves") == 0) {
        keeperMoves(100000);
        return 0;
    }
    if (argc > 1 && qstrcmp(argv[1], "memory") == 0) {
        // "memory N": one store size alone.
        if (argc > 2) {
            keeperMemory(QByteArray(argv[2]).toInt());
            return 0;
        }
        keeperMemory(100000);
        keeperMemory(1000000);
        return 0;
    }
    if (argc > 2 && qstrcmp(argv[1], "sync") == 0) {
        // "sync N": the keeper's first sync of N records alone.
        syncAfterCleanUp(QByteArray(argv[2]).toInt());
        return 0;
    }
    keeperLatency(0);
    keeperLatency(100000);
    if (argc > 1 && qstrcmp(argv[1], "latency") == 0)
        return 0;
    keeperMoves(100000);
    markSelection(argc > 1 ? std::atoi(argv[1]) : 1000);
    for (int i = 2; i < argc; ++i)
        syncAfterCleanUp(std::atoi(argv[i]));
    if (argc <= 2) {
        syncAfterCleanUp(10000);
        syncAfterCleanUp(100000);
    }
    return 0;
}
