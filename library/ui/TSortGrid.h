#pragma once

#include <QTableView>

#include <functional>

class SortGridModel;
class SortGridHeader;

// What the owner's cell drawing is told about a cell.
struct TGridDrawState {
    bool fixed = false;    // in the header row
    bool focused = false;  // the current cell while the grid has the focus
    bool selected = false; // in a highlighted row
};

using TDrawCellEvent = std::function<void(QPainter &, int col, int row, const QRect &rect, TGridDrawState state)>;

// A grid of text cells with a header row that sorts on a click, built on a
// table view over SortGridModel. Rows have one height, so 100 000 rows
// scroll and paint only what is visible. The owner draws every cell.
class TSortGrid final : public QTableView
{
public:
    explicit TSortGrid(QWidget *parent);

    void setGridModel(SortGridModel *model);
    SortGridModel *gridModel() const { return m_model; }

    TDrawCellEvent OnDrawCell;

    // Column widths without the 1-pixel grid line that follows each column.
    int ColWidths(int col) const;
    void setColWidths(int col, int width);
    int DefaultColWidth() const { return 40; }
    void setHeaderHeight(int height);
    void setDefaultRowHeight(int height);
    // The rectangle of a cell, without its grid line; row 0 is the header.
    QRect CellRect(int col, int row) const;

    // A release of any button on the header (the right one sorts descending)
    // sorts when the grid has the focus, sorting on
    // click is on, the press was not on a column border, there is a fixed
    // row, no Shift, Ctrl or Alt is held, and it lands on an existing column.
    void headerReleased(const QPoint &pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                        bool pressedOnBorder);

protected:
    // Only the left button highlights rows; the others only give the focus.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Ctrl with an arrow, Home or End highlights the row it moves to, as the
    // plain key does, so the highlighted rows stay the rows Delete removes.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index, const QEvent *event) const override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class SortGridDelegate;
    friend class SortGridHeader;

    SortGridModel *m_model = nullptr;
    SortGridHeader *m_header = nullptr;
};
