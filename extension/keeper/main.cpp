// emblix-keeper: the per-user background process that keeps the files'
// badge emblems equal to the records of its program folder's base.ini.
// One runs at a time; a second one ends at once.
//
//   emblix-keeper              keeps the emblems
//   emblix-keeper --take-off   takes every emblem off and ends (unregistering
//                              starts it, so it returns at once); keeps them
//                              instead once the library is registered again
#include "EmblemKeeper.h"
#include "EmblemRemoval.h"
#include "KeeperLock.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::atomic_bool stopRequested{false};
int stopSignal[2] = {-1, -1};

// SIGTERM (logging out, unregistering) ends the keeper between two files,
// so no emblem is half-noted; the event loop learns of it through a socket.
void requestStop(int)
{
    stopRequested = true;
    const char byte = 1;
    (void)!::write(stopSignal[1], &byte, 1);
}

// A daemon keeps none of its starter's descriptors: a caller that reads the
// starter's output through a pipe would wait for the keeper's end.
void dropInheritedDescriptors()
{
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        for (int fd = 0; fd <= 2; ++fd)
            ::dup2(null, fd);
        ::close(null);
    }
    ::close_range(3, ~0U, 0);
    ::setsid();
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before the keeper lets go of its terminal.
    if (argc == 2 && qstrcmp(argv[1], "--help") == 0) {
        std::fputs("Usage: emblix-keeper [--take-off]\n"
                   "Keeps the badge emblems of the files equal to the records, in the background.\n"
                   "  --take-off  takes every badge emblem off, then ends\n"
                   "--help shows this text, --version the version.\n",
                   stdout);
        return 0;
    }
    if (argc == 2 && qstrcmp(argv[1], "--version") == 0) {
        std::puts("emblix-keeper " EMBLIX_VERSION);
        return 0;
    }
    dropInheritedDescriptors();
    // The emblem writes run on 64 threads, and glibc would give up to 8 per
    // core an arena of their own, each keeping what its thread freed: the
    // keeper's memory then grew far beyond what it holds. Two arenas are
    // enough for threads that mostly wait on D-Bus.
    ::mallopt(M_ARENA_MAX, 2);
    QCoreApplication app(argc, argv);
    const ProgramFolder folder = ProgramFolder::ofExecutable();
    const bool takeOff = argc == 2 && qstrcmp(argv[1], "--take-off") == 0;
    KeeperLock lock;
    // The keeper that unregistering stopped may still be ending.
    for (int tries = 0; !lock.acquire(folder.root()); ++tries) {
        if (!takeOff || tries == 50)
            return 0;
        ::usleep(100 * 1000);
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, stopSignal) != 0)
        return 1;
    QSocketNotifier stopNotifier(stopSignal[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = requestStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    if (takeOff) {
        const EmblemRemoval::Ending ending = EmblemRemoval::takeOffAll(stopRequested);
        if (ending == EmblemRemoval::Ending::Stopped)
            return 0;
        if (ending == EmblemRemoval::Ending::Done) {
            // Registering again writes the entry, then starts a keeper only
            // if none holds the lock: looked at after the lock is let go, one
            // of the two always starts it (a second one ends at once).
            lock.release();
            if (EmblemRemoval::registered())
                QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
            return 0;
        }
    }
    stopRequested = false;
    EmblemKeeper keeper(folder, &stopRequested);
    keeper.start();
    return app.exec();
}
