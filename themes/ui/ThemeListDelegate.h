#pragma once

#include <QStyledItemDelegate>

class ThemeFolders;

// Draws one theme row: 74 pixels high, the theme's ten icons at 50 x 50,
// its name in bold below them.
class ThemeListDelegate final : public QStyledItemDelegate
{
public:
    ThemeListDelegate(const ThemeFolders &folders, QObject *parent);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const ThemeFolders &m_folders;
};
