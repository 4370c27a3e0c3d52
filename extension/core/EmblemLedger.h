#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// Which files carry a badge emblem the extension set, and which badge: a
// per-user INI file, so the emblems of records deleted while nothing was
// watching, and every emblem at unregistering, can still be found and
// taken off. The badge command and the keeper both write it; the INI code's
// folder lock keeps their rewrites apart.
class EmblemLedger final
{
public:
    EmblemLedger();
    explicit EmblemLedger(QString fileName);

    const QString &fileName() const { return m_fileName; }

    QHash<QString, int> read() const;
    // One rewrite: emblems set (path, badge) and emblems taken off.
    void note(const QList<std::pair<QString, int>> &set, const QStringList &cleared) const;
    void forget() const;

private:
    QString m_fileName;
};
