#include "BadgeOverlayPlugin.h"

#include "ExtensionFacts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <sys/stat.h>

namespace {

// Dolphin caches every icon it drew by its name or path, even across
// restarts: a new theme's images are reached under a new path (a link to the
// image folder named after the theme's time), so Dolphin loads them anew.
QString imagesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/" EMBLIX_DOLPHIN_EMBLEM_FOLDER);
}

QString linksFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
           + QStringLiteral("/emblix-manager/dolphin");
}

// The registration's menus are the per-user switch: without them, no badges.
bool registered()
{
    return QFileInfo::exists(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/" EMBLIX_FOLDER_NAME "/" EMBLIX_MENU_FOLDER_NAME "/" EMBLIX_BADGE_MENU_OWNER ".ini"));
}

qint64 changeTime(const QString &path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
}

} // namespace

BadgeOverlayPlugin::BadgeOverlayPlugin(QObject *parent) : KOverlayIconPlugin(parent)
{
    connect(&m_reader, &EmblemReader::badgeRead, this, &BadgeOverlayPlugin::badgeRead);
    m_imagesSettle.setSingleShot(true);
    m_imagesSettle.setInterval(EMBLIX_IMAGES_SETTLE_MS);
    connect(&m_images, &QFileSystemWatcher::directoryChanged, &m_imagesSettle, qOverload<>(&QTimer::start));
    connect(&m_imagesSettle, &QTimer::timeout, this, &BadgeOverlayPlugin::themeChanged);
    if (QFileInfo(imagesFolder()).isDir())
        m_images.addPath(imagesFolder());
    m_foldersSettle.setSingleShot(true);
    m_foldersSettle.setInterval(50);
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, [this](const QString &folder) {
        m_changedFolders.insert(folder);
        m_foldersSettle.start();
    });
    connect(&m_foldersSettle, &QTimer::timeout, this, &BadgeOverlayPlugin::foldersChanged);
    themeChanged();
}

void BadgeOverlayPlugin::foldersChanged()
{
    for (const QString &folder : std::as_const(m_changedFolders))
        m_reader.readFolder(folder);
    m_changedFolders.clear();
}

QStringList BadgeOverlayPlugin::getOverlays(const QUrl &item)
{
    if (!item.isLocalFile() || !registered())
        return {};
    if (m_images.directories().isEmpty() && QFileInfo(imagesFolder()).isDir()) {
        m_images.addPath(imagesFolder());
        themeChanged();
    }
    const QString path = item.toLocalFile();
    // Few folders are shown at once; inotify watches are the user's to share.
    const QString folder = QFileInfo(path).path();
    if (m_folders.directories().size() < 64 && !m_folders.directories().contains(folder))
        m_folders.addPath(folder);
    const qint64 changed = changeTime(path);
    const auto known = m_known.constFind(path);
    // The extension sets a file's times to themselves after its emblem
    // changed: a new change time means its badge is read again.
    if (known != m_known.cend() && known->changed == changed)
        return overlaysFor(known->badge);
    m_reader.read(path);
    return known != m_known.cend() ? overlaysFor(known->badge) : QStringList();
}

void BadgeOverlayPlugin::badgeRead(const QString &path, int badge)
{
    // A cache of every file shown stays small next to Dolphin's own.
    if (m_known.size() > 200000)
        m_known.clear();
    const auto found = m_known.constFind(path);
    // A folder's listing names files Dolphin never asked about.
    if (found == m_known.cend() && badge == 0)
        return;
    const Known before = found == m_known.cend() ? Known() : *found;
    m_known.insert(path, {changeTime(path), badge});
    if (before.badge != badge)
        emit overlaysChanged(QUrl::fromLocalFile(path), overlaysFor(badge));
}

void BadgeOverlayPlugin::themeChanged()
{
    const QFileInfo first(imagesFolder() + QStringLiteral("/" EMBLIX_EMBLEM_PREFIX "1.png"));
    const QString stamp = QString::number(first.lastModified().toMSecsSinceEpoch());
    const QString link = linksFolder() + QStringLiteral("/theme-") + stamp;
    if (link == m_imageFolder)
        return;
    QDir().mkpath(linksFolder());
    for (const QString &old :
         QDir(linksFolder()).entryList({QStringLiteral("theme-*")}, QDir::System | QDir::AllEntries))
        QFile::remove(linksFolder() + u'/' + old);
    QFile::link(imagesFolder(), link);
    m_imageFolder = link;
    for (auto it = m_known.cbegin(); it != m_known.cend(); ++it) {
        if (it.value().badge > 0)
            emit overlaysChanged(QUrl::fromLocalFile(it.key()), overlaysFor(it.value().badge));
    }
}

QStringList BadgeOverlayPlugin::overlaysFor(int badge) const
{
    if (badge <= 0)
        return {};
    return {m_imageFolder + QStringLiteral("/" EMBLIX_EMBLEM_PREFIX "%1.png").arg(badge)};
}
