#include "PathPool.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

namespace {

// Paths are packed into pieces of this size, found by a 32-bit position:
// the piece's number above its offset.
constexpr int kOffsetBits = 20;
constexpr quint32 kChunkBytes = 1U << kOffsetBits;
constexpr size_t kMostChunks = size_t(1) << (32 - kOffsetBits);
// The paths let go are packed away once they are as large as those held,
// and large enough for the copy to be worth it.
constexpr qsizetype kLeastDeadBytes = 4 << 20;

bool isHigh(char16_t u)
{
    return u >= 0xD800 && u < 0xDC00;
}

bool isLow(char16_t u)
{
    return u >= 0xDC00 && u < 0xE000;
}

// UTF-8, where a surrogate not in a pair is encoded as a character of its
// own (three bytes), so that decoding gives back every QString exactly.
void encode(QStringView text, QByteArray &out)
{
    out.clear();
    const char16_t *units = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t c = units[i];
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        if (isHigh(char16_t(c)) && i + 1 < size && isLow(units[i + 1]))
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (c < 0x800) {
            out.append(char(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
            out.append(char(0xE0 | (c >> 12)));
            out.append(char(0x80 | ((c >> 6) & 0x3F)));
        } else {
            out.append(char(0xF0 | (c >> 18)));
            out.append(char(0x80 | ((c >> 12) & 0x3F)));
            out.append(char(0x80 | ((c >> 6) & 0x3F)));
        }
        out.append(char(0x80 | (c & 0x3F)));
    }
}

QString decode(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size();) {
        const unsigned char lead = b[i];
        char32_t c = lead;
        int more = 0;
        if (lead >= 0xF0) {
            c = lead & 0x07;
            more = 3;
        } else if (lead >= 0xE0) {
            c = lead & 0x0F;
            more = 2;
        } else if (lead >= 0xC0) {
            c = lead & 0x1F;
            more = 1;
        }
        ++i;
        for (; more > 0 && i < bytes.size(); --more)
            c = (c << 6) | (b[i++] & 0x3F);
        if (c >= 0x10000) {
            text.append(QChar(char16_t(0xD800 + ((c - 0x10000) >> 10))));
            text.append(QChar(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF))));
        } else {
            text.append(QChar(char16_t(c)));
        }
    }
    return text;
}

size_t hashOf(QByteArrayView bytes)
{
    return qHashBits(bytes.data(), size_t(bytes.size()), 0);
}

} // namespace

PathPool::PathPool() : m_slots(16, kNoId) {}

PathPool::~PathPool() = default;

QByteArrayView PathPool::bytesOf(Id id) const
{
    const Entry &entry = m_entries[id];
    return {m_chunks[entry.position >> kOffsetBits].get() + (entry.position & (kChunkBytes - 1)),
            qsizetype(entry.length)};
}

size_t PathPool::slotOf(QByteArrayView bytes) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hashOf(bytes) & mask;; slot = (slot + 1) & mask) {
        const Id id = m_slots[slot];
        if (id == kNoId || bytesOf(id) == bytes)
            return slot;
    }
}

PathPool::Id PathPool::find(QStringView path) const
{
    encode(path, m_scratch);
    return m_slots[slotOf(m_scratch)];
}

PathPool::Id PathPool::hold(QStringView path)
{
    encode(path, m_scratch);
    size_t slot = slotOf(m_scratch);
    if (m_slots[slot] != kNoId) {
        hold(m_slots[slot]);
        return m_slots[slot];
    }
    // At most 70 % of the slots taken, so a look-up probes a few at most.
    if (size_t(m_live + 1) * 10 > m_slots.size() * 7) {
        growSlots();
        slot = slotOf(m_scratch);
    }
    Id id;
    if (m_freeIds.empty()) {
        id = Id(m_entries.size());
        m_entries.emplace_back();
    } else {
        id = m_freeIds.back();
        m_freeIds.pop_back();
    }
    Entry &entry = m_entries[id];
    place(m_scratch, entry);
    entry.holders = 1;
    m_slots[slot] = id;
    ++m_live;
    m_liveBytes += m_scratch.size();
    return id;
}

