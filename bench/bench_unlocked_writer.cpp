// Records lost to a writer that takes no lock: a store of 50 000 records,
// another process appending a record every 1 ms or 20 ms while this one
// deletes the original records in batches of 10, each deletion one rewrite.
//
//   bench_unlocked_writer [appended at 1 ms] [appended at 20 ms]

#include "UnlockedWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int fast = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int slow = argc > 2 ? std::atoi(argv[2]) : 1000;
    for (const auto &[pause, appended] : {std::pair{1, fast}, std::pair{20, slow}}) {
        QTemporaryDir folder;
        QElapsedTimer timer;
        timer.start();
        const UnlockedWriterOutcome outcome =
            runUnlockedWriter(folder.path(), QStringLiteral(EMBLIX_INI_CHILD), {50000, appended, pause, 10});
        std::printf("every %2d ms: %d records appended, %d lost, %d deleted records back, %d deletions, %.1f s\n",
                    pause, outcome.appended, outcome.lost, outcome.revived, outcome.deletions,
                    double(timer.elapsed()) / 1000.0);
    }
    return 0;
}
