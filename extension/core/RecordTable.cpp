#include "RecordTable.h"

#include "BadgePath.h"

#include <QSet>

#include <algorithm>

namespace {

// Beyond this many differing lines, comparing every record is as quick.
constexpr qsizetype kLargestRun = 1000;

} // namespace

void RecordTable::rebuild()
{
    m_records.clear();
    m_records.reserve(m_entries.size());
    m_unique = true;
    // Keys that name no file never become records, however often they stand.
    for (const auto &[path, badge] : m_entries) {
        if (!BadgePath::namesAFile(path))
            continue;
        if (m_records.contains(path))
            m_unique = false;
        else
            m_records.insert(path, badge);
    }
}

std::optional<QStringList> RecordTable::update(QList<std::pair<QString, QString>> entries)
{
    const QList<std::pair<QString, QString>> before = std::exchange(m_entries, std::move(entries));
    if (!m_read || !m_unique) {
        m_read = true;
        rebuild();
        return std::nullopt;
    }
    const qsizetype oldSize = before.size();
    const qsizetype newSize = m_entries.size();
    qsizetype prefix = 0;
    while (prefix < oldSize && prefix < newSize && before[prefix] == m_entries[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < oldSize - prefix && suffix < newSize - prefix
           && before[oldSize - 1 - suffix] == m_entries[newSize - 1 - suffix])
        ++suffix;
    const qsizetype removed = oldSize - prefix - suffix;
    const qsizetype added = newSize - prefix - suffix;
    if (removed + added > kLargestRun) {
        rebuild();
        return std::nullopt;
    }

    // Every key was unique before: the lines that went take their records
    // with them, unless a new line spells the same key.
    QStringList changed;
    QSet<QString> gone;
    for (qsizetype i = prefix; i < prefix + removed; ++i) {
        if (BadgePath::namesAFile(before[i].first)) {
            gone.insert(before[i].first);
            changed.append(before[i].first);
        }
    }
    QSet<QString> arrived;
    for (qsizetype i = prefix; i < prefix + added; ++i) {
        const QString &path = m_entries[i].first;
        if (!BadgePath::namesAFile(path))
            continue;
        // A key that stays elsewhere in the file, or comes twice: which
        // line counts is for the full reading to decide.
        if (arrived.contains(path) || (!gone.contains(path) && m_records.contains(path))) {
            rebuild();
            return std::nullopt;
        }
        arrived.insert(path);
    }
    for (const QString &path : std::as_const(gone))
        m_records.remove(path);
    for (qsizetype i = prefix; i < prefix + added; ++i) {
        const auto &[path, badge] = m_entries[i];
        if (!arrived.contains(path))
            continue; // names no file
        if (!gone.contains(path))
            changed.append(path);
        m_records.insert(path, badge);
    }
    return changed;
}
