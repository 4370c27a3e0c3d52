#pragma once

#include "FileStamp.h"

#include <QByteArray>
#include <QString>

// A file read whole and kept open. A writer that takes no lock may still add
// to the file after it was replaced by a rewrite; the open handle still
// reaches the replaced file, so the rewrite can tell and merge again.
class HeldFile final
{
public:
    enum class Status { Missing, NotAFile, Unreadable, Read };

    // Files larger than maxBytes are not read (Unreadable). Only regular
    // files are opened: a named pipe would block the reader for good.
    HeldFile(const QString &path, qint64 maxBytes);
    ~HeldFile();
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    Status status() const { return m_status; }
    const FileStamp &stamp() const { return m_stamp; }
    const QByteArray &bytes() const { return m_bytes; }

    // Whether the file read has changed since, even if it no longer has its
    // name; false where the platform cannot tell.
    bool changedSinceRead() const;
    // The whole file as it is now, through the open handle.
    QByteArray readAgain() const;

private:
    // Opens and reads a path that names a regular file.
    void read(const QString &path, qint64 maxBytes);

    Status m_status = Status::Missing;
    FileStamp m_stamp;
    QByteArray m_bytes;
    qint64 m_maxBytes = 0;
    int m_fd = -1;
};
