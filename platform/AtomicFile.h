#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file whole: the new bytes go to a file nobody sees, are flushed
// to disk, and then take the file's name in one rename, so a crash, a kill
// or a full disk leaves the old file or the new one, never a mix. The new
// file keeps the old one's permissions.
//
// Off Windows the new file has no name until the rename; a writer killed
// between naming it and the rename leaves a hidden ".<name>.~rewrite"
// beside the file, which the next rewrite (under the folder's lock)
// replaces.
class AtomicFile final
{
public:
    explicit AtomicFile(QString path);
    ~AtomicFile(); // an uncommitted file is thrown away
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Writes all of bytes and flushes them to disk.
    bool write(const QByteArray &bytes);
    // Gives the written file the path's name.
    bool commit();

private:
    QString m_path;
#ifdef Q_OS_WIN
    class QSaveFile *m_file = nullptr;
#else
    QByteArray m_temporaryName; // the name the file takes just before the rename
    int m_fd = -1;
    bool m_unnamed = false;
#endif
};
