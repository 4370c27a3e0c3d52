#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

// Real ZIP archives for tests, written with libzip.
struct ZipEntry {
    QString name;
    QByteArray bytes;
    QString passPhrase; // traditional PKWARE encryption when not empty
};

namespace ZipBuilder {

// Writes the entries as a ZIP file at path (deflated).
void write(const QString &path, const QList<ZipEntry> &entries);
// Replaces every occurrence of a name's bytes by another of the same length,
// in the local headers and the central directory alike: how archives with
// duplicate entries, which libzip refuses to write, are made.
void patchNames(const QString &path, const QByteArray &from, const QByteArray &to);
// The names of a ZIP file's entries, or an empty list.
QStringList names(const QString &path);
// A real ICO file of one colour.
QByteArray icon(const QColor &colour, int size = 32);
// A real ICO file holding one image per (size, colour), in that order.
QByteArray multiSizeIcon(const QList<std::pair<int, QColor>> &images);
// An icon whose directory lists one PNG of side x side pixels `entries`
// times: the shapes of hostile icons (many images, one huge image).
QByteArray pngIcon(int side, int entries = 1, QImage::Format format = QImage::Format_Mono);
// A plist.ini naming the theme, UTF-16LE with its mark.
QByteArray plist(const QString &themeName, const QString &extraLines = {});
// The eleven entries of a complete package.
QList<ZipEntry> themeEntries(const QString &themeName, const QString &passPhrase = {});

} // namespace ZipBuilder
