#pragma once

#include "BadgeRecordStore.h"
#include "SortGridModel.h"

#include <QObject>
#include <QStringList>

class Prompt;

// The rules of the library page: loading the records into the grid, the two
// deletions with their confirmations, the page's sort-direction rule and the
// record count hint. It owns RecordPaths, the key names of the last load.
// The page widget draws the grid, asks for what the user did and follows
// recordsLoaded.
class LibraryController final : public QObject
{
    Q_OBJECT

public:
    LibraryController(ProgramFolder folder, Prompt &prompt);

    const QStringList &RecordPaths() const { return m_recordPaths; }
    // The window's start-up creates the list and its shutdown releases it.
    void clearRecordPaths() { m_recordPaths.clear(); }

    SortGridModel &grid() { return m_grid; }
    const BadgeRecordStore &store() const { return m_store; }

    // The first load, at the window's first display: the grid is still as
    // created (one row, none fixed).
    void firstLoad();
    // tbb_ViewAllClick: empties the grid and fills it again from the store.
    void tbb_ViewAllClick();
    // One row: "!" where the path no longer exists (the store tests every
    // path at once, on every core), the badge, the path.
    void AddRecordRow(const BadgeRecord &record);
    // Button5Click runs it: deletes the records of the highlighted rows.
    void DeleteSelected1Click();
    // Removes every invalid record.
    void Button6Click();
    // The page's rule for the direction of a header click.
    void StringGrid1ClickSort(int col, int row, TSortOptions &options);

    // The record count, a blank and the translated "items".
    const QString &hint() const { return m_hint; }
    int LastSortColumn() const { return m_lastSortColumn; }

signals:
    // The grid was filled from the store again.
    void recordsLoaded();

private:
    void fill();

    BadgeRecordStore m_store;
    Prompt &m_prompt;
    QStringList m_recordPaths;
    SortGridModel m_grid{3};
    QString m_hint;
    int m_lastSortColumn = 2;
};
