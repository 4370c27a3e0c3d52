#include "HeldFile.h"

#include <QFile>
#include <QThread>

#include <memory>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#endif

namespace {

// Without a lease, a file whose stamp held still this long after a read was
// not being written by a program that rewrites it in place in one go.
constexpr int kSettleMs = 10;

// What a reader in pieces holds of the file at once.
constexpr qint64 kPieceBytes = 256 * 1024;

bool sameContentStamp(const FileStamp &a, const FileStamp &b)
{
    // Only what a write changes: replacing the file's name changes its
    // change time too, and a held file may have lost its name.
    return a.exists == b.exists && a.size == b.size && a.modifiedNs == b.modifiedNs && a.fileId == b.fileId;
}

} // namespace

#ifndef Q_OS_WIN

namespace {

// The kernel tells a lease holder that someone wants the file by a signal,
// SIGIO unless set otherwise, whose default action ends the process. The
// lease is polled instead; nothing of this program uses SIGIO.
void ignoreLeaseSignal()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGIO, SIG_IGN);
    });
}

} // namespace

void HeldFile::open(const QString &path, qint64 maxBytes, bool forRewrite)
{
    m_maxBytes = maxBytes;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a pipe put in the file's place cannot hang the
    // open; it is refused below as no regular file. Open for writing when it
    // is to be rewritten: the lease of a writer's handle may be appended to.
    if (forRewrite)
        m_fd = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0 && (!forRewrite || errno == EACCES || errno == EROFS || errno == EPERM))
        m_fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) {
        m_status = errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable;
        return;
    }
    m_stamp = FileStamp::ofDescriptor(m_fd);
    if (!m_stamp.isFile) {
        m_status = Status::NotAFile;
        return;
    }
    m_status = m_stamp.size <= maxBytes ? Status::Read : Status::Unreadable;
}

std::unique_ptr<HeldFile> HeldFile::settled(const QString &path, qint64 maxBytes, const QDeadlineTimer &deadline,
                                            Reading reading)
{
    ignoreLeaseSignal();
    for (;;) {
        std::unique_ptr<HeldFile> held(new HeldFile);
        held->open(path, maxBytes, true);
        if (held->m_status != Status::Read)
            return held;
        if (held->takeLease()) {
            if (reading == Reading::Whole && !held->readWhole())
                held->m_status = Status::Unreadable;
            return held;
        }
        if (errno == EACCES) {
            // Only the file's owner may lease it, and only the owner could
            // give the new file the old one's owner: another user's file is
            // left as it is.
            held->m_status = Status::NotOwned;
            return held;
        }
        if (errno != EAGAIN && errno != EBUSY) {
            // A file system without leases.
            if (!held->readUntilStill(deadline))
                held->m_status = Status::Busy;
            return held;
        }
        // Another process has the file open, maybe in the middle of a write.
        if (deadline.hasExpired()) {
            held->m_status = Status::Busy;
            return held;
        }
        held.reset();
        QThread::usleep(500);
    }
}

bool HeldFile::takeLease()
{
    m_leased = ::fcntl(m_fd, F_SETLEASE, F_WRLCK) == 0;
    if (m_leased)
        m_stamp = FileStamp::ofDescriptor(m_fd); // nobody can change it from here on
    return m_leased;
}

HeldFile::~HeldFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // also lets go of a lease
}

bool HeldFile::readPieces(const std::function<void(QByteArrayView)> &visit) const
{
    const std::unique_ptr<char[]> buffer(new char[kPieceBytes]);
    qint64 offset = 0;
    for (;;) {
        const ssize_t n = ::pread(m_fd, buffer.get(), kPieceBytes, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || offset + n > m_maxBytes)
            return false;
        if (n == 0)
            return true;
        visit(QByteArrayView(buffer.get(), n));
        offset += n;
    }
}

FileStamp HeldFile::stampNow() const
{
    return FileStamp::ofDescriptor(m_fd);
}

bool HeldFile::writerWithin(int waitMs) const
{
    if (m_fd < 0)
        return false;
    QDeadlineTimer wait(waitMs);
    for (;;) {
        // A pending break shows as the lease type it is to become: none
        // for a writer, a read lease for readers alone.
        const bool touched =
            m_leased ? ::fcntl(m_fd, F_GETLEASE) == F_UNLCK : !sameContentStamp(m_stamp, FileStamp::ofDescriptor(m_fd));
        if (touched)
            return true;
        if (wait.hasExpired())
            return false;
        QThread::usleep(250);
    }
}

void HeldFile::release()
{
    if (m_leased)
        ::fcntl(m_fd, F_SETLEASE, F_UNLCK);
    m_leased = false;
}

