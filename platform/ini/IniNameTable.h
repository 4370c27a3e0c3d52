#pragma once

#include <QStringView>

#include <cstdint>
#include <vector>

// Open-addressing hash table from names to the first index that carried them;
// names match without regard to letter case unless the table is exact. The names are views into text that outlives the
// table, so indexing 100 000 keys allocates two arrays, not 100 000 strings; slots are 8 bytes so that a large index
// stays in the cache.
class IniNameTable final
{
public:
    enum class Match : quint8 { IgnoringCase, Exact };
    explicit IniNameTable(qsizetype expected, Match match = Match::IgnoringCase);

    // Records name -> index unless an equal name is already recorded;
    // returns whether it was recorded.
    bool insertFirst(QStringView name, qsizetype index);
    // The recorded index, or -1.
    qsizetype find(QStringView name) const;

    static bool namesEqual(QStringView a, QStringView b);

private:
    struct Slot {
        uint32_t hash = 0;
        int32_t entry = -1;
    };
    struct Entry {
        QStringView name;
        qsizetype index;
    };
    uint64_t hashName(QStringView name) const;
    bool matches(QStringView a, QStringView b) const;

    std::vector<Slot> m_slots;
    std::vector<Entry> m_entries;
    size_t m_mask = 0;
    Match m_match;
};
