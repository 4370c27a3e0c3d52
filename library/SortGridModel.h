#pragma once

#include "SortTypes.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QStringList>

// The cells of a sortable grid and its sorting. Rows are numbered as the
// grid shows them: row 0 is the header row, data rows follow; a view sees
// the header row as its horizontal header and data row r as its row r - 1.
//
// The view highlights, and the delete operation reads, one set of rows: the
// selection model's. What a user sees highlighted is what gets deleted.
class SortGridModel final : public QAbstractTableModel
{
public:
    explicit SortGridModel(int columns, QObject *parent = nullptr);

    // The grid's own settings.
    bool SortOnClick = true;
    bool CaseSensitive = false;
    TClickSortEvent OnClickSort;
    TBeginSortEvent OnBeginSort;
    TEndSortEvent OnEndSort;

    int ColCount() const { return m_columns; }
    int RowCount() const { return int(m_rows.size()); }
    // At least 1: the header row stays.
    void setRowCount(int rows);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString &text);
    // Appends a data row holding texts.
    void appendRow(const QStringList &texts);
    // Appends made between beginBatch and endBatch reach the view as one reset.
    void beginBatch();
    void endBatch();

    int SortColumn() const { return m_sortColumn; }
    TSortDirection SortDirection() const { return m_sortDirection; }
    void SortOnColumn(int col, TSortOptions options);
    TSortKind DetectSortKind(int col) const;
    // Under the options of the running sort (or of the last one).
    int CompareSortEntries(const TSortedListEntry &a, const TSortedListEntry &b) const;
    // A click on a header cell: builds the options, lets OnClickSort change
    // them, sorts.
    void ClickSort(int col, int row, bool rightButton);

    // The current row (0 when there is none) and the selected rows, in grid
    // numbering.
    QItemSelectionModel *selection() { return &m_selection; }
    int Row() const;
    void setRow(int row, int col = 0);
    bool IsRowSelected(int row) const;

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    int m_columns;
    int m_fixedRows = 0;
    QList<QStringList> m_rows;
    int m_batchDepth = 0;
    int m_sortColumn = 1;
    TSortDirection m_sortDirection = TSortDirection::sdAscending;
    TSortOptions m_runningOptions;
    QItemSelectionModel m_selection;
};
