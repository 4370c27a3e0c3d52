#pragma once

#include <QStringView>

#include <cstdint>
#include <vector>

// Open-addressing hash table from case-insensitive names to the first index
// that carried them. The names are views into text that outlives the table,
// so indexing 100 000 keys allocates two arrays, not 100 000 strings; slots
// are 8 bytes so that a large index stays in the cache.
class IniNameTable final
{
public:
    explicit IniNameTable(qsizetype expected);

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
    static uint64_t hashName(QStringView name);

    std::vector<Slot> m_slots;
    std::vector<Entry> m_entries;
    size_t m_mask = 0;
};
