#include "EmblemRemoval.h"

#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "KeeperLock.h"
#include "KeeperLog.h"
#include "MovedWhileAway.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"

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
    EmblemSync::Report report;
    bool allOff = false;
    try {
        allOff = EmblemSync::takeOffAll(ledger, &stop, &report);
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
    // next unregistering finds them, and so do the files beside it.
    if (allOff) {
        UserFiles::removeFile(MovedWhileAway::fileName(), UserFolders::dataHome());
        UserFiles::removeFile(KeeperLock::fileName(), UserFolders::dataHome());
    }
    return Ending::Done;
}

} // namespace EmblemRemoval
