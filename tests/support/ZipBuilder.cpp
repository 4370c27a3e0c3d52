#include "ZipBuilder.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>

#include <zip.h>

namespace ZipBuilder {

void write(const QString &path, const QList<ZipEntry> &entries)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        qFatal("cannot create %s", qPrintable(path));
    for (const ZipEntry &entry : entries) {
        // libzip frees the buffer copy it is given when the archive is written
        // (an empty entry gets no buffer at all).
        void *copy = nullptr;
        if (!entry.bytes.isEmpty()) {
            copy = malloc(size_t(entry.bytes.size()));
            memcpy(copy, entry.bytes.constData(), size_t(entry.bytes.size()));
        }
        zip_source_t *source = zip_source_buffer(archive, copy, zip_uint64_t(entry.bytes.size()), copy ? 1 : 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            qFatal("cannot add %s", qPrintable(entry.name));
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 9);
        if (!entry.passPhrase.isEmpty())
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE,
                                    entry.passPhrase.toLatin1().constData());
    }
    if (zip_close(archive) != 0)
        qFatal("cannot write %s: %s", qPrintable(path), zip_strerror(archive));
}

void patchNames(const QString &path, const QByteArray &from, const QByteArray &to)
{
    QFile file(path);
    if (from.size() != to.size() || !file.open(QIODevice::ReadWrite))
        qFatal("cannot patch %s", qPrintable(path));
    QByteArray bytes = file.readAll();
    bytes.replace(from, to);
    file.seek(0);
    file.write(bytes);
}

QStringList names(const QString &path)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QStringList result;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        result.append(QString::fromUtf8(zip_get_name(archive, zip_uint64_t(i), 0)));
    zip_discard(archive);
    return result;
}

QByteArray icon(const QColor &colour, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "ico").write(image))
        qFatal("cannot write an icon");
    return bytes;
}

QByteArray multiSizeIcon(const QList<std::pair<int, QColor>> &images)
{
    // One-image files from Qt's writer, joined under one directory: a
    // 6-byte header, a 16-byte entry per image (offset in its last 4
    // bytes), then the images.
    QByteArray directory("\0\0\1\0", 4);
    directory.append(char(images.size())).append('\0');
    QByteArray payloads;
    const qsizetype payloadStart = 6 + 16 * images.size();
    for (const auto &[size, colour] : images) {
        const QByteArray single = icon(colour, size);
        QByteArray entry = single.mid(6, 16);
        const quint32 offset = quint32(payloadStart + payloads.size());
        for (int i = 0; i < 4; ++i)
            entry[12 + i] = char((offset >> (8 * i)) & 0xFF);
        directory.append(entry);
        payloads.append(single.mid(22));
    }
    return directory + payloads;
}

QByteArray pngIcon(int side, int entries, QImage::Format format)
{
    QImage image(side, side, format);
    image.fill(Qt::color1);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        qFatal("cannot write a PNG");
    QByteArray bytes("\0\0\1\0", 4);
    bytes.append(char(entries & 0xFF)).append(char(entries >> 8));
    const quint32 offset = quint32(6 + 16 * entries);
    QByteArray entry(16, '\0');
    entry[0] = entry[1] = char(side >= 256 ? 0 : side);
    entry[4] = 1;
    entry[6] = 32;
    for (int i = 0; i < 4; ++i) {
        entry[8 + i] = char((quint32(png.size()) >> (8 * i)) & 0xFF);
        entry[12 + i] = char((offset >> (8 * i)) & 0xFF);
    }
    for (int i = 0; i < entries; ++i)
        bytes.append(entry);
    return bytes + png;
}

QByteArray plist(const QString &themeName, const QString &extraLines)
{
    const QString text =
        QStringLiteral("[AUTHOR]\r\nTHEME_NAME=%1\r\nNAME=Tester\r\nVER=2.1\r\n").arg(themeName) + extraLines;
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

QList<ZipEntry> themeEntries(const QString &themeName, const QString &passPhrase)
{
    QList<ZipEntry> entries;
    for (int n = 1; n <= 10; ++n)
        entries.append({QStringLiteral("%1.ico").arg(n), icon(QColor::fromHsv(n * 30, 200, 200)), passPhrase});
    entries.append({QStringLiteral("plist.ini"), plist(themeName), passPhrase});
    return entries;
}

} // namespace ZipBuilder
