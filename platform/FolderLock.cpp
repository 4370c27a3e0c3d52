#include "FolderLock.h"

#ifndef Q_OS_WIN
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

FolderLock::FolderLock(const QString &folder)
{
#ifndef Q_OS_WIN
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0)
        return; // a missing folder: the write itself will fail and say so
    while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
#else
    Q_UNUSED(folder);
#endif
}

FolderLock::~FolderLock()
{
#ifndef Q_OS_WIN
    if (m_fd >= 0)
        ::close(m_fd); // closing releases the lock
#endif
}
