#pragma once

#include "BadgeRecordStore.h"
#include "SortGridModel.h"

#include <QStringList>

class Prompt;

// The rules of the library page: loading the records into the grid, the two
// deletions with their confirmations, the page's sort-direction rule and the
// record count hint. The page widget draws the grid and forwards its events.
class LibraryController final
{
public:
    LibraryController(ProgramFolder folder, Prompt &prompt, QStringList &recordPaths);

    SortGridModel &grid() { return m_grid; }
    const BadgeRecordStore &store() const { return m_store; }

    // The first load, at the window's first display: the grid is still as
    // created (one row, none fixed).
    void firstLoad();
    // tbb_ViewAllClick: empties the grid and fills it again from the store.
    void tbb_ViewAllClick();
    void AddRecordRow(const QString &path, const QString &badge);
    // Button5Click runs it: deletes the records of the highlighted rows.
    void DeleteSelected1Click();
    // Removes every invalid record.
    void Button6Click();
    // The page's rule for the direction of a header click.
    void StringGrid1ClickSort(int col, int row, TSortOptions &options);

    // The record count, a blank and the translated "items".
    const QString &hint() const { return m_hint; }
    int LastSortColumn() const { return m_lastSortColumn; }

private:
    void fill();

    BadgeRecordStore m_store;
    Prompt &m_prompt;
    QStringList &m_recordPaths;
    SortGridModel m_grid{3};
    QString m_hint;
    int m_lastSortColumn = 2;
};
