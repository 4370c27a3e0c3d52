#pragma once

#include "PathPool.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

// The badge records as the keeper last read them: for each path, held in
// the shared PathPool, the badge number its record gives (0 for a text that
// is no badge). base.ini is read a line at a time, each line compared with
// the record kept, so a reading holds no copy of the file and a change of
// one record among a million is found without a second table.
class RecordTable final
{
public:
    explicit RecordTable(PathPool &pool);
    ~RecordTable();
    RecordTable(const RecordTable &) = delete;
    RecordTable &operator=(const RecordTable &) = delete;

    struct Reading {
        bool readable = true;
        // The keys whose record changed since the last reading, or nullopt
        // when every record is to be compared (the first reading, or more
        // changes than are worth listing).
        std::optional<QStringList> changed;
    };

    // A new reading of the records section of an INI file.
    Reading read(const QString &fileName);
    // The same from entries as a whole reading of the section gives them
    // (file order, duplicates included): the first line of each spelling of
    // a key that names a file is its record.
    std::optional<QStringList> update(const QList<std::pair<QString, QString>> &entries);

    // The record's badge number, -1 where there is none.
    int badgeOf(PathPool::Id id) const { return id < m_badge.size() ? m_badge[id] : -1; }
    int badgeOf(QStringView path) const;
    qsizetype size() const { return m_count; }
    PathPool &pool() const { return m_pool; }

    template <typename Visit>
    void forEach(const Visit &visit) const
    {
        for (PathPool::Id id = 0; id < PathPool::Id(m_badge.size()); ++id) {
            if (m_badge[id] >= 0)
                visit(id, int(m_badge[id]));
        }
    }

private:
    // Calls its argument for each entry; false when the reading broke off.
    using Source = std::function<bool(const std::function<void(QStringView, QStringView)> &)>;
    std::optional<QStringList> ingest(const Source &source);

    PathPool &m_pool;
    std::vector<qint8> m_badge; // by id: -1 no record
    std::vector<bool> m_seen;   // by id: read in the reading under way
    qsizetype m_count = 0;
    bool m_read = false;
};
