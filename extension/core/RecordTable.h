#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The badge records as the keeper last read them, brought up to date from
// each new reading of base.ini by what differs between the two readings:
// the writers keep the file's order, so a change of one record among
// 100 000 is one short run of lines, found by comparing the readings from
// both ends rather than by rebuilding and comparing every record.
class RecordTable final
{
public:
    // entries: the records section as read (file order, duplicates
    // included). Returns the keys whose record may have changed, or nullopt
    // when every record is to be compared (the first reading, a large
    // change, or one where a key spelled twice decides which line counts).
    std::optional<QStringList> update(QList<std::pair<QString, QString>> entries);

    // path -> badge text of every key that names a file: the first line of
    // each spelling.
    const QHash<QString, QString> &records() const { return m_records; }

private:
    void rebuild();

    QList<std::pair<QString, QString>> m_entries;
    QHash<QString, QString> m_records;
    bool m_read = false;
    bool m_unique = true; // no key stands in m_entries twice
};
