#include "library/SortGridModel.h"
#include "library/SortKeys.h"

#include <QTest>

// Sorting the grid: kind detection, stability, the index tie-break in both
// directions, the current row kept, and the click options.
class TestSortGridModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void detectSortKind_data();
    void detectSortKind();
    void sortOrder_data();
    void sortOrder();
    void fewerThanTwoDataRowsDoNotSort();
    void currentRowStaysCurrent();
    void clickSortOptionsAndEvents();
    void compareSortEntries();

private:
    static std::unique_ptr<SortGridModel> gridOf(const QStringList &column);
    static QStringList columnOf(const SortGridModel &grid, int col);
};

void TestSortGridModel::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

std::unique_ptr<SortGridModel> TestSortGridModel::gridOf(const QStringList &column)
{
    auto grid = std::make_unique<SortGridModel>(2);
    for (qsizetype i = 0; i < column.size(); ++i)
        grid->appendRow({column[i], QString::number(i)});
    grid->setFixedRows(1);
    return grid;
}

QStringList TestSortGridModel::columnOf(const SortGridModel &grid, int col)
{
    QStringList texts;
    for (int row = 1; row < grid.RowCount(); ++row)
        texts.append(grid.Cells(col, row));
    return texts;
}

// Test tables keep one row per line.
// clang-format off
void TestSortGridModel::detectSortKind_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<TSortKind>("kind");
    QTest::newRow("integers") << QStringList{"2", "10", "1"} << TSortKind::skNumber;
    QTest::newRow("fractions and signs") << QStringList{"-1.5", "+2", "3e2"} << TSortKind::skNumber;
    QTest::newRow("one text") << QStringList{"2", "ten", "1"} << TSortKind::skText;
    QTest::newRow("empty forces text") << QStringList{"2", "", "1"} << TSortKind::skText;
    QTest::newRow("thousands separator is no number") << QStringList{"1,000", "2"} << TSortKind::skText;
    QTest::newRow("dates") << QStringList{"12/31/2025", "1/2/2026", "3/4/25"} << TSortKind::skDateTime;
    QTest::newRow("dates with times") << QStringList{"12/31/2025 10:15 PM", "1/2/2026"} << TSortKind::skDateTime;
    QTest::newRow("times") << QStringList{"10:15 PM", "9:05 AM"} << TSortKind::skTime;
    QTest::newRow("paths") << QStringList{"C:\\a", "/home/b"} << TSortKind::skText;
    QTest::newRow("invalid flags") << QStringList{"", "!", ""} << TSortKind::skText;
}
// clang-format on

void TestSortGridModel::detectSortKind()
{
    QFETCH(QStringList, texts);
    QFETCH(TSortKind, kind);
    QCOMPARE(gridOf(texts)->DetectSortKind(0), kind);
}

// clang-format off
void TestSortGridModel::sortOrder_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<TSortDirection>("direction");
    QTest::addColumn<QStringList>("sorted");
    QTest::addColumn<QStringList>("previousRows"); // where each sorted row came from

    const auto asc = TSortDirection::sdAscending;
    const auto desc = TSortDirection::sdDescending;
    QTest::newRow("numbers") << QStringList{"2", "10", "1"} << asc << QStringList{"1", "2", "10"} << QStringList{"2", "0", "1"};
    QTest::newRow("one text makes text order") << QStringList{"2", "10", "x"} << asc << QStringList{"10", "2", "x"} << QStringList{"1", "0", "2"};
    QTest::newRow("empty before !") << QStringList{"!", "", "!", ""} << asc << QStringList{"", "", "!", "!"} << QStringList{"1", "3", "0", "2"};
    QTest::newRow("repeated keys ascending") << QStringList{"b", "a", "b", "a"} << asc << QStringList{"a", "a", "b", "b"} << QStringList{"1", "3", "0", "2"};
    // Ties keep their order in both directions: not the mirror image.
    QTest::newRow("repeated keys descending") << QStringList{"b", "a", "b", "a"} << desc << QStringList{"b", "b", "a", "a"} << QStringList{"0", "2", "1", "3"};
    QTest::newRow("case-insensitive") << QStringList{"b", "A", "a", "B"} << asc << QStringList{"A", "a", "b", "B"} << QStringList{"1", "2", "0", "3"};
    QTest::newRow("dates") << QStringList{"12/31/2025", "1/2/2026", "3/4/2025"} << asc << QStringList{"3/4/2025", "12/31/2025", "1/2/2026"} << QStringList{"2", "0", "1"};
    QTest::newRow("times") << QStringList{"10:15 PM", "9:05 AM", "11:00 AM"} << desc << QStringList{"10:15 PM", "11:00 AM", "9:05 AM"} << QStringList{"0", "2", "1"};
    QTest::newRow("equal numbers keep order") << QStringList{"1.0", "1", "01"} << desc << QStringList{"1.0", "1", "01"} << QStringList{"0", "1", "2"};
}
// clang-format on

