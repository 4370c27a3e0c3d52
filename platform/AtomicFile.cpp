#include "AtomicFile.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

AtomicFile::AtomicFile(QString path) : m_path(std::move(path)) {}

AtomicFile::~AtomicFile()
{
    delete m_file;
}

bool AtomicFile::write(const QByteArray &bytes)
{
    m_file = new QSaveFile(m_path);
    m_file->setDirectWriteFallback(false);
    return m_file->open(QIODevice::WriteOnly) && m_file->write(bytes) == bytes.size() && m_file->flush();
}

bool AtomicFile::commit()
{
    return m_file && m_file->commit();
}

#else

AtomicFile::AtomicFile(QString path) : m_path(std::move(path))
{
    const QFileInfo info(m_path);
    m_temporaryName =
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".~rewrite"));
}

AtomicFile::~AtomicFile()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    if (!m_unnamed)
        ::unlink(m_temporaryName.constData());
}

bool AtomicFile::write(const QByteArray &bytes)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    m_unnamed = m_fd >= 0;
    if (!m_unnamed) // a file system without unnamed files
        m_fd = ::open(m_temporaryName.constData(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return false;
    struct stat old {};
    if (::stat(QFile::encodeName(m_path).constData(), &old) == 0)
        ::fchmod(m_fd, old.st_mode & 07777);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return ::fsync(m_fd) == 0;
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return false;
    if (m_unnamed) {
        // A name left by a writer killed at this point is stale: the folder's
        // lock lets one rewrite at a time get here.
        ::unlink(m_temporaryName.constData());
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, m_temporaryName.constData(), AT_SYMLINK_FOLLOW) != 0)
            return false;
        m_unnamed = false; // named now: thrown away by name if the rename fails
    }
    if (::rename(m_temporaryName.constData(), QFile::encodeName(m_path).constData()) != 0)
        return false;
    ::close(m_fd);
    m_fd = -1;
    return true;
}

#endif
