#include "EmblemRemoval.h"

#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "KeeperLock.h"
#include "KeeperLog.h"
#include "MovedWhileAway.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"

#include <QSet>

#include <algorithm>
#include <chrono>
#include <thread>

namespace EmblemRemoval {

bool registered()
{
    // Registering again writes the entry before it starts a keeper. A file
    // of the user's own at that path (our mark gone) is no registration.
    return UserFiles::isMarked(UserFolders::keeperAutostartEntry(), UserFiles::keeperEntryMarks(QString()));
}

Ending takeOffAll(std::atomic_bool &stop)
{
    std::atomic_bool registeredAgain{false};
    std::atomic_bool finished{false};
    std::thread watch([&] {
        while (!finished) {
            if (registered()) {
                registeredAgain = true;
                stop = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    });
    EmblemLedger ledger;
    EmblemSync sync(ledger, ledger.read());
    sync.setStopFlag(&stop);
    EmblemSync::Report report;
    try {
        report = sync.follow({});
        // A path whose file went cannot lose its emblem (gvfs refuses a path
        // with no file): forgotten, as nothing is to be left.
        ledger.note({}, report.waiting);
    } catch (const AppError &error) {
        KeeperLog::problem(error.fullText());
    }
    finished = true;
    watch.join();
    if (registeredAgain)
        return Ending::RegisteredAgain;
    if (report.stopped)
        return Ending::Stopped;
    // Emblems on a mount that did not answer stay in the ledger, where the
    // next unregistering finds them.
    const QHash<QString, int> &left = sync.shown();
    const QSet<QString> waiting(report.waiting.cbegin(), report.waiting.cend());
    const bool allOff =
        std::all_of(left.keyBegin(), left.keyEnd(), [&](const QString &path) { return waiting.contains(path); });
    if (allOff) {
        ledger.forget();
        UserFiles::removeFile(MovedWhileAway::fileName(), UserFolders::dataHome());
        UserFiles::removeFile(KeeperLock::fileName(), UserFolders::dataHome());
    }
    return Ending::Done;
}

} // namespace EmblemRemoval
