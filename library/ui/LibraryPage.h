#pragma once

#include <QPixmap>
#include <QWidget>

class LibraryController;
class TSortGrid;
struct TGridDrawState;

// The library page p_1: the record grid, drawn entirely here, and the two
// delete buttons. Its rules live in LibraryController; after every load the
// page shows the record count as the grid's hint and the list at its top.
class LibraryPage final : public QWidget
{
    Q_OBJECT

public:
    LibraryPage(QWidget *parent, LibraryController &controller);

    TSortGrid *grid() const { return m_grid; }

    // The first display's part after the load: the grid's header row
    // height, first column widths and hint.
    void setUpGrid();
    // The window's resize rule for the path column.
    void FormResize();

    void StringGrid1DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state);

signals:
    void deleteRequested();  // Button5
    void cleanUpRequested(); // Button6
    void reloadRequested();  // tbb_ViewAll

private:
    void afterReload();

    LibraryController &m_controller;
    TSortGrid *m_grid = nullptr;
    QPixmap m_active;
    QPixmap m_inactive;
    QPixmap m_sortGlyph;
    QPixmap m_invalid;
    QPixmap m_invalidSelected;
};
