#include "SortGridModel.h"

#include "SortKeys.h"

#include <algorithm>

SortGridModel::SortGridModel(int columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(columns), m_selection(this)
{
    m_rows.append(QStringList(columns));
}

void SortGridModel::setRowCount(int rows)
{
    rows = std::max(rows, 1);
    if (rows == RowCount())
        return;
    if (m_batchDepth == 0)
        beginResetModel();
    if (rows < RowCount())
        m_rows.resize(rows);
    else
        while (RowCount() < rows)
            m_rows.append(QStringList(m_columns));
    if (m_batchDepth == 0)
        endResetModel();
}

void SortGridModel::setFixedRows(int rows)
{
    m_fixedRows = std::clamp(rows, 0, 1);
}

QString SortGridModel::Cells(int col, int row) const
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_columns)
        return QString();
    return m_rows[row][col];
}

void SortGridModel::setCells(int col, int row, const QString &text)
{
    if (row < 0 || row >= RowCount() || col < 0 || col >= m_columns)
        return;
    m_rows[row][col] = text;
    if (m_batchDepth > 0)
        return;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    else
        emit dataChanged(index(row - 1, col), index(row - 1, col));
}

void SortGridModel::appendRow(const QStringList &texts)
{
    QStringList row = texts;
    row.resize(m_columns);
    if (m_batchDepth > 0) {
        m_rows.append(std::move(row));
        return;
    }
    beginInsertRows({}, RowCount() - 1, RowCount() - 1);
    m_rows.append(std::move(row));
    endInsertRows();
}

void SortGridModel::beginBatch()
{
    if (m_batchDepth++ == 0)
        beginResetModel();
}

void SortGridModel::endBatch()
{
    if (--m_batchDepth == 0)
        endResetModel();
}

TSortKind SortGridModel::DetectSortKind(int col) const
{
    QStringList texts;
    texts.reserve(RowCount());
    for (int row = 1; row < RowCount(); ++row)
        texts.append(m_rows[row].value(col));
    return SortKeys().detect(texts);
}

int SortGridModel::CompareSortEntries(const TSortedListEntry &a, const TSortedListEntry &b) const
{
    const SortKeys keys;
    return SortKeys::compare(keys.keyOf(a, m_runningOptions), keys.keyOf(b, m_runningOptions), m_runningOptions);
}

void SortGridModel::SortOnColumn(int col, TSortOptions options)
{
    // Row 0 is always the header here; fewer than two data rows: nothing to do.
    if (RowCount() < 3 || col < 0 || col >= m_columns)
        return;
    if (options.kind == TSortKind::skAuto)
        options.kind = DetectSortKind(col);
    if (OnBeginSort)
        OnBeginSort(col, options);
    m_sortDirection = options.direction;
    m_sortColumn = col;
    m_runningOptions = options;
    emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);

    // One key per data row, ordered once; two distinct rows never compare
    // equal, so the order does not depend on the sorting method.
    const SortKeys keys;
    std::vector<SortKeys::Key> entries;
    entries.reserve(RowCount() - 1);
    for (int row = 1; row < RowCount(); ++row)
        entries.push_back(keys.keyOf({m_rows[row].value(col), row}, options));
    std::stable_sort(entries.begin(), entries.end(), [&options](const SortKeys::Key &a, const SortKeys::Key &b) {
        return SortKeys::compare(a, b, options) < 0;
    });

    const int current = Row();
    const int currentCol = std::max(0, m_selection.currentIndex().column());
    int newCurrent = current;
    emit layoutAboutToBeChanged();
    QList<QStringList> sorted;
    sorted.reserve(RowCount());
    sorted.append(std::move(m_rows[0]));
    for (const SortKeys::Key &entry : entries) {
        if (entry.index == current)
            newCurrent = int(sorted.size());
        sorted.append(std::move(m_rows[entry.index]));
    }
    m_rows = std::move(sorted);
    emit layoutChanged();

    // The current row stays current at its new place; the selection
    // shrinks to it.
    if (current > 0)
        setRow(newCurrent, currentCol);
    else
        m_selection.clear();
    if (OnEndSort)
        OnEndSort(col);
}

void SortGridModel::ClickSort(int col, int row, bool rightButton)
{
    TSortOptions options;
    options.kind = TSortKind::skAuto;
    options.direction = rightButton ? TSortDirection::sdDescending : TSortDirection::sdAscending;
    options.caseSensitive = CaseSensitive;
    if (OnClickSort)
        OnClickSort(col, row, options);
    SortOnColumn(col, options);
}

int SortGridModel::Row() const
{
    const QModelIndex current = m_selection.currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void SortGridModel::setRow(int row, int col)
{
    if (row < 1 || row >= RowCount()) {
        m_selection.clear();
        return;
    }
    m_selection.setCurrentIndex(index(row - 1, col), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool SortGridModel::IsRowSelected(int row) const
{
    return row >= 1 && m_selection.isRowSelected(row - 1, {});
}

int SortGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : RowCount() - 1;
}

int SortGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant SortGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Cells(index.column(), index.row() + 1);
}

QVariant SortGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return Cells(section, 0);
}

Qt::ItemFlags SortGridModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
