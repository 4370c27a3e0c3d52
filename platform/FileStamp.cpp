#include "FileStamp.h"

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <QFile>
#include <sys/stat.h>
#endif

#ifndef Q_OS_WIN
namespace {

FileStamp fromStat(const struct stat &st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.isFile = S_ISREG(st.st_mode);
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.fileId = quint64(st.st_ino);
    return stamp;
}

} // namespace

FileStamp FileStamp::of(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return FileStamp();
    return fromStat(st);
}

FileStamp FileStamp::ofDescriptor(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return FileStamp();
    return fromStat(st);
}

#else

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
    QFileInfo info(path);
    info.setCaching(false);
    stamp.exists = info.exists();
    stamp.isFile = info.isFile();
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    return stamp;
}

#endif
