#include "ThemeListDelegate.h"

#include "platform/ui/IconImages.h"
#include "platform/ui/ListColours.h"
#include "themes/ThemeFolders.h"

#include <QFileInfo>
#include <QPainter>

ThemeListDelegate::ThemeListDelegate(const ThemeFolders &folders, QObject *parent)
    : QStyledItemDelegate(parent), m_folders(folders)
{}

QSize ThemeListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 74);
}

void ThemeListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QRect rect = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor background = ListColours::background(index.row(), selected);
    painter->fillRect(rect, background);

    const QString name = index.data().toString();
    // A folder gone since the scan shows its background only.
    if (!QFileInfo(m_folders.themeFolder(name)).isDir())
        return;
    // Icons are read from disk at every paint, so a changed file shows at once.
    for (int n = 1; n <= 10; ++n) {
        const QPixmap pixmap = IconImages::load(m_folders.iconFile(name, n), QSize(50, 50));
        if (!pixmap.isNull())
            painter->drawPixmap(rect.left() + 58 * n - 48, rect.top() + 4, pixmap);
    }
    QFont font = option.font;
    font.setBold(true);
    painter->setFont(font);
    painter->setPen(Qt::black);
    const QFontMetrics metrics(font);
    painter->drawText(QPoint(rect.left() + 2, rect.bottom() + 1 - 18 + metrics.ascent()),
                      ThemeFolders::displayName(name));
}
