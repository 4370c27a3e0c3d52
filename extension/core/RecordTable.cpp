#include "RecordTable.h"

#include "BadgeBook.h"
#include "BadgePath.h"
#include "platform/ini/IniSectionStream.h"
#include "platform/ini/TntIniFile.h"

namespace {

// Beyond this many changed records, comparing every record is as quick.
constexpr qsizetype kLargestRun = 1000;

const QString kSection = QStringLiteral("Files");

} // namespace

RecordTable::RecordTable(PathPool &pool) : m_pool(pool) {}

RecordTable::~RecordTable()
{
    forEach([&](PathPool::Id id, int) { m_pool.release(id); });
}

int RecordTable::badgeOf(QStringView path) const
{
    const PathPool::Id id = m_pool.find(path);
    return id == PathPool::kNoId ? -1 : badgeOf(id);
}

RecordTable::Reading RecordTable::read(const QString &fileName)
{
    Reading reading;
    // A store that cannot be read is not an empty one: the records stay.
    reading.changed = ingest([&](const std::function<void(QStringView, QStringView)> &visit) {
        reading.readable = IniSectionStream::read(fileName, kSection, visit, TTntIniFile::kMaxFileBytes);
        return reading.readable;
    });
    return reading;
}

std::optional<QStringList> RecordTable::update(const QList<std::pair<QString, QString>> &entries)
{
    return ingest([&](const std::function<void(QStringView, QStringView)> &visit) {
        for (const auto &[key, value] : entries)
            visit(key, value);
        return true;
    });
}

std::optional<QStringList> RecordTable::ingest(const Source &source)
{
    m_seen.assign(m_badge.size(), false);
    QStringList changed;
    bool many = !m_read;
    const auto note = [&](QStringView path) {
        if (!many && changed.size() >= kLargestRun) {
            many = true;
            changed.clear();
        }
        if (!many)
            changed.append(path.toString());
    };
    const bool whole = source([&](QStringView line, QStringView value) {
        const QString key = line.toString();
        if (!BadgePath::namesAFile(key))
            return;
        PathPool::Id id = m_pool.find(key);
        if (id != PathPool::kNoId && id < m_seen.size() && m_seen[id])
            return; // a later line of the same key: the first is the record
        const auto badge = qint8(BadgeBook::badgeNumber(value.toString()));
        if (id == PathPool::kNoId || badgeOf(id) < 0) {
            id = id == PathPool::kNoId ? m_pool.hold(key) : (m_pool.hold(id), id);
            if (id >= m_badge.size()) {
                m_badge.resize(id + 1, -1);
                m_seen.resize(id + 1, false);
            }
            ++m_count;
            note(key);
        } else if (m_badge[id] != badge) {
            note(key);
        }
        m_badge[id] = badge;
        m_seen[id] = true;
    });
    if (!whole) {
        // Unreadable midway: no record is taken as gone, and the next
        // reading compares them all.
        m_seen = {};
        return std::nullopt;
    }
    // What the reading did not find went.
    for (PathPool::Id id = 0; id < PathPool::Id(m_seen.size()); ++id) {
        if (m_badge[id] < 0 || m_seen[id])
            continue;
        if (!many)
            note(m_pool.path(id));
        m_badge[id] = -1;
        --m_count;
        m_pool.release(id);
    }
    m_seen = {};
    m_read = true;
    if (many)
        return std::nullopt;
    return changed;
}
