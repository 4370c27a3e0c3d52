#include "FileStamp.h"

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <QFile>
#include <sys/stat.h>
#endif

FileStamp FileStamp::of(const QString &path)
{
    FileStamp stamp;
#ifdef Q_OS_WIN
    QFileInfo info(path);
    info.setCaching(false);
    stamp.exists = info.exists();
    stamp.isFile = info.isFile();
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
#else
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.isFile = S_ISREG(st.st_mode);
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.fileId = quint64(st.st_ino);
#endif
    return stamp;
}