void TestSortGridModel::sortOrder()
{
    QFETCH(QStringList, texts);
    QFETCH(TSortDirection, direction);
    QFETCH(QStringList, sorted);
    QFETCH(QStringList, previousRows);
    auto grid = gridOf(texts);
    TSortOptions options;
    options.direction = direction;
    grid->SortOnColumn(0, options);
    QCOMPARE(columnOf(*grid, 0), sorted);
    QCOMPARE(columnOf(*grid, 1), previousRows); // whole rows moved
    QCOMPARE(grid->SortColumn(), 0);
    QCOMPARE(grid->SortDirection(), direction);
}

void TestSortGridModel::fewerThanTwoDataRowsDoNotSort()
{
    auto grid = gridOf({"b"});
    QCOMPARE(grid->SortColumn(), 1);
    TSortOptions options;
    options.direction = TSortDirection::sdDescending;
    grid->SortOnColumn(0, options);
    QCOMPARE(grid->SortColumn(), 1);
    QCOMPARE(grid->SortDirection(), TSortDirection::sdAscending);
}

void TestSortGridModel::currentRowStaysCurrent()
{
    auto grid = gridOf({"c", "a", "b"});
    grid->setRow(1, 1); // "c"
    grid->selection()->select(grid->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid->SortOnColumn(0, TSortOptions{});
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(grid->Cells(0, grid->Row()), "c");
    QCOMPARE(grid->selection()->currentIndex().column(), 1);
    // The selection shrinks to the current row.
    QCOMPARE(grid->selection()->selectedRows().size(), 1);
    QVERIFY(grid->IsRowSelected(3));
}

void TestSortGridModel::clickSortOptionsAndEvents()
{
    auto grid = gridOf({"b", "a", "c"});
    QStringList calls;
    grid->OnClickSort = [&](int col, int row, TSortOptions &options) {
        calls << QStringLiteral("click %1 %2 %3")
                     .arg(col)
                     .arg(row)
                     .arg(options.direction == TSortDirection::sdAscending ? "asc" : "desc");
        QCOMPARE(options.kind, TSortKind::skAuto);
        QCOMPARE(options.caseSensitive, false);
    };
    grid->OnBeginSort = [&](int col, TSortOptions &options) {
        calls << QStringLiteral("begin %1 kind %2").arg(col).arg(int(options.kind));
    };
    grid->OnEndSort = [&](int col) { calls << QStringLiteral("end %1").arg(col); };
    grid->ClickSort(0, 0, true);
    QCOMPARE(calls,
             (QStringList{"click 0 0 desc", QStringLiteral("begin 0 kind %1").arg(int(TSortKind::skText)), "end 0"}));
    QCOMPARE(columnOf(*grid, 0), (QStringList{"c", "b", "a"}));
}

void TestSortGridModel::compareSortEntries()
{
    auto grid = gridOf({"x", "y"});
    TSortOptions options;
    options.kind = TSortKind::skNumber;
    grid->SortOnColumn(0, options); // makes these the options of the last sort
    QCOMPARE(grid->CompareSortEntries({"2", 1}, {"10", 2}), -1);
    QCOMPARE(grid->CompareSortEntries({"10", 1}, {"2", 2}), 1);
    // Equal values and failed conversions are settled by the row index.
    QCOMPARE(grid->CompareSortEntries({"5", 2}, {"5.0", 1}), 1);
    QCOMPARE(grid->CompareSortEntries({"x", 1}, {"1", 2}), -1);
}

QTEST_GUILESS_MAIN(TestSortGridModel)
#include "tst_SortGridModel.moc"
