#pragma once

#include "platform/FileStamp.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// A file read whole and kept open. Other programs write base.ini without
// any lock (the Windows profile functions open, rewrite in place and close),
// so a file may be caught in the middle of such a write: shorter, empty or
// ending in half a line. A read that becomes the base of a rewrite must be
// settled: taken while no other program is writing the file.
//
// On Linux the file is held under a write lease, which the kernel grants
// only while no other process has the file open, and which makes any other
// open of it wait until the lease is let go. Where no lease can be had (other
// file systems, Windows) a read is settled when the file's stamp held still
// across the read and a short time after it.
class HeldFile final
{
public:
    // NotOwned: another user's file, which only its owner may lease (and only
    // its owner could be given back a replaced file).
    enum class Status { Missing, NotAFile, Unreadable, Busy, NotOwned, Read };

    // Reads the file as it is now, settled or not (lookups). Files larger
    // than maxBytes are not read (Unreadable). Only regular files are opened:
    // a named pipe would block the reader for good.
    HeldFile(const QString &path, qint64 maxBytes);
    // Reads the file as it is now a piece at a time, handing each piece to
    // visit: for a reader that keeps less than the file (a store of many
    // records). Read when the whole file was read, Missing, NotAFile or
    // Unreadable otherwise, as for a whole read.
    static Status readInPieces(const QString &path, qint64 maxBytes, const std::function<void(QByteArrayView)> &visit);
    // Reads the file once no other program writes it, waiting until
    // deadline at most (then Busy). Under a lease the file may be left
    // unread (Leased), for the caller to read in pieces: it cannot change
    // while the lease is held. Without a lease it is read whole either way.
    enum class Reading { Whole, Leased };
    static std::unique_ptr<HeldFile> settled(const QString &path, qint64 maxBytes, const QDeadlineTimer &deadline,
                                             Reading reading = Reading::Whole);
    ~HeldFile();
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

    Status status() const { return m_status; }
    const FileStamp &stamp() const { return m_stamp; }
    const QByteArray &bytes() const { return m_bytes; }
    // The bytes read, handed over: a reader that decodes them need not keep
    // a second copy of a large file while it does.
    QByteArray takeBytes() { return std::exchange(m_bytes, {}); }
    // Held under a lease: nobody else has the file open.
    bool isLeased() const { return m_leased; }

    // Whether another program opened the file read for writing, or changed
    // it, even once it no longer has its name, within waitMs from now
    // (false where the platform cannot tell). Under a lease such an opener
    // waits for release(); one that opens it only to read is no writer, as
    // the lease tells (it breaks only to a read lease for a reader).
    bool writerWithin(int waitMs) const;
    // Lets an opener waiting for the lease go on.
    void release();
    // The held file once it is settled again, even if it no longer has its
    // name; nullopt when it does not settle before deadline.
    std::optional<QByteArray> readSettledAgain(const QDeadlineTimer &deadline);
    // The held file lost its name to a rewrite and now has this one (on
    // Windows, where the replacement keeps the old file under a new name).
    void renamedTo(const QString &path);
    // Adds bytes at the end of the file in place. Only under a lease, where
    // nobody else can be writing meanwhile; flushed to disk.
    bool appendInPlace(const QByteArray &bytes);
    // Reads the held file from its start a piece at a time; false when it
    // could not be read, or grew beyond the size limit.
    bool readPieces(const std::function<void(QByteArrayView)> &visit) const;

private:
    HeldFile() = default;
    void open(const QString &path, qint64 maxBytes, bool forRewrite);
    bool readWhole();
    bool takeLease();
    // The file's stamp now: through the handle, or by name where there is none.
    FileStamp stampNow() const;
    // Reads again until the stamp holds still across the read and a settle
    // time, or the deadline passes.
    bool readUntilStill(const QDeadlineTimer &deadline);

    Status m_status = Status::Missing;
    FileStamp m_stamp;
    QByteArray m_bytes;
    QString m_path; // where the platform cannot read through a handle
    qint64 m_maxBytes = 0;
    int m_fd = -1;
    bool m_leased = false;
};
