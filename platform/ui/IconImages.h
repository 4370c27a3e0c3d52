#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// Icon (.ico) files drawn at a given size, as the Windows icon loader does:
// of the file's images, the one nearest that size. Only regular files are
// read; anything else, or a file that is no icon, gives a null image.
namespace IconImages {

// The image nearest size, at its own size.
QImage nearest(const QString &file, const QSize &size);
// The image nearest size, scaled to it.
QPixmap load(const QString &file, const QSize &size);

} // namespace IconImages
