#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "PathPool.h"
#include "RecordTable.h"

#include <atomic>
#include <utility>
#include <vector>

class EmblemLedger;

// Makes the files' badge emblems follow the badge records.
class EmblemSync final
{
public:
    struct Report {
        int set = 0;          // emblems put on or changed
        int cleared = 0;      // emblems taken off
        int failed = 0;       // files that could not be reached (gone, no metadata store)
        int setAside = 0;     // files whose file system did not answer: tried again later
        bool stopped = false; // asked to stop before every file was done
        QStringList waiting;  // emblems to take off once a file is at their path again
    };

    // What the files are believed to show (badge, or EmblemLedger::kUnsure)
    // is read from the ledger at first, its paths kept in pool, and kept up
    // to date by every sync.
    EmblemSync(EmblemLedger &ledger, PathPool &pool);
    ~EmblemSync();
    EmblemSync(const EmblemSync &) = delete;
    EmblemSync &operator=(const EmblemSync &) = delete;

    // A sync checks stop between files and ends early once it is set.
    void setStopFlag(const std::atomic_bool *stop) { m_stop = stop; }

    // Touches only the files whose record differs from what they show.
    // records: read from base.ini, their paths in the same pool. Every
    // emblem is in the ledger, as unsure, before it is set, so a sync that
    // is killed leaves none that unregistering cannot find, and the next one
    // checks the files it was writing.
    Report follow(const RecordTable &records);
    // The same where only the records of `keys` may have changed since the
    // last sync (RecordTable::read).
    Report follow(const RecordTable &records, const QStringList &keys);

    // Marked files that moved (old path, new path): what the old path showed
    // is the new path's now, unsure until the next sync has looked, since a
    // file manager moves the emblem along and a terminal does not.
    void moved(const QList<std::pair<QString, QString>> &paths);

    // Files whose emblem another process wrote or may have written (the
    // badge command beside the keeper): they are looked at again by the
    // next sync of their keys, rather than believed.
    void doubt(const QStringList &paths);
    // The same for every file the ledger names and every one believed to
    // show an emblem, looked at by the next full follow (another process
    // folded the ledger: its notes went unseen).
    void doubtAll();

    // The badge a file is believed to show: 0 for none.
    int shownBadge(QStringView path) const;
    // Each path believed to show an emblem, with its badge (or kUnsure).
    template <typename Visit>
    void forEachShown(const Visit &visit) const
    {
        for (PathPool::Id id = 0; id < PathPool::Id(m_shown.size()); ++id) {
            if (m_shown[id] != 0)
                visit(id, int(m_shown[id]));
        }
    }
    PathPool &pool() const { return m_pool; }

    // Takes off every emblem the ledger knows, the one way unregistering
    // does. A path whose file went is forgotten (gvfs keeps no emblem for a
    // path with no file); one on a file system that did not answer stays in
    // the ledger for the next time. True when none is left: then the ledger
    // is forgotten. Raises AppError as follow does.
    static bool takeOffAll(EmblemLedger &ledger, const std::atomic_bool *stop = nullptr, Report *report = nullptr);

private:
    // folder -> (file name -> emblems) of the folders that were listed.
    using FolderEmblems = QHash<QString, QHash<QByteArray, QStringList>>;
    using Change = std::pair<PathPool::Id, int>; // a path and its new badge
    // Gives each changed file its emblem, chunk by chunk.
    Report write(std::vector<Change> changes);
    // The emblems of the folders where enough files change, listed.
    FolderEmblems listFolders(const std::vector<Change> &changes) const;

    int shownOf(PathPool::Id id) const { return id < m_shown.size() ? m_shown[id] : 0; }
    void setShown(QStringView path, int badge);

    EmblemLedger &m_ledger;
    PathPool &m_pool;
    std::vector<qint8> m_shown; // by id: 0 nothing shown
    QStringList m_unnameable;   // ledger entries to drop at the next sync
    const std::atomic_bool *m_stop = nullptr;
};
