#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Replaces a file whole: the new bytes go to a file nobody sees, are flushed
// to disk, and then take the file's name in one rename, so a crash, a kill
// or a full disk leaves the old file or the new one, never a mix. The new
// file keeps the old one's owner, group and permissions; where it cannot
// (another user's file) nothing is written.
//
// Off Windows the new file has no name until the rename; a writer killed
// between naming it and the rename leaves a hidden ".<name>.~rewrite"
// beside the file, which the next rewrite (under the folder's lock)
// replaces.
class AtomicFile final
{
public:
    explicit AtomicFile(QString path);
    ~AtomicFile(); // an uncommitted file is thrown away, so is the old file's copy
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Writes all of bytes and flushes them to disk.
    bool write(const QByteArray &bytes);
    // The same a piece at a time, for a file too large to hold: open, then
    // append each piece, then finish (flushed to disk) before the commit.
    bool open();
    bool append(QByteArrayView bytes);
    bool finish();
    // Gives the written file the path's name.
    bool commit();
    // Where the replaced file can still be read once committed, until this
    // object goes: on Windows its copy beside the file; empty elsewhere,
    // where an open handle follows the replaced file.
    QString replacedName() const;
    // Why write() or commit() failed, as the system said.
    const QString &errorString() const { return m_error; }

private:
    bool fail();

    QString m_path;
    QString m_error;
#ifdef Q_OS_WIN
    QString m_temporaryName;
    QString m_replacedName;
    void *m_handle = nullptr; // the temporary file while it is written
    bool m_written = false;
    bool m_replaced = false;
#else
    QByteArray m_temporaryName; // the name the file takes just before the rename
    int m_fd = -1;
    bool m_unnamed = false;
#endif
};
