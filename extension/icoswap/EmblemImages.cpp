#include "EmblemImages.h"

#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/ui/IconImages.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <utime.h>

namespace {

void touch(const QString &path)
{
    ::utime(QFile::encodeName(path).constData(), nullptr);
}

} // namespace

namespace EmblemImages {

int write(const ProgramFolder &folder)
{
    int written = 0;
    for (int badge = 1; badge <= 10; ++badge) {
        const QString icon = folder.file(QStringLiteral("icons/%1.ico").arg(badge));
        for (const int size : UserFolders::kEmblemSizes) {
            const QString target =
                UserFolders::emblemFolder(size) + u'/' + UserFolders::emblemName(badge) + QStringLiteral(".png");
            QImage image = IconImages::nearest(icon, QSize(size, size));
            if (image.isNull()) {
                UserFiles::removeFile(target, UserFolders::dataHome());
                continue;
            }
            if (image.size() != QSize(size, size))
                image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            UserFiles::write(target, png);
            ++written;
        }
    }
    return written;
}

void announceChange()
{
    const QString theme = UserFolders::iconTheme();
    for (const int size : UserFolders::kEmblemSizes) {
        touch(UserFolders::emblemFolder(size));
        touch(QFileInfo(UserFolders::emblemFolder(size)).path());
    }
    touch(theme);
    const QString cache = theme + QStringLiteral("/icon-theme.cache");
    const QString updater = QStandardPaths::findExecutable(QStringLiteral("gtk-update-icon-cache"));
    if (QFileInfo::exists(cache) && !updater.isEmpty())
        QProcess::execute(updater, {QStringLiteral("--force"), QStringLiteral("--ignore-theme-index"),
                                    QStringLiteral("--quiet"), theme});
}

} // namespace EmblemImages
