#include "KeeperLock.h"

#include "UserFiles.h"
#include "UserFolders.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Whether some process holds the lock on the file, tested by trying to take
// it for a moment.
bool isLocked(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

} // namespace

KeeperLock::KeeperLock() = default;

KeeperLock::~KeeperLock()
{
    release();
}

void KeeperLock::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QString KeeperLock::fileName()
{
    return UserFolders::stateFolder() + QStringLiteral("/keeper.lock");
}

bool KeeperLock::acquire(const QString &programFolder)
{
    UserFiles::makeFolder(UserFolders::stateFolder());
    const QByteArray path = QFile::encodeName(fileName());
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return false;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    const QByteArray content = QByteArray::number(qint64(::getpid())) + '\n' + programFolder.toUtf8() + '\n';
    // Only stopping the keeper from outside needs this text; the lock holds without it.
    if (::ftruncate(m_fd, 0) == 0)
        (void)!::pwrite(m_fd, content.constData(), size_t(content.size()), 0);
    return true;
}

std::optional<KeeperLock::Holder> KeeperLock::holder()
{
    const QByteArray path = QFile::encodeName(fileName());
    if (!isLocked(path))
        return std::nullopt;
    QFile file(fileName());
    Holder holder;
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
        holder.pid = lines.value(0).toLongLong();
        holder.programFolder = QString::fromUtf8(lines.value(1));
    }
    return holder;
}

bool KeeperLock::stopRunning(int waitMs)
{
    const std::optional<Holder> running = holder();
    if (!running)
        return true;
    if (running->pid > 1)
        ::kill(pid_t(running->pid), SIGTERM);
    const QByteArray path = QFile::encodeName(fileName());
    for (int waited = 0; waited < waitMs; waited += 20) {
        if (!isLocked(path))
            return true;
        QThread::msleep(20);
    }
    // A keeper that does not end (stuck on a mount that does not answer)
    // must not go on setting emblems once it is thought gone.
    if (running->pid > 1)
        ::kill(pid_t(running->pid), SIGKILL);
    for (int waited = 0; waited < 1000 && isLocked(path); waited += 20)
        QThread::msleep(20);
    return !isLocked(path);
}
