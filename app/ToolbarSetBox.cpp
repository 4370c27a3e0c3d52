#include "ToolbarSetBox.h"

#include "ToolbarSets.h"
#include "platform/ui/IconImages.h"
#include "platform/ui/SystemColours.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

class ToolbarSetDelegate final : public QStyledItemDelegate
{
public:
    ToolbarSetDelegate(const ToolbarSetBox *box, QObject *parent) : QStyledItemDelegate(parent), m_box(box) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), ToolbarSetBox::kRowHeight);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_box->cbTBThemesDrawItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }

private:
    const ToolbarSetBox *m_box;
};

} // namespace

ToolbarSetBox::ToolbarSetBox(const ToolbarSets &sets, QWidget *parent) : QComboBox(parent), m_sets(sets)
{
    setObjectName(QStringLiteral("cbTBThemes"));
    setItemDelegate(new ToolbarSetDelegate(this, this));
    setMinimumHeight(kRowHeight + 4);
}

void ToolbarSetBox::cbTBThemesDrawItem(QPainter &painter, int row, const QRect &rect, bool selected) const
{
    painter.save();
    painter.fillRect(rect, selected ? SystemColours::highlight() : SystemColours::window());
    const QString name = itemText(row);
    const int xs[5] = {6, 40, 74, 108, 142};
    // Read from disk at every paint, so a changed set shows at once.
    for (int i = 0; i < 5; ++i) {
        const QString file = m_sets.iconFile(name, ToolbarSets::kPreviewPages[i]);
        if (!ProgramFolder::isPlainName(name))
            continue;
        const QImage icon = IconImages::nearest(file, QSize(32, 32));
        if (!icon.isNull())
            painter.drawImage(QPoint(xs[i], rect.top() + 4), icon);
    }
    const QFontMetrics metrics(font());
    painter.setFont(font());
    painter.setPen(selected ? SystemColours::captionText() : SystemColours::buttonText());
    const int top = rect.bottom() + 1 - metrics.height() - 24;
    painter.drawText(QPoint(184, top + metrics.ascent()), name);
    painter.restore();
}

void ToolbarSetBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0) {
        painter.setClipRect(field);
        cbTBThemesDrawItem(painter, currentIndex(), QRect(0, field.top(), field.right(), field.height()), hasFocus());
    }
}
