#include "IconImages.h"

#include "platform/FileSystem.h"

#include <QImageReader>

namespace IconImages {

QImage nearest(const QString &file, const QSize &size)
{
    if (!FileSystem::isRegularFile(file))
        return QImage();
    QImageReader reader(file, "ico");
    QImage best;
    int bestDistance = std::numeric_limits<int>::max();
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.isNull())
            break;
        const int distance = std::abs(image.width() - size.width()) + std::abs(image.height() - size.height());
        if (distance < bestDistance) {
            best = image;
            bestDistance = distance;
        }
    }
    return best;
}

QPixmap load(const QString &file, const QSize &size)
{
    QImage best = nearest(file, size);
    if (best.isNull())
        return QPixmap();
    if (best.size() != size)
        best = best.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(best);
}

} // namespace IconImages
