#include "ToolbarSets.h"

#include "platform/AppError.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "platform/ui/IconImages.h"

const std::array<const char *, 5> ToolbarSets::kIconFiles = {"library.ico", "themes.ico", "About.ico", "Language.ico",
                                                             "options.ico"};
const std::array<int, 5> ToolbarSets::kPreviewPages = {1, 2, 4, 5, 3};

ToolbarSets::ToolbarSets(ProgramFolder folder) : m_folder(std::move(folder)) {}

QString ToolbarSets::iconFile(const QString &set, int page) const
{
    return m_folder.file(QString(QStringLiteral("toolbar/") + set + u'/' + QLatin1String(kIconFiles[page - 1])));
}

QStringList ToolbarSets::ScanToolbarSets() const
{
    return FileSystem::listFolder(m_folder.file(u"toolbar"), FileSystem::Entries::Folders);
}

QString ToolbarSets::savedSet() const
{
    try {
        return Settings::read(m_folder, Settings::kToolbarSet);
    } catch (...) {
        return QString::fromLatin1(Settings::kToolbarSet.defaultValue);
    }
}

void ToolbarSets::load(const QString &set, const std::function<void(int page, const QPixmap &icon)> &apply) const
{
    // A set name from settings.ini may only name a folder inside toolbar.
    if (!ProgramFolder::isPlainName(set))
        return;
    for (int page = 1; page <= 5; ++page) {
        const QString file = iconFile(set, page);
        if (!FileSystem::isRegularFile(file))
            continue;
        // Drawn at its own size: the image nearest 32 pixels.
        const QPixmap icon = QPixmap::fromImage(IconImages::nearest(file, QSize(32, 32)));
        if (icon.isNull())
            throw AppError(QStringLiteral("Icon image is not valid"));
        apply(page, icon);
    }
}
