#include "TSortGrid.h"

#include "library/SortGridModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int kGridLine = 1;
const QColor kDataLine(192, 192, 192);
const QColor kFixedLine(0, 0, 0);

} // namespace

// The header row of the grid: its cells are drawn by the grid's owner.
class SortGridHeader final : public QHeaderView
{
public:
    explicit SortGridHeader(TSortGrid *grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid)
    {
        setSectionsClickable(false);
        setSectionsMovable(false);
        setHighlightSections(false);
        setSectionResizeMode(QHeaderView::Interactive);
        setMinimumSectionSize(1);
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        const QRect cell = rect.adjusted(0, 0, -kGridLine, 0);
        painter->save();
        if (m_grid->OnDrawCell) {
            m_grid->OnDrawCell(*painter, logicalIndex, 0, cell, TGridDrawState{true, false, false});
        } else {
            painter->fillRect(cell, palette().button());
            painter->drawText(cell.adjusted(2, 0, 0, 0), Qt::AlignVCenter, m_grid->m_model->Cells(logicalIndex, 0));
        }
        painter->restore();
        painter->fillRect(QRect(rect.right(), rect.top(), kGridLine, rect.height()), kFixedLine);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        m_grid->setFocus(Qt::MouseFocusReason);
        m_pressedOnBorder = onBorder(event->position().toPoint().x());
        QHeaderView::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QHeaderView::mouseReleaseEvent(event);
        m_grid->headerReleased(event->position().toPoint(), event->button(), event->modifiers(), m_pressedOnBorder);
        m_pressedOnBorder = false;
    }

private:
    // As the header itself decides whether a press starts a column resize.
    bool onBorder(int x) const
    {
        const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
        for (int visual = 0; visual < count(); ++visual) {
            const int logical = logicalIndex(visual);
            const int right = sectionViewportPosition(logical) + sectionSize(logical);
            if (std::abs(x - right) <= grip)
                return true;
        }
        return false;
    }

    TSortGrid *m_grid;
    bool m_pressedOnBorder = false;
};

// Hands every data cell to the grid owner's drawing, then draws the grid
// line after it.
class SortGridDelegate final : public QStyledItemDelegate
{
public:
    explicit SortGridDelegate(TSortGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect cell = option.rect.adjusted(0, 0, -kGridLine, 0);
        const int row = index.row() + 1;
        TGridDrawState state;
        state.selected = m_grid->m_model->IsRowSelected(row);
        state.focused = m_grid->hasFocus() && m_grid->currentIndex() == index;
        painter->save();
        painter->setClipRect(cell);
        if (m_grid->OnDrawCell)
            m_grid->OnDrawCell(*painter, index.column(), row, cell, state);
        painter->restore();
        painter->fillRect(QRect(option.rect.right(), option.rect.top(), kGridLine, option.rect.height()), kDataLine);
    }

private:
    TSortGrid *m_grid;
};

TSortGrid::TSortGrid(QWidget *parent) : QTableView(parent)
{
    m_header = new SortGridHeader(this);
    setHorizontalHeader(m_header);
    setItemDelegate(new SortGridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setDefaultRowHeight(22);
    m_header->setDefaultSectionSize(DefaultColWidth() + kGridLine);
}

void TSortGrid::setGridModel(SortGridModel *model)
{
    m_model = model;
    setModel(model);
    setSelectionModel(model->selection());
}

int TSortGrid::ColWidths(int col) const
{
    return m_header->sectionSize(col) - kGridLine;
}

void TSortGrid::setColWidths(int col, int width)
{
    m_header->resizeSection(col, std::max(0, width) + kGridLine);
}

void TSortGrid::setHeaderHeight(int height)
{
    m_header->setFixedHeight(height);
}

void TSortGrid::setDefaultRowHeight(int height)
{
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

QRect TSortGrid::CellRect(int col, int row) const
{
    const int x = m_header->sectionViewportPosition(col) + viewport()->x();
    const int width = ColWidths(col);
    if (row == 0)
        return QRect(x, m_header->y(), width, m_header->height());
    const QRect visual = visualRect(m_model->index(row - 1, col));
    return QRect(visual.x() + viewport()->x(), visual.y() + viewport()->y(), width, visual.height());
}

void TSortGrid::headerReleased(const QPoint &pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               bool pressedOnBorder)
{
    if (!m_model || !hasFocus() || !m_model->SortOnClick || pressedOnBorder || m_model->FixedRows() < 1)
        return;
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    const int col = m_header->logicalIndexAt(pos.x());
    if (col < 0 || pos.y() < 0 || pos.y() >= m_header->height())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_model->ClickSort(col, 0, button == Qt::RightButton);
    QApplication::restoreOverrideCursor();
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void TSortGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void TSortGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        QTableView::mouseMoveEvent(event);
}

void TSortGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        QTableView::mouseDoubleClickEvent(event);
    else
        event->accept();
}

QItemSelectionModel::SelectionFlags TSortGrid::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    if (event && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (modifiers == Qt::ControlModifier)
                return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
            break;
        default:
            break;
        }
    }
    return QTableView::selectionCommand(index, event);
}

void TSortGrid::focusInEvent(QFocusEvent *event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void TSortGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void TSortGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        scrollTo(current);
}
