#include "IniNameTable.h"

#include <QChar>

namespace {

// Letter case is folded one UTF-16 unit at a time, as the Windows profile
// functions compare names; hashing and equality use the same folding so
// they can never disagree.
inline char16_t foldUnit(char16_t u)
{
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? char16_t(u + 32) : u;
    if (QChar::isSurrogate(u))
        return u;
    return char16_t(QChar::toCaseFolded(char32_t(u)));
}

inline uint64_t mix(uint64_t h)
{
    // The finaliser of MurmurHash3: every input bit reaches the low bits
    // that index the table.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h;
}

} // namespace

IniNameTable::IniNameTable(qsizetype expected, Match match) : m_match(match)
{
    size_t capacity = 16;
    while (capacity < size_t(expected) * 2)
        capacity *= 2;
    m_slots.resize(capacity);
    m_entries.reserve(size_t(expected));
    m_mask = capacity - 1;
}

uint64_t IniNameTable::hashName(QStringView name) const
{
    const bool exact = m_match == Match::Exact;
    const auto unit = [exact](QChar c) { return exact ? c.unicode() : foldUnit(c.unicode()); };
    // Four folded units make one 64-bit word, so the multiply chain is a
    // quarter of the name's length.
    uint64_t h = 0x9e3779b97f4a7c15ull ^ uint64_t(name.size());
    const QChar *p = name.data();
    qsizetype n = name.size();
    while (n >= 4) {
        const uint64_t word =
            uint64_t(unit(p[0])) | uint64_t(unit(p[1])) << 16 | uint64_t(unit(p[2])) << 32 | uint64_t(unit(p[3])) << 48;
        h = (h ^ word) * 0x100000001b3ull;
        h ^= h >> 29;
        p += 4;
        n -= 4;
    }
    uint64_t tail = 0;
    for (qsizetype i = 0; i < n; ++i)
        tail |= uint64_t(unit(p[i])) << (16 * i);
    return mix(h ^ tail);
}

bool IniNameTable::namesEqual(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && foldUnit(a[i].unicode()) != foldUnit(b[i].unicode()))
            return false;
    }
    return true;
}

bool IniNameTable::matches(QStringView a, QStringView b) const
{
    return m_match == Match::Exact ? a == b : namesEqual(a, b);
}

bool IniNameTable::insertFirst(QStringView name, qsizetype index)
{
    const uint64_t full = hashName(name);
    const auto h = uint32_t(full >> 32);
    for (size_t i = full & m_mask;; i = (i + 1) & m_mask) {
        Slot &slot = m_slots[i];
        if (slot.entry < 0) {
            slot = Slot{h, int32_t(m_entries.size())};
            m_entries.push_back(Entry{name, index});
            return true;
        }
        if (slot.hash == h && matches(m_entries[slot.entry].name, name))
            return false;
    }
}

qsizetype IniNameTable::find(QStringView name) const
{
    const uint64_t full = hashName(name);
    const auto h = uint32_t(full >> 32);
    for (size_t i = full & m_mask;; i = (i + 1) & m_mask) {
        const Slot &slot = m_slots[i];
        if (slot.entry < 0)
            return -1;
        if (slot.hash == h && matches(m_entries[slot.entry].name, name))
            return m_entries[slot.entry].index;
    }
}
