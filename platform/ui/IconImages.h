#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// Icon (.ico) files drawn at a given size, as the Windows icon loader does:
// of the file's images, the one nearest that size. Only that image is
// decoded, and only in an icon within IconDirectory's bounds; anything else
// (not a regular file, no icon, an icon beyond the bounds) gives a null
// image, so no file can make a paint slow.
namespace IconImages {

// The image nearest size, at its own size.
QImage nearest(const QString &file, const QSize &size);
// The image nearest size, scaled to it. Kept while the file's stamp stays
// the same, so repaints cost a stat and a file changed on disk shows at the
// next paint.
QPixmap load(const QString &file, const QSize &size);

} // namespace IconImages
