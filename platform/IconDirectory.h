#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

class QIODevice;

// The directory of an icon (.ico) file, read without decoding any image.
//
// An icon file is a list of images, and nothing in the format stops it from
// listing 65 535 of them, or one PNG of 5 790 x 5 790 pixels: a theme package
// off the web is drawn at every paint, so what one icon may cost is bounded
// here, and an icon beyond these bounds is not drawn at all. The bounds are
// the format's own: a directory entry cannot state more than 256 pixels a
// side, and a 256 x 256 image of 32 bits with its mask is under 300 KB.
namespace IconDirectory {

constexpr int kMaxEntries = 64;
constexpr int kMaxSide = 256;
constexpr qint64 kMaxEntryBytes = 1024 * 1024;

struct Entry {
    QSize size; // as the image's own header states it
    qint64 offset = 0;
    qint64 length = 0;
    bool png = false;
    QByteArray raw; // the 16 bytes of its directory entry
};

enum class Verdict {
    Icon,         // entries lists every image, each within the bounds
    NotAnIcon,    // not an icon file, or one whose directory is damaged
    BeyondBounds, // an icon file, but too many images or one too large
};

struct Reading {
    Verdict verdict = Verdict::NotAnIcon;
    QList<Entry> entries;
};

// Reads the header, the directory and the first bytes of each image.
Reading read(QIODevice &device);

// Of the entries, the one nearest size (the first of equals), or -1.
qsizetype nearest(const QList<Entry> &entries, const QSize &size);

// The bytes an image reader decodes for one entry: the PNG itself, or a
// one-image icon file around the bitmap. Empty when they cannot be read.
QByteArray decodable(QIODevice &device, const Entry &entry);

} // namespace IconDirectory
