#pragma once

#include <QPixmap>
#include <QWidget>

class LibraryController;
class QPushButton;
class TSortGrid;
struct TGridDrawState;

// The library page p_1: the record grid, drawn entirely here, and the two
// delete buttons. Its rules live in LibraryController.
class LibraryPage final : public QWidget
{
public:
    LibraryPage(QWidget *parent, LibraryController &controller);

    TSortGrid *grid() const { return m_grid; }
    QPushButton *deleteButton() const { return m_deleteButton; }
    QPushButton *cleanUpButton() const { return m_cleanUpButton; }
    QPushButton *reloadButton() const { return m_reloadButton; }

    // The first display's two parts: the records loaded, then the grid's
    // header row height, first column widths and hint set.
    void firstLoad();
    void setUpGrid();
    // The handlers of the three buttons; each ends with the reloaded list.
    void Button5Click();
    void Button6Click();
    void tbb_ViewAllClick();
    // The window's resize rule for the path column.
    void FormResize();

    void StringGrid1DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state);

private:
    // After every load: the record count as the grid's hint, the list at its top.
    void afterReload();

    LibraryController &m_controller;
    TSortGrid *m_grid = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_cleanUpButton = nullptr;
    QPushButton *m_reloadButton = nullptr;
    QPixmap m_active;
    QPixmap m_inactive;
    QPixmap m_sortGlyph;
    QPixmap m_invalid;
    QPixmap m_invalidSelected;
};
