#include "KeeperLog.h"

#include "UserFiles.h"
#include "UserFolders.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

namespace {

constexpr qint64 kMostBytes = 64 * 1024;

} // namespace

namespace KeeperLog {

QString fileName()
{
    return UserFolders::stateHome() + QStringLiteral("/emblix-manager/keeper.log");
}

void problem(const QString &text)
{
    // A fault that lasts (a store that cannot be written, tried again every
    // 200 ms) is told once a minute.
    static QString last;
    static QElapsedTimer lastTold;
    if (text == last && lastTold.isValid() && lastTold.elapsed() < 60000)
        return;
    last = text;
    lastTold.start();
    const QByteArray line = text.toUtf8();
    ::openlog("emblix-keeper", LOG_PID, LOG_USER);
    ::syslog(LOG_WARNING, "%s", line.constData());
    std::fprintf(stderr, "emblix-keeper: %s\n", line.constData());

    const QString file = fileName();
    if (!UserFiles::makeFolder(QFileInfo(file).path()))
        return;
    const QByteArray name = QFile::encodeName(file);
    struct stat status {};
    if (::lstat(name.constData(), &status) == 0 && status.st_size > kMostBytes)
        ::rename(name.constData(), (name + ".1").constData());
    // Appended whole, so two lines never mix; never through a link, and a
    // FIFO put in its place is not waited on.
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray entry = QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + ' ' + line.left(4096) + '\n';
    (void)!::write(fd, entry.constData(), size_t(entry.size()));
    ::close(fd);
}

} // namespace KeeperLog
