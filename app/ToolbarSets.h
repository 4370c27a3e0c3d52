#pragma once

#include "platform/ProgramFolder.h"

#include <QPixmap>
#include <QStringList>

#include <array>
#include <functional>

// Navigation icon sets: folders toolbar/<set>/ holding up to five icons, one
// per page. The set named "Default" (exactly) loads nothing.
class ToolbarSets final
{
public:
    explicit ToolbarSets(ProgramFolder folder);

    // The icon file of each page, in page order.
    static const std::array<const char *, 5> kIconFiles;
    // The preview order of the set list: the tiles' order on screen.
    static const std::array<int, 5> kPreviewPages;

    QString iconFile(const QString &set, int page) const;

    // The folders of toolbar (links to folders included), in listing order;
    // anything else is passed over.
    QStringList ScanToolbarSets() const;
    // [Toolbar] Name, "Pastel" when missing or unreadable.
    QString savedSet() const;

    // Hands each icon of a set to `apply`, in page order, the image nearest
    // 32 x 32; a file that is missing or no regular file is passed over. Raises "Icon image is not valid" at the first
    // file that is no icon, after the icons before it were applied.
    void load(const QString &set, const std::function<void(int page, const QPixmap &icon)> &apply) const;

private:
    ProgramFolder m_folder;
};
