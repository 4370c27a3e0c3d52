#include "LibraryController.h"

#include "i18n/LanguageSupport.h"
#include "platform/Prompt.h"

LibraryController::LibraryController(ProgramFolder folder, Prompt &prompt)
    : m_store(std::move(folder)), m_prompt(prompt)
{
    m_grid.OnClickSort = [this](int col, int row, TSortOptions &options) { StringGrid1ClickSort(col, row, options); };
}

void LibraryController::firstLoad()
{
    fill();
}

void LibraryController::tbb_ViewAllClick()
{
    m_grid.setFixedRows(0);
    m_grid.setRowCount(1);
    m_grid.setRow(0);
    fill();
}

void LibraryController::fill()
{
    const QList<BadgeRecord> records = m_store.load(m_recordPaths);
    m_grid.beginBatch();
    for (const BadgeRecord &record : records)
        AddRecordRow(record);
    m_grid.endBatch();
    if (m_grid.RowCount() > 1) {
        m_grid.setFixedRows(1);
        m_grid.setRow(1);
    }
    m_grid.setCells(0, 0, QString());
    m_grid.setCells(1, 0, Translate(QStringLiteral("Badge")));
    m_grid.setCells(2, 0, Translate(QStringLiteral("Location")));
    m_hint = QString::number(records.size()) + u' ' + Translate(QStringLiteral("items"));
    emit recordsLoaded();
}

void LibraryController::AddRecordRow(const BadgeRecord &record)
{
    m_grid.appendRow({record.valid ? QString() : QStringLiteral("!"), record.badge, record.path});
}

void LibraryController::DeleteSelected1Click()
{
    QStringList paths;
    for (int row = 1; row < m_grid.RowCount(); ++row) {
        if (m_grid.IsRowSelected(row))
            paths.append(m_grid.Cells(2, row));
    }
    if (!m_prompt.confirm(Translate(QStringLiteral("Accept ?")),
                          Translate(QStringLiteral("Remove all selected records ?"))))
        return;
    m_store.deleteRecords(paths);
    tbb_ViewAllClick();
}

void LibraryController::Button6Click()
{
    if (!m_prompt.confirm(Translate(QStringLiteral("Accept ?")),
                          Translate(QStringLiteral("Remove all invalid records ?"))))
        return;
    m_store.removeInvalid(m_recordPaths);
    tbb_ViewAllClick();
}

void LibraryController::StringGrid1ClickSort(int col, int, TSortOptions &options)
{
    if (col == m_lastSortColumn)
        options.direction = options.direction == TSortDirection::sdAscending ? TSortDirection::sdDescending
                                                                             : TSortDirection::sdAscending;
    m_lastSortColumn = col;
}