void PathPool::place(QByteArrayView bytes, Entry &entry)
{
    // A file's path is far shorter than either bound: 4 GiB of paths is four
    // times two stores of the largest size read.
    if (bytes.size() > kLongestPath
        || (m_chunkUsed.size() == kMostChunks && m_chunkUsed.back() + bytes.size() > kChunkBytes))
        qFatal("PathPool: a path of %lld bytes beyond the pool's bounds", qint64(bytes.size()));
    const auto length = quint32(bytes.size());
    if (m_chunks.empty() || m_chunkUsed.back() + length > kChunkBytes) {
        m_chunks.emplace_back(new char[kChunkBytes]);
        m_chunkUsed.push_back(0);
    }
    const quint32 offset = m_chunkUsed.back();
    entry.position = quint32((m_chunks.size() - 1) << kOffsetBits) | offset;
    entry.length = quint16(length);
    if (length > 0) // an empty path's bytes may be no pointer at all
        std::memcpy(m_chunks.back().get() + offset, bytes.data(), length);
    m_chunkUsed.back() += length;
}

void PathPool::release(Id id)
{
    Entry &entry = m_entries[id];
    if (--entry.holders > 0)
        return;
    unlink(id);
    m_liveBytes -= entry.length;
    m_deadBytes += entry.length;
    entry = Entry{};
    m_freeIds.push_back(id);
    --m_live;
    if (m_deadBytes > kLeastDeadBytes && m_deadBytes > m_liveBytes)
        compact();
}

void PathPool::unlink(Id id)
{
    // Linear probing: the entries after the hole that belong before it move
    // up, so no look-up stops early at the hole.
    const size_t mask = m_slots.size() - 1;
    size_t hole = slotOf(bytesOf(id));
    for (size_t next = (hole + 1) & mask; m_slots[next] != kNoId; next = (next + 1) & mask) {
        const size_t home = hashOf(bytesOf(m_slots[next])) & mask;
        // Whether home lies cyclically in (hole, next]: then it stays.
        const bool stays = hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
        if (!stays) {
            m_slots[hole] = m_slots[next];
            hole = next;
        }
    }
    m_slots[hole] = kNoId;
}

void PathPool::growSlots()
{
    std::vector<Id> old(m_slots.size() * 2, kNoId);
    old.swap(m_slots);
    for (const Id id : old) {
        if (id != kNoId)
            m_slots[slotOf(bytesOf(id))] = id;
    }
}

void PathPool::compact()
{
    // Piece by piece, in the order the paths lie: a piece is freed as soon
    // as its paths are copied, so packing needs hardly more than it frees.
    std::vector<Id> order;
    order.reserve(size_t(m_live));
    for (Id id = 0; id < Id(m_entries.size()); ++id) {
        if (m_entries[id].holders > 0)
            order.push_back(id);
    }
    std::sort(order.begin(), order.end(), [&](Id a, Id b) { return m_entries[a].position < m_entries[b].position; });
    std::vector<std::unique_ptr<char[]>> old = std::exchange(m_chunks, {});
    m_chunkUsed.clear();
    for (size_t i = 0; i < order.size();) {
        const quint32 chunk = m_entries[order[i]].position >> kOffsetBits;
        for (; i < order.size() && m_entries[order[i]].position >> kOffsetBits == chunk; ++i) {
            Entry &entry = m_entries[order[i]];
            place(QByteArrayView(old[chunk].get() + (entry.position & (kChunkBytes - 1)), entry.length), entry);
        }
        old[chunk].reset();
    }
    m_deadBytes = 0;
}

QByteArray PathPool::encoded(QStringView path)
{
    QByteArray bytes;
    encode(path, bytes);
    return bytes;
}

QString PathPool::path(Id id) const
{
    return decode(bytesOf(id));
}
