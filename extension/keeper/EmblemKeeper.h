#pragma once

#include "BadgeBook.h"
#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "MoveWatch.h"
#include "PathPool.h"
#include "RecordTable.h"
#include "platform/FileStamp.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

// Keeps every file's badge emblem equal to its record in base.ini, and every
// record with its file when the file or a folder above it is renamed or
// moved (MoveWatch; at start, the moves made while no keeper ran): watches
// the program folder (a rewrite replaces the file) and the file itself (a
// writer that appends), and syncs shortly after each change, touching only
// the files whose record changed. Also watches the folders of emblems left
// on paths whose file went, to take them off once a file comes back there,
// and the emblem images, to have the file managers draw a new theme.
class EmblemKeeper final : public QObject
{
    Q_OBJECT
public:
    // A sync ends early once stop is set.
    explicit EmblemKeeper(const ProgramFolder &folder, const std::atomic_bool *stop = nullptr,
                          QObject *parent = nullptr);

    // The first sync, from what the ledger says the files show.
    void start();

signals:
    void synced(const EmblemSync::Report &report);

private:
    void changeSeen();
    void syncIfChanged();
    // Every record compared with what its file shows; a change reading
    // compares only the records that differ from the last reading.
    void syncNow() { sync(false); }
    void sync(bool onlyChanges);
    void watchWaiting(const QStringList &paths);
    void askForRedraw();
    // The records, the ledger and the gvfs metadata of marked files that
    // moved: moves as made, marked the marked paths that went along.
    void followMoves(const MoveWatch::Moves &moves, const MoveWatch::Moves &marked);
    void followMovesWhileAway();
    void followRecords(const std::optional<QStringList> &changed);
    void writeMoves();
    // Another process noted emblems in the ledger: those files are looked
    // at again against their records.
    void ledgerChanged();
    void lookAgain(const QStringList &paths);
    // Every file the ledger or the keeper's view holds looked at again.
    void lookAtAll();

    BadgeBook m_book;
    // Every path the tables below follow, stored once: the keeper's memory
    // is this pool's bytes and a few bytes a record in each table.
    PathPool m_pool;
    RecordTable m_records;
    bool m_compareAll = false; // a sync failed midway: the next one compares every record
    EmblemLedger m_ledger;
    EmblemSync m_sync;
    FileStamp m_stamp;
    QFileSystemWatcher m_watcher;
    QTimer m_settle; // gathers a burst of changes into one sync
    QTimer m_poll;   // in case a change notification is missed
    QTimer m_retry;  // for paths set aside: their file system did not answer
    QFileSystemWatcher m_waitingFolders;
    QTimer m_waitingSettle;
    QFileSystemWatcher m_emblemImages;
    QTimer m_imagesSettle;
    QTimer m_redrawAgain; // file managers that were still reading the old images
    QTimer m_giveBack;    // the memory of the last reading, once idle
    MoveWatch m_moves;
    MoveWatch::Moves m_unwrittenMoves; // base.ini could not be written: tried again
    QTimer m_moveRetry;
    QFileSystemWatcher m_ledgerWatch;
    QTimer m_ledgerSettle;
    QSet<QString> m_notedByOthers; // since the last late look
    bool m_lookAtAllLater = false; // another process folded the ledger
    QTimer m_lateLook;             // for the writes other processes gave up waiting for
    QStringList m_redrawMoved;     // files whose emblem was moved after them
    QTimer m_movedRedraw;
    QTimer m_saveIdentities; // for the moves made while no keeper runs
};
