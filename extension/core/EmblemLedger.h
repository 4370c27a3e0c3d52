#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// Which files carry a badge emblem the extension set, and which badge: a
// per-user file, so the emblems of records deleted while nothing was
// watching, and every emblem at unregistering, can still be found and
// taken off. The badge command and the keeper both write it.
//
// A change is appended to a journal beside the INI file, so noting one
// emblem costs the same beside 100 000 as beside ten; the journal is folded
// into the INI file once it has grown to half that file's size.
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
    // Emblems about to be written: unsure until noted as set.
    void plan(const QList<std::pair<QString, int>> &set) const;
    // Emblems set (path, badge) and emblems taken off.
    void note(const QList<std::pair<QString, int>> &set, const QStringList &cleared) const;
    // Emblems that moved with their files (old path, new path), in the order
    // made: each new path unsure until a sync has looked at it.
    void noteMoves(const QList<std::pair<QString, QString>> &moves) const;
    void forget() const;

private:
    void append(const QByteArray &lines) const;
    void foldJournal() const;

    QString m_fileName;
};
