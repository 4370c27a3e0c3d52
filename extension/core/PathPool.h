#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

// The paths the keeper follows, each stored once for all its tables (the
// records, the emblems shown, the watched moves) and named by a small
// number: a million paths cost their bytes and some 30 bytes each, rather
// than several QStrings and hash nodes each.
//
// A path is stored as UTF-8 (at most kLongestPath bytes), with a lone surrogate (a name that was no valid
// UTF-8 on disk) encoded on its own, so every QString comes back exactly.
// An id lives while some table holds it; the space of the paths let go is
// reused once it is a good part of the whole.
class PathPool final
{
public:
    using Id = quint32;
    static constexpr Id kNoId = 0xffffffffU;
    // The longest path stored, in UTF-8 bytes: a path a file can have is at
    // most 4 096 characters, one moved below another twice that.
    static constexpr qsizetype kLongestPath = 0xffff;

    PathPool();
    ~PathPool();
    PathPool(const PathPool &) = delete;
    PathPool &operator=(const PathPool &) = delete;

    Id find(QStringView path) const;
    // The id of path, added when it is new, held once more: each hold is
    // let go by a release, and the last one frees the id.
    Id hold(QStringView path);
    void hold(Id id) { ++m_entries[id].holders; }
    void release(Id id);

    QString path(Id id) const;
    // The stored bytes of a path, and those a path is stored as: compared
    // as they are, a folder's bytes and "/" begin those of what it holds.
    QByteArrayView bytes(Id id) const { return bytesOf(id); }
    static QByteArray encoded(QStringView path);
    // Ids are below this: the size of a table indexed by id.
    Id idLimit() const { return Id(m_entries.size()); }
    qsizetype size() const { return m_live; }

private:
    // 8 bytes a path besides its own.
    struct Entry {
        quint32 position = 0; // piece and offset of the bytes
        quint16 length = 0;
        quint16 holders = 0; // 0: a free id; each table holds an id once
    };
    QByteArrayView bytesOf(Id id) const;
    // The slot holding bytes, or the empty slot where they would go.
    size_t slotOf(QByteArrayView bytes) const;
    void growSlots();
    void unlink(Id id);
    void compact();
    void place(QByteArrayView bytes, Entry &entry);

    std::vector<Entry> m_entries;
    std::vector<Id> m_freeIds;
    std::vector<Id> m_slots; // open addressing by the bytes' hash; kNoId: empty
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::vector<quint32> m_chunkUsed;
    mutable QByteArray m_scratch; // a path being looked up, encoded
    qsizetype m_live = 0;
    qsizetype m_liveBytes = 0;
    qsizetype m_deadBytes = 0;
};
