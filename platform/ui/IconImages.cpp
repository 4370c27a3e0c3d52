#include "IconImages.h"

#include "platform/FileStamp.h"
#include "platform/FileSystem.h"
#include "platform/IconDirectory.h"

#include <QBuffer>
#include <QCache>
#include <QFile>
#include <QImageReader>

namespace {

// Images, not pixmaps: the cache outlives the application object, and a
// pixmap must not.
struct Drawn {
    FileStamp stamp;
    QImage image;
};

// Enough for every icon one window shows at a time: ten badges, a page of
// theme rows, the toolbar sets.
constexpr int kDrawnKept = 512;

QImage decode(QByteArray bytes, const IconDirectory::Entry &entry)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, entry.png ? "png" : "ico");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

namespace IconImages {

QImage nearest(const QString &file, const QSize &size)
{
    if (!FileSystem::isRegularFile(file))
        return QImage();
    QFile icon(file);
    if (!icon.open(QIODevice::ReadOnly))
        return QImage();
    const IconDirectory::Reading directory = IconDirectory::read(icon);
    if (directory.verdict != IconDirectory::Verdict::Icon)
        return QImage();
    const qsizetype chosen = IconDirectory::nearest(directory.entries, size);
    if (chosen < 0)
        return QImage();
    const IconDirectory::Entry &entry = directory.entries[chosen];
    return decode(IconDirectory::decodable(icon, entry), entry);
}

QPixmap load(const QString &file, const QSize &size)
{
    static QCache<QString, Drawn> drawn(kDrawnKept);
    const QString key = file + u'\n' + QString::number(size.width()) + u'x' + QString::number(size.height());
    const FileStamp stamp = FileStamp::of(file);
    if (const Drawn *kept = drawn.object(key); kept && kept->stamp == stamp)
        return kept->image.isNull() ? QPixmap() : QPixmap::fromImage(kept->image);
    QImage best = nearest(file, size);
    if (!best.isNull() && best.size() != size)
        best = best.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    drawn.insert(key, new Drawn{stamp, best});
    return best.isNull() ? QPixmap() : QPixmap::fromImage(best);
}

} // namespace IconImages
