#pragma once

#include <QPixmap>
#include <QString>

// Icon files drawn at a given size: the file's image nearest that size,
// scaled to it. A file that is not an icon gives a null pixmap.
namespace IconImages {

QPixmap load(const QString &file, const QSize &size);

} // namespace IconImages
