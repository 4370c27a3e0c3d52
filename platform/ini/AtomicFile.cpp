#include "AtomicFile.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QDir>
#include <QFile>

#include <windows.h>
#else
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A hidden name beside the file, with a tag telling what it holds.
QString besideName(const QString &path, QStringView tag)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + tag.toString();
}

} // namespace

#ifdef Q_OS_WIN

bool AtomicFile::fail()
{
    m_error = qt_error_string(int(::GetLastError()));
    return false;
}

namespace {

std::wstring native(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

AtomicFile::AtomicFile(QString path)
    : m_path(std::move(path)),
      m_temporaryName(besideName(m_path, u".~rewrite")),
      m_replacedName(besideName(m_path, u".~replaced"))
{}

AtomicFile::~AtomicFile()
{
    if (m_handle)
        ::CloseHandle(static_cast<HANDLE>(m_handle));
    if (m_written && !m_replaced)
        ::DeleteFileW(native(m_temporaryName).c_str());
    ::DeleteFileW(native(m_replacedName).c_str());
}

bool AtomicFile::open()
{
    // A copy left by a rewrite that was killed is stale: the folder's lock
    // is not taken on Windows, but the names are this object's alone until
    // it goes.
    ::DeleteFileW(native(m_replacedName).c_str());
    const HANDLE file = ::CreateFileW(native(m_temporaryName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail();
    m_handle = file;
    m_written = true;
    return true;
}

bool AtomicFile::append(QByteArrayView bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        DWORD n = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(bytes.size() - written, 1 << 30));
        if (!::WriteFile(static_cast<HANDLE>(m_handle), bytes.data() + written, chunk, &n, nullptr) || n == 0)
            return fail();
        written += n;
    }
    return true;
}

bool AtomicFile::finish()
{
    const bool ok = ::FlushFileBuffers(static_cast<HANDLE>(m_handle)) || fail();
    ::CloseHandle(static_cast<HANDLE>(m_handle));
    m_handle = nullptr;
    return ok;
}

bool AtomicFile::write(const QByteArray &bytes)
{
    if (!open())
        return false;
    const bool ok = append(bytes);
    return finish() && ok;
}

bool AtomicFile::commit()
{
    if (!m_written)
        return fail();
    // ReplaceFile keeps the old file's attributes, owner and security and
    // keeps the old file itself under a second name, where a writer that
    // still wrote to it is seen.
    if (::GetFileAttributesW(native(m_path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        m_replaced = ::ReplaceFileW(native(m_path).c_str(), native(m_temporaryName).c_str(),
                                    native(m_replacedName).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
    } else {
        m_replaced = ::MoveFileExW(native(m_temporaryName).c_str(), native(m_path).c_str(), MOVEFILE_WRITE_THROUGH);
    }
    if (!m_replaced)
        return fail();
    ::SetFileAttributesW(native(m_path).c_str(), ::GetFileAttributesW(native(m_path).c_str()) & ~FILE_ATTRIBUTE_HIDDEN);
    return true;
}

QString AtomicFile::replacedName() const
{
    return m_replaced ? m_replacedName : QString();
}

#else

AtomicFile::AtomicFile(QString path)
    : m_path(std::move(path)), m_temporaryName(QFile::encodeName(besideName(m_path, u".~rewrite")))
{}

bool AtomicFile::fail()
{
    m_error = qt_error_string(errno);
    return false;
}

AtomicFile::~AtomicFile()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    if (!m_unnamed)
        ::unlink(m_temporaryName.constData());
}

bool AtomicFile::open()
{
    const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
    m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    m_unnamed = m_fd >= 0;
    if (!m_unnamed) // a file system without unnamed files
        m_fd = ::open(m_temporaryName.constData(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return fail();
    struct stat created {};
    if (::fstat(m_fd, &created) != 0)
        return fail();
    struct stat old {};
    if (::stat(QFile::encodeName(m_path).constData(), &old) != 0) {
        // A new file is never writable by others, whatever the umask says:
        // another user could otherwise plant records or settings.
        if ((created.st_mode & 022) && ::fchmod(m_fd, created.st_mode & 0755) != 0)
            return fail();
    } else {
        // The file stays its owner's: another user's file (a group member
        // deleting in a shared folder) cannot be handed back, so it is not
        // replaced at all.
        if ((created.st_uid != old.st_uid || created.st_gid != old.st_gid)
            && ::fchown(m_fd, old.st_uid, old.st_gid) != 0)
            return fail();
        if (::fchmod(m_fd, old.st_mode & 07777) != 0)
            return fail();
    }
    return true;
}

bool AtomicFile::append(QByteArrayView bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail();
        written += n;
    }
    return true;
}

bool AtomicFile::finish()
{
    return ::fsync(m_fd) == 0 || fail();
}

bool AtomicFile::write(const QByteArray &bytes)
{
    return open() && append(bytes) && finish();
}

bool AtomicFile::commit()
{
    if (m_fd < 0)
        return fail();
    if (m_unnamed) {
        // A name left by a writer killed at this point is stale: the folder's
        // lock lets one rewrite at a time get here.
        ::unlink(m_temporaryName.constData());
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, m_temporaryName.constData(), AT_SYMLINK_FOLLOW) != 0)
            return fail();
        m_unnamed = false; // named now: thrown away by name if the rename fails
    }
    if (::rename(m_temporaryName.constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail();
    ::close(m_fd);
    m_fd = -1;
    return true;
}

QString AtomicFile::replacedName() const
{
    return QString();
}

#endif
