#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "platform/FileStamp.h"

#include <functional>
#include <optional>
#include <utility>

// Which files carry a badge emblem the extension set, and which badge: a
// per-user file, so the emblems of records deleted while nothing was
// watching, and every emblem at unregistering, can still be found and
// taken off. The badge command and the keeper both write it.
//
// A change is appended to a journal beside the INI file, so noting one
// emblem costs the same beside 100 000 as beside ten; the journal is folded
// into the INI file once it has grown to half that file's size, by the
// running keeper alone while there is one (see append()).
class EmblemLedger final
{
public:
    // An emblem whose write was under way when the ledger was last written:
    // the file may or may not show it, so it is checked again.
    static constexpr int kUnsure = -1;

    EmblemLedger();
    explicit EmblemLedger(QString fileName);

    const QString &fileName() const { return m_fileName; }
    QString journalName() const { return m_fileName + QStringLiteral(".journal"); }
    bool exists() const;

    // path -> badge, or kUnsure.
    QHash<QString, int> read() const;
    // The same without a table of its own, for a ledger of a million
    // emblems: first the INI file's entries (noted false; the first of a
    // key counts), then the journal's notes in the order made (noted true;
    // the last counts, badge 0 takes the emblem off).
    void read(const std::function<void(QStringView path, int badge, bool noted)> &visit) const;
    // Emblems about to be written: unsure until noted as set.
    void plan(const QList<std::pair<QString, int>> &set) const;
    // Emblems set (path, badge) and emblems taken off.
    void note(const QList<std::pair<QString, int>> &set, const QStringList &cleared) const;
    // Emblems that moved with their files (old path, new path), in the order
    // made: each new path unsure until a sync has looked at it.
    void noteMoves(const QList<std::pair<QString, QString>> &moves) const;
    void forget() const;

    // The paths other processes noted since the last call (the badge
    // command setting emblems beside the keeper): each note follows an
    // emblem written. nullopt when the journal was folded into the INI file
    // meanwhile, so lines may have gone unseen.
    std::optional<QSet<QString>> notedByOthers();

private:
    void append(const QByteArray &lines) const;
    void foldJournal() const;
    // Adds the paths of the lines others wrote from m_readUpTo on; text is
    // whole lines of the journal from byte textStart on.
    void collectOthersLines(QByteArrayView text, qint64 textStart, QSet<QString> &noted) const;

    QString m_fileName;
    // Where the last notedByOthers() read up to, what the INI file was then
    // (a fold replaces it), and the journal's byte ranges this object wrote
    // since.
    mutable qint64 m_readUpTo = -1;
    mutable FileStamp m_iniStamp;
    mutable QList<std::pair<qint64, qint64>> m_ownRanges;
    mutable QSet<QString> m_pendingNoted; // read by a fold of this object's
    mutable bool m_othersFolded = false;  // found by a fold of this object's
};