std::optional<QByteArray> HeldFile::readSettledAgain(const QDeadlineTimer &deadline)
{
    if (m_fd < 0)
        return std::nullopt;
    for (;;) {
        if (takeLease()) {
            const bool read = readWhole();
            release();
            if (!read)
                return std::nullopt;
            return m_bytes;
        }
        if (errno != EAGAIN && errno != EBUSY)
            break;
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::usleep(500);
    }
    if (!readUntilStill(deadline))
        return std::nullopt;
    return m_bytes;
}

void HeldFile::renamedTo(const QString &) {} // the handle follows the file

bool HeldFile::appendInPlace(const QByteArray &bytes)
{
    if (!m_leased)
        return false;
    const FileStamp now = FileStamp::ofDescriptor(m_fd);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::pwrite(m_fd, bytes.constData() + written, size_t(bytes.size() - written), now.size + written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nothing half-written stays behind.
            (void)!::ftruncate(m_fd, now.size);
            return false;
        }
        written += n;
    }
    if (::fsync(m_fd) != 0)
        return false;
    m_stamp = FileStamp::ofDescriptor(m_fd);
    return true;
}

#else

// On Windows a file kept open could not be replaced: it is read by name and
// closed, and settled by its stamp.
void HeldFile::open(const QString &path, qint64 maxBytes, bool)
{
    m_path = path;
    m_maxBytes = maxBytes;
    m_stamp = FileStamp::of(path);
    if (!m_stamp.exists)
        m_status = Status::Missing;
    else if (!m_stamp.isFile)
        m_status = Status::NotAFile;
    else
        m_status = m_stamp.size <= maxBytes ? Status::Read : Status::Unreadable;
}

std::unique_ptr<HeldFile> HeldFile::settled(const QString &path, qint64 maxBytes, const QDeadlineTimer &deadline,
                                            Reading)
{
    std::unique_ptr<HeldFile> held(new HeldFile);
    held->open(path, maxBytes, true);
    if (held->m_status == Status::Read && !held->readUntilStill(deadline))
        held->m_status = Status::Busy;
    return held;
}

HeldFile::~HeldFile() = default;

bool HeldFile::takeLease()
{
    return false;
}

bool HeldFile::readPieces(const std::function<void(QByteArrayView)> &visit) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    qint64 total = 0;
    for (;;) {
        const QByteArray piece = file.read(kPieceBytes);
        total += piece.size();
        if (file.error() != QFileDevice::NoError || total > m_maxBytes)
            return false;
        if (piece.isEmpty())
            return true;
        visit(piece);
    }
}

FileStamp HeldFile::stampNow() const
{
    return FileStamp::of(m_path);
}

// After a rewrite the old file lives on under the name the replacement gave
// it (see AtomicFile), so changes made to it meanwhile are seen by name.
bool HeldFile::writerWithin(int waitMs) const
{
    if (m_path.isEmpty())
        return false;
    QDeadlineTimer wait(waitMs);
    for (;;) {
        if (!sameContentStamp(m_stamp, FileStamp::of(m_path)))
            return true;
        if (wait.hasExpired())
            return false;
        QThread::msleep(1);
    }
}

void HeldFile::release() {}

std::optional<QByteArray> HeldFile::readSettledAgain(const QDeadlineTimer &deadline)
{
    if (m_path.isEmpty() || !readUntilStill(deadline))
        return std::nullopt;
    return m_bytes;
}

void HeldFile::renamedTo(const QString &path)
{
    m_path = path;
}

bool HeldFile::appendInPlace(const QByteArray &)
{
    return false;
}

#endif

bool HeldFile::readUntilStill(const QDeadlineTimer &deadline)
{
    for (;;) {
        const FileStamp before = stampNow();
        if (before.size <= m_maxBytes && readWhole() && sameContentStamp(before, stampNow())) {
            QThread::msleep(kSettleMs);
            if (sameContentStamp(before, stampNow())) {
                m_stamp = before;
                return true;
            }
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(1);
    }
}

bool HeldFile::readWhole()
{
    m_bytes.clear();
    m_bytes.reserve(qsizetype(std::min(m_stamp.size, m_maxBytes)));
    return readPieces([&](QByteArrayView piece) { m_bytes.append(piece); });
}

HeldFile::Status HeldFile::readInPieces(const QString &path, qint64 maxBytes,
                                        const std::function<void(QByteArrayView)> &visit)
{
    HeldFile file;
    file.open(path, maxBytes, false);
    if (file.m_status == Status::Read && !file.readPieces(visit))
        return Status::Unreadable;
    return file.m_status;
}

HeldFile::HeldFile(const QString &path, qint64 maxBytes)
{
    open(path, maxBytes, false);
    if (m_status == Status::Read && !readWhole())
        m_status = Status::Unreadable;
}
