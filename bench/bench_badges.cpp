// The extension's figures on real files with gvfs; run on a session bus of
// its own:
//
//   sh tests/extension/run-with-session-bus.sh build/bench/bench_badges [files to mark] [store sizes...]
//
// 1. One menu action marking many selected files: the badge command run once
//    on all of them (one rewrite of base.ini, one emblem per file).
// 2. For a store of N records: the keeper's first sync; its sync after the
//    manager deleted half of the records (the emblems come off); after a
//    clean-up removed half of the rest (their files are gone); and a keeper
//    start over the store when nothing differs.

#include "BadgeBook.h"
#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "library/BadgeRecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
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

    EmblemLedger ledger(root.filePath("emblems.ini"));
    QElapsedTimer timer;
    timer.start();
    EmblemSync first(ledger, ledger.read());
    EmblemSync::Report report = first.follow(BadgeBook(program).records());
    std::printf("%6d records: first sync %.2f s (%d emblems set)\n", count, seconds(timer), report.set);

    // The manager deletes every other record (their files stay): their
    // emblems come off.
    QStringList deleted;
    for (int i = 0; i < count; i += 2)
        deleted << files[i];
    timer.start();
    BadgeRecordStore(program).deleteRecords(deleted);
    const double deletion = seconds(timer);
    timer.start();
    report = first.follow(BadgeBook(program).records());
    std::printf("%6d records: deleting half %.2f s, then keeper sync %.2f s (%d emblems taken off)\n", count,
                deletion, seconds(timer), report.cleared);

    // The files of half of the rest go; the manager cleans the store up.
    for (int i = 1; i < count; i += 4)
        QFile::remove(files[i]);
    QStringList paths;
    timer.start();
    BadgeRecordStore(program).removeInvalid(paths);
    const double cleanUp = seconds(timer);
    timer.start();
    report = first.follow(BadgeBook(program).records());
    std::printf("%6d records: clean-up of %d %.2f s, then keeper sync %.2f s (%d files gone)\n", count / 2,
                count / 4, cleanUp, seconds(timer), report.failed);

    timer.start();
    EmblemSync restarted(ledger, ledger.read());
    report = restarted.follow(BadgeBook(program).records());
    std::printf("%6d records: keeper start with nothing to change %.2f s (%d files touched)\n", count / 4,
                seconds(timer), report.set + report.cleared + report.failed);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::fprintf(stderr, "run through tests/extension/run-with-session-bus.sh\n");
        return 2;
    }
    markSelection(argc > 1 ? std::atoi(argv[1]) : 1000);
    for (int i = 2; i < argc; ++i)
        syncAfterCleanUp(std::atoi(argv[i]));
    if (argc <= 2) {
        syncAfterCleanUp(10000);
        syncAfterCleanUp(100000);
    }
    return 0;
}
