#pragma once

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <QWaitCondition>

// Reads the badge of files from their gvfs emblems on a thread of its own:
// Dolphin asks for overlays on its main thread and must never wait there,
// however slow the file system.
class EmblemReader final : public QObject
{
    Q_OBJECT
public:
    EmblemReader();
    ~EmblemReader() override;

    // Queued; badgeRead follows for each path, on the caller's thread.
    void read(const QString &path);
    // Every file of folder at once (one listing reads them all, far faster
    // than one file at a time).
    void readFolder(const QString &folder);

signals:
    void badgeRead(const QString &path, int badge);

private:
    void work();

    QThread m_thread;
    QMutex m_mutex;
    QWaitCondition m_wake;
    QStringList m_queue;
    QSet<QString> m_queued;
    QStringList m_folders;
    bool m_ending = false;
};
