#include "ThemeInstaller.h"

#include "platform/AppError.h"
#include "platform/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

namespace {

void writeWhole(const QString &file, const QByteArray &bytes)
{
    QString reason;
    if (!WholeFile::write(file, bytes, &reason))
        throw AppError::cannotCreate(file, reason);
}

// Whatever stands in an icon's place and is no file (a folder, a pipe) is
// not the icon's to replace.
void writeIcons(const QList<QByteArray> &icons, const std::function<QString(int)> &fileOf)
{
    for (int n = 1; n <= 10; ++n) {
        const QString file = fileOf(n);
        const QFileInfo existing(file);
        if (!existing.exists() || existing.isFile())
            WholeFile::write(file, icons[n - 1]);
    }
}

} // namespace

ThemeInstaller::ThemeInstaller(ThemeFolders folders) : m_folders(std::move(folders)) {}

void ThemeInstaller::install(const ThemePackage &package) const
{
    const QString themes = m_folders.themesFolder();
    if (!QDir().mkpath(themes))
        throw AppError::cannotCreate(themes, QStringLiteral("The folder cannot be created."));
    const QString target = m_folders.themeFolder(package.name);
    const QFileInfo existing(target);

    if (existing.exists() && !existing.isDir())
        throw AppError::cannotCreate(target, QStringLiteral("A file of that name is in the way."));
    if (existing.isDir()) {
        writeIcons(package.icons, [&](int n) { return target + QStringLiteral("/%1.ico").arg(n); });
        writeWhole(target + QStringLiteral("/plist.ini"), package.plist);
        return;
    }

    // Written under a hidden temporary name inside themes, then renamed.
    QTemporaryDir staging(themes + QStringLiteral("/.~install-XXXXXX"));
    if (!staging.isValid())
        throw AppError::cannotCreate(themes, staging.errorString());
    writeIcons(package.icons, [&](int n) { return staging.filePath(QStringLiteral("%1.ico").arg(n)); });
    writeWhole(staging.filePath(QStringLiteral("plist.ini")), package.plist);
    QFile::setPermissions(staging.path(), QFile::permissions(staging.path()) | QFileDevice::ReadGroup
                                              | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (!QDir().rename(staging.path(), target))
        throw AppError::cannotCreate(target, QStringLiteral("The theme folder cannot be created."));
    staging.setAutoRemove(false);
}
