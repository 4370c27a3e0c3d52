#pragma once

#include <QString>

#include <optional>

// One emblem keeper per user: the keeper holds an exclusive lock on a file
// in the extension's state folder for its whole life and writes its process
// id and program folder into it. The lock goes with the process, however it
// ends, so a stale file never blocks the next keeper.
class KeeperLock final
{
public:
    struct Holder {
        qint64 pid = 0;
        QString programFolder;
    };

    KeeperLock();
    ~KeeperLock();
    KeeperLock(const KeeperLock &) = delete;
    KeeperLock &operator=(const KeeperLock &) = delete;

    // Takes the lock for this process; false when another keeper has it.
    bool acquire(const QString &programFolder);
    // Lets the next keeper take the lock before this process ends.
    void release();

    // The keeper running now, if any.
    static std::optional<Holder> holder();
    // Asks the running keeper to end and waits up to waitMs for it to go;
    // true when none is left.
    static bool stopRunning(int waitMs = 3000);

    static QString fileName();

private:
    int m_fd = -1;
};
