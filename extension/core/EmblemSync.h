#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

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

    // shown: what the files are believed to show (path -> badge), from the
    // ledger at first; kept up to date by every sync.
    EmblemSync(EmblemLedger &ledger, QHash<QString, int> shown);

    // A sync checks stop between files and ends early once it is set.
    void setStopFlag(const std::atomic_bool *stop) { m_stop = stop; }

    // Touches only the files whose record differs from what they show.
    // records: path -> badge text, as base.ini holds them. Every emblem is
    // in the ledger before it is set, so a sync that is killed leaves none
    // that unregistering cannot find.
    Report follow(const QHash<QString, QString> &records);

    const QHash<QString, int> &shown() const { return m_shown; }

private:
    EmblemLedger &m_ledger;
    QHash<QString, int> m_shown;
    const std::atomic_bool *m_stop = nullptr;
};
