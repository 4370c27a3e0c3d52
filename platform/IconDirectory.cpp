#include "IconDirectory.h"

#include <QIODevice>
#include <QtEndian>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr qint64 kHeaderBytes = 6;
constexpr qint64 kEntryBytes = 16;
// Enough of an image to know its size: a PNG's signature and IHDR chunk, or
// a bitmap header's size, width and height.
constexpr qint64 kSniffBytes = 24;
constexpr char kPngSignature[] = "\x89PNG\r\n\x1a\n";

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}
qint32 le32signed(const char *p)
{
    return qFromLittleEndian<qint32>(p);
}
quint32 be32(const char *p)
{
    return qFromBigEndian<quint32>(p);
}

QByteArray readAt(QIODevice &device, qint64 offset, qint64 length)
{
    if (!device.seek(offset))
        return {};
    QByteArray bytes = device.read(length);
    return bytes.size() == length ? bytes : QByteArray();
}

// The size an image's own header states: what a decoder would allocate.
std::optional<IconDirectory::Entry> sniff(const QByteArray &head, IconDirectory::Entry entry)
{
    if (head.size() < kSniffBytes)
        return std::nullopt;
    const char *p = head.constData();
    if (std::memcmp(p, kPngSignature, 8) == 0) {
        if (std::memcmp(p + 12, "IHDR", 4) != 0)
            return std::nullopt;
        entry.png = true;
        entry.size =
            QSize(int(std::min<quint32>(be32(p + 16), 1u << 30)), int(std::min<quint32>(be32(p + 20), 1u << 30)));
    } else {
        // A bitmap: a BITMAPINFOHEADER (40 bytes or a later, longer one)
        // whose height counts the colour rows and the mask rows.
        if (le32(p) < 40 || entry.length < 40)
            return std::nullopt;
        const qint32 width = le32signed(p + 4);
        const qint32 height = le32signed(p + 8);
        if (width <= 0 || height <= 0)
            return std::nullopt;
        entry.size = QSize(std::min(width, 1 << 30), std::min(height / 2, 1 << 30));
    }
    if (entry.size.isEmpty())
        return std::nullopt;
    return entry;
}

} // namespace

namespace IconDirectory {

Reading read(QIODevice &device)
{
    Reading reading;
    const QByteArray header = readAt(device, 0, kHeaderBytes);
    if (header.isEmpty() || le16(header.constData()) != 0)
        return reading;
    const quint16 type = le16(header.constData() + 2);
    const quint16 count = le16(header.constData() + 4);
    if ((type != 1 && type != 2) || count == 0)
        return reading;
    if (count > kMaxEntries)
        return {Verdict::BeyondBounds, {}};
    const QByteArray directory = device.read(kEntryBytes * count);
    if (directory.size() != kEntryBytes * count)
        return reading;
    const qint64 fileSize = device.size();
    bool beyond = false;
    for (int i = 0; i < count; ++i) {
        const char *raw = directory.constData() + kEntryBytes * i;
        Entry entry;
        entry.raw = QByteArray(raw, kEntryBytes);
        entry.length = le32(raw + 8);
        entry.offset = le32(raw + 12);
        if (entry.length < kSniffBytes || entry.offset + entry.length > fileSize)
            return {};
        if (entry.length > kMaxEntryBytes) {
            beyond = true;
            continue;
        }
        const std::optional<Entry> sniffed = sniff(readAt(device, entry.offset, kSniffBytes), entry);
        if (!sniffed)
            return {};
        beyond = beyond || sniffed->size.width() > kMaxSide || sniffed->size.height() > kMaxSide;
        reading.entries.append(*sniffed);
    }
    if (beyond)
        return {Verdict::BeyondBounds, {}};
    reading.verdict = Verdict::Icon;
    return reading;
}

qsizetype nearest(const QList<Entry> &entries, const QSize &size)
{
    qsizetype best = -1;
    int bestDistance = std::numeric_limits<int>::max();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QSize own = entries[i].size;
        const int distance = std::abs(own.width() - size.width()) + std::abs(own.height() - size.height());
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QByteArray decodable(QIODevice &device, const Entry &entry)
{
    QByteArray image = readAt(device, entry.offset, entry.length);
    if (image.isEmpty() || entry.png)
        return image;
    // The bitmap again under a directory of its own, the only form in which
    // an image reader takes it.
    QByteArray file("\0\0\1\0\1\0", kHeaderBytes);
    QByteArray directoryEntry = entry.raw;
    qToLittleEndian<quint32>(quint32(kHeaderBytes + kEntryBytes), directoryEntry.data() + 12);
    file += directoryEntry;
    return file + image;
}

} // namespace IconDirectory
