// Records lost to another program writing base.ini without any lock: a store
// of 5 000 records, the store_writer program adding records in each of its
// modes while this process deletes the store's records one at a time.
//
//   bench_unlocked_writer [records added per mode]

#include "UnlockedWriter.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int added = argc > 1 ? std::atoi(argv[1]) : 400;
    struct Mode {
        const char *name;
        int pauseMs;
        int longestHoldMs;
    };
    std::printf("%-10s %8s %8s %10s %10s %9s %9s %8s %12s\n", "mode", "written", "found", "untouched", "deleted",
                "refused", "revived", "lost", "longest ms");
    for (const Mode &mode :
         {Mode{"append", 1, 0}, Mode{"slow", 1, 3}, Mode{"slow", 1, 20}, Mode{"held", 2, 0}, Mode{"rewrite", 1, 0}}) {
        QTemporaryDir folder;
        const UnlockedWriterOutcome outcome = runUnlockedWriter(
            folder.path(), QStringLiteral(EMBLIX_STORE_WRITER),
            {QString::fromLatin1(mode.name), 5000, added, mode.pauseMs, std::max(mode.longestHoldMs, 3)});
        const QString name = mode.longestHoldMs ? QStringLiteral("%1 %2").arg(mode.name).arg(mode.longestHoldMs)
                                                : QString::fromLatin1(mode.name);
        std::printf("%-10s %8d %8d %10d %10d %9d %9d %8d %12lld\n", qPrintable(name), outcome.appended,
                    outcome.appended - outcome.writerLost, outcome.untouchedLost, outcome.deletionsMade,
                    outcome.deletionsRefused, outcome.revived, outcome.writerLost,
                    static_cast<long long>(outcome.longestDeletionMs));
    }
    return 0;
}
