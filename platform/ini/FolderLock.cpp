#include "FolderLock.h"

#ifndef Q_OS_WIN
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

FolderLock::FolderLock(const QString &folder, int waitMs)
{
#ifndef Q_OS_WIN
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return; // a missing folder: the write itself will fail and say so
    QElapsedTimer waited;
    waited.start();
    // Looked at often: a writer that rewrites again and again lets go of
    // the lock only for a moment between two rewrites.
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return; // no locks on this file system: nobody can hold one either
        if (waited.elapsed() >= waitMs) {
            m_held = false;
            return;
        }
        QThread::usleep(200);
    }
#else
    Q_UNUSED(folder);
    Q_UNUSED(waitMs);
#endif
}

FolderLock::~FolderLock()
{
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd); // closing releases the lock
#endif
}
