// emblix-keeper: the per-user background process that keeps the files'
// badge emblems equal to the records of its program folder's base.ini.
// One runs at a time; a second one ends at once.
#include "EmblemKeeper.h"
#include "KeeperLock.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <fcntl.h>
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
    dropInheritedDescriptors();
    QCoreApplication app(argc, argv);
    const ProgramFolder folder = ProgramFolder::ofExecutable();
    KeeperLock lock;
    if (!lock.acquire(folder.root()))
        return 0;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, stopSignal) != 0)
        return 1;
    QSocketNotifier stopNotifier(stopSignal[0], QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = requestStop;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);

    EmblemKeeper keeper(folder, &stopRequested);
    keeper.start();
    return app.exec();
}
