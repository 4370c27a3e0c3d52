#include "HeldFile.h"

#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

HeldFile::HeldFile(const QString &path, qint64 maxBytes) : m_maxBytes(maxBytes)
{
    m_stamp = FileStamp::of(path);
    if (!m_stamp.exists)
        return;
    if (!m_stamp.isFile) {
        m_status = Status::NotAFile;
        return;
    }
    read(path, maxBytes);
}

#ifndef Q_OS_WIN

namespace {

// Reads from the start to the end of the file; false on a read error.
bool readWhole(int fd, qint64 maxBytes, QByteArray &bytes)
{
    bytes.clear();
    char buffer[65536];
    qint64 offset = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || offset + n > maxBytes)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, n);
        offset += n;
    }
}

} // namespace

void HeldFile::read(const QString &path, qint64 maxBytes)
{
    // Non-blocking, so that a pipe put in the file's place meanwhile cannot
    // hang the open; it is refused below as no regular file.
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        m_status = errno == ENOENT ? Status::Missing : Status::Unreadable;
        return;
    }
    m_stamp = FileStamp::ofDescriptor(m_fd);
    if (!m_stamp.isFile) {
        m_status = Status::NotAFile;
        return;
    }
    m_bytes.reserve(qsizetype(std::min(m_stamp.size, maxBytes)));
    m_status = m_stamp.size <= maxBytes && readWhole(m_fd, maxBytes, m_bytes) ? Status::Read : Status::Unreadable;
}

HeldFile::~HeldFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool HeldFile::changedSinceRead() const
{
    if (m_fd < 0)
        return false;
    // Only what a write changes: replacing the file's name changes its
    // change time too.
    const FileStamp now = FileStamp::ofDescriptor(m_fd);
    return now.size != m_stamp.size || now.modifiedNs != m_stamp.modifiedNs;
}

QByteArray HeldFile::readAgain() const
{
    QByteArray bytes;
    if (m_fd < 0 || !readWhole(m_fd, m_maxBytes, bytes))
        return QByteArray();
    return bytes;
}

#else

// On Windows a file kept open could not be replaced: it is read and closed.
void HeldFile::read(const QString &path, qint64 maxBytes)
{
    QFile file(path);
    if (m_stamp.size > maxBytes || !file.open(QIODevice::ReadOnly)) {
        m_status = Status::Unreadable;
        return;
    }
    m_bytes = file.readAll();
    m_status = file.error() == QFileDevice::NoError && m_bytes.size() <= maxBytes ? Status::Read : Status::Unreadable;
}

HeldFile::~HeldFile() = default;

bool HeldFile::changedSinceRead() const
{
    return false;
}

QByteArray HeldFile::readAgain() const
{
    return QByteArray();
}

#endif
