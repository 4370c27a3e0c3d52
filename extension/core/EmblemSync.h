#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

#include <atomic>

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

    // shown: what the files are believed to show (path -> badge, or
    // EmblemLedger::kUnsure), from the ledger at first; kept up to date by
    // every sync.
    EmblemSync(EmblemLedger &ledger, QHash<QString, int> shown);

    // A sync checks stop between files and ends early once it is set.
    void setStopFlag(const std::atomic_bool *stop) { m_stop = stop; }

    // Touches only the files whose record differs from what they show.
    // records: path -> badge text, as base.ini holds them. Every emblem is
    // in the ledger, as unsure, before it is set, so a sync that is killed
    // leaves none that unregistering cannot find, and the next one checks
    // the files it was writing.
    Report follow(const QHash<QString, QString> &records);
    // The same where only the records of `keys` may have changed since the
    // last sync (RecordTable::update).
    Report follow(const QHash<QString, QString> &records, const QStringList &keys);

    // Marked files that moved (old path, new path): what the old path showed
    // is the new path's now, unsure until the next sync has looked, since a
    // file manager moves the emblem along and a terminal does not.
    void moved(const QList<std::pair<QString, QString>> &paths);

    // Files whose emblem another process wrote or may have written (the
    // badge command beside the keeper): they are looked at again by the
    // next sync of their keys, rather than believed.
    void doubt(const QStringList &paths);

    const QHash<QString, int> &shown() const { return m_shown; }

    // Takes off every emblem the ledger knows, the one way unregistering
    // does. A path whose file went is forgotten (gvfs keeps no emblem for a
    // path with no file); one on a file system that did not answer stays in
    // the ledger for the next time. True when none is left: then the ledger
    // is forgotten. Raises AppError as follow does.
    static bool takeOffAll(EmblemLedger &ledger, const std::atomic_bool *stop = nullptr, Report *report = nullptr);

private:
    // folder -> (file name -> emblems) of the folders that were listed.
    using FolderEmblems = QHash<QString, QHash<QByteArray, QStringList>>;
    // Gives each changed file its emblem, chunk by chunk.
    Report write(QList<std::pair<QString, int>> changes);
    // The emblems of the folders where enough files change, listed.
    FolderEmblems listFolders(const QList<std::pair<QString, int>> &changes) const;

    EmblemLedger &m_ledger;
    QHash<QString, int> m_shown;
    QStringList m_unnameable; // ledger entries to drop at the next sync
    const std::atomic_bool *m_stop = nullptr;
};
