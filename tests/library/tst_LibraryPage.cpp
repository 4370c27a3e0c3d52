#include "ScriptedPrompt.h"
#include "TestFolder.h"

#include "i18n/LanguageSupport.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "library/ui/TSortGrid.h"

#include <QDir>
#include <QHeaderView>
#include <QImageWriter>
#include <QPainter>
#include <QPushButton>
#include <QTest>

// The library page rendered offscreen: row colours, the highlight, the
// invalid mark, the badge icon, the header bitmaps, and the mouse rules of
// header clicks and highlighted rows.
class TestLibraryPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void drawsRowsMarksAndIcons();
    void drawsHeaderBitmaps();
    void headerClickConditions();
    void highlightedRowsAreTheDeletedRows();

private:
    // Record n has badge n; firstBadge, when given, is record 1's instead.
    void makePage(int records, const QString &firstBadge = QString());
    QImage render();
    QPoint headerPoint(int col) const;

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<LanguageSupport::TranslatorScope> m_translation;
    ScriptedPrompt m_prompt;
    std::unique_ptr<LibraryController> m_controller;
    std::unique_ptr<QWidget> m_window;
    LibraryPage *m_page = nullptr;
    TSortGrid *m_grid = nullptr;
};

void TestLibraryPage::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_prompt = ScriptedPrompt();
    m_translation = std::make_unique<LanguageSupport::TranslatorScope>(m_folder->folder());
}

void TestLibraryPage::cleanup()
{
    m_window.reset();
    m_controller.reset();
}

// Records: odd ones exist, even ones do not; badge n for record n.
void TestLibraryPage::makePage(int records, const QString &firstBadge)
{
    QImage badge(32, 32, QImage::Format_ARGB32);
    badge.fill(QColor(255, 0, 0));
    QDir().mkpath(m_folder->path("icons"));
    QVERIFY(QImageWriter(m_folder->path("icons/3.ico"), "ico").write(badge));
    m_folder->write("icons/4.ico", "not an icon");
    QString text = QStringLiteral("[Files]\n");
    for (int n = 1; n <= records; ++n) {
        const QString path = m_folder->path(QStringLiteral("marked/record %1").arg(n));
        if (n % 2)
            m_folder->write(QStringLiteral("marked/record %1").arg(n), "x");
        text += path + u'=' + (n == 1 && !firstBadge.isEmpty() ? firstBadge : QString::number(n)) + u'\n';
    }
    m_folder->write("base.ini", text.toUtf8());

    m_controller = std::make_unique<LibraryController>(m_folder->folder(), m_prompt);
    m_window = std::make_unique<QWidget>();
    m_window->resize(591, 362);
    m_page = new LibraryPage(m_window.get(), *m_controller);
    m_page->setGeometry(0, 0, 591, 362);
    m_grid = m_page->grid();
    m_controller->firstLoad();
    m_page->setUpGrid();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_page->FormResize();
}

QImage TestLibraryPage::render()
{
    return m_grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QPoint TestLibraryPage::headerPoint(int col) const
{
    const QHeaderView *header = m_grid->horizontalHeader();
    return QPoint(header->sectionViewportPosition(col) + header->sectionSize(col) / 2, 9);
}

void TestLibraryPage::drawsRowsMarksAndIcons()
{
    // Record 1's badge names a file outside icons/, and a red icon lies there.
    QImage outside(32, 32, QImage::Format_ARGB32);
    outside.fill(QColor(255, 0, 0));
    QVERIFY(QImageWriter(m_folder->path("outside.ico"), "ico").write(outside));
    makePage(4, "../outside");
    QCOMPARE(m_grid->ColWidths(0), 42);
    QCOMPARE(m_grid->ColWidths(1), 42);
    QCOMPARE(m_grid->ColWidths(2), m_grid->width() - 42 - 42 - 32);
    m_grid->clearFocus();
    m_controller->grid().selection()->clearSelection();
    const QImage image = render();
    const auto pixel = [&](int col, int row, int dx, int dy) {
        const QRect cell = m_grid->CellRect(col, row);
        return QColor(image.pixel(cell.left() + dx, cell.top() + dy));
    };
    // Row 1 white, row 2 light blue (away from text and marks).
    QCOMPARE(pixel(2, 1, m_grid->ColWidths(2) - 3, 2), QColor(Qt::white));
    QCOMPARE(pixel(2, 2, m_grid->ColWidths(2) - 3, 2), QColor(216, 233, 254));
    // Row 2's path is missing: the grey disc of the invalid mark at (W - 14, middle - 5).
    const QRect row2 = m_grid->CellRect(0, 2);
    QCOMPARE(pixel(0, 2, 42 - 14 + 4, row2.height() / 2 - 5 + 1), QColor(102, 102, 102));
    QCOMPARE(pixel(0, 1, 42 - 14 + 4, row2.height() / 2 - 5 + 1), QColor(Qt::white));
    // Badge 3 has a red icon, drawn at 14 x 14 from (left + (42 - 14) / 2, top + 4).
    QCOMPARE(pixel(1, 3, 14 + 7, 4 + 7), QColor(255, 0, 0));
    QCOMPARE(pixel(1, 3, 14 - 1, 4 + 7), QColor(Qt::white));
    // Badge 4's file is no icon: the cell stays empty; record 1's badge
    // leaves icons/, so its icon is never read.
    QCOMPARE(pixel(1, 4, 14 + 7, 4 + 7), QColor(216, 233, 254));
    QCOMPARE(pixel(1, 1, 14 + 7, 4 + 7), QColor(Qt::white));
    // A grey grid line after a data cell, none below it.
    QCOMPARE(pixel(0, 1, 42, 5), QColor(192, 192, 192));

    // A highlighted row is blue, its mark white.
    m_controller->grid().setRow(2);
    const QImage selected = render();
    const QRect cell = m_grid->CellRect(2, 2);
    QCOMPARE(QColor(selected.pixel(cell.right() - 3, cell.top() + 2)), QColor(0, 113, 225));
    QCOMPARE(QColor(selected.pixel(row2.left() + 42 - 14 + 1, row2.top() + row2.height() / 2 - 5 + 4)),
             QColor(Qt::white));

    // A path that vanishes gets the mark at the next paint.
    QFile::remove(m_folder->path("marked/record 1"));
    const QImage later = render();
    const QRect row1 = m_grid->CellRect(0, 1);
    QCOMPARE(QColor(later.pixel(row1.left() + 42 - 14 + 4, row1.top() + row1.height() / 2 - 5 + 1)),
             QColor(102, 102, 102));
    QCOMPARE(m_controller->grid().Cells(0, 1), ""); // the held flag waits for the next load
}

void TestLibraryPage::drawsHeaderBitmaps()
{
    makePage(3);
    const QImage image = render();
    const QRect badge = m_grid->CellRect(1, 0);
    const QRect location = m_grid->CellRect(2, 0);
    QCOMPARE(badge.height(), 18);
    // "Badge" is the sort column after start-up: ACTIVE stretched over it,
    // its top row CFDEF2; the others on UNACTIVE, white at the top.
    QCOMPARE(QColor(image.pixel(badge.right() - 1, badge.top())), QColor(0xCF, 0xDE, 0xF2));
    QCOMPARE(QColor(image.pixel(location.right() - 1, location.top())), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(location.right() - 1, location.bottom())), QColor(0xB1, 0xB1, 0xB1));
    // The glyph: white at its widest row, at (left + 1, top + 2) + (1..12, 3).
    QCOMPARE(QColor(image.pixel(badge.left() + 1 + 6, badge.top() + 2 + 3)), QColor(Qt::white));
    // A black line between header cells.
    QCOMPARE(QColor(image.pixel(badge.right() + 1, badge.top() + 5)), QColor(Qt::black));
}

void TestLibraryPage::headerClickConditions()
{
    makePage(3);
    QHeaderView *header = m_grid->horizontalHeader();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    SortGridModel &grid = m_controller->grid();

    // With Shift, Ctrl or Alt held: nothing.
    for (Qt::KeyboardModifier modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, modifier, headerPoint(0));
        QCOMPARE(grid.SortColumn(), 1);
    }
    // Right of the last column: nothing, and the page's rule is not asked.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->length() + 5, 9));
    QCOMPARE(m_controller->LastSortColumn(), 2);
    // A press on a column border starts a resize, not a sort.
    const int border = header->sectionSize(0) - 1;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(border, 9));
    QCOMPARE(grid.SortColumn(), 1);
    QCOMPARE(m_controller->LastSortColumn(), 2);

    // A plain click gives the grid the focus and sorts; paths sort by text.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, headerPoint(0));
    QVERIFY(m_grid->hasFocus());
    QCOMPARE(grid.SortColumn(), 0);
    QCOMPARE(grid.SortDirection(), TSortDirection::sdAscending);
    // Valid records (empty flag) before invalid ones, each in its order.
    QCOMPARE(grid.Cells(2, 1), m_folder->path("marked/record 1"));
    QCOMPARE(grid.Cells(2, 2), m_folder->path("marked/record 3"));
    QCOMPARE(grid.Cells(2, 3), m_folder->path("marked/record 2"));

    // A middle-button release sorts ascending (only the right one descends).
    QTest::mouseClick(header->viewport(), Qt::MiddleButton, {}, headerPoint(2));
    QCOMPARE(grid.SortColumn(), 2);
    QCOMPARE(grid.SortDirection(), TSortDirection::sdAscending);

    // Without a fixed row (no records) a click sorts nothing.
    m_folder->write("base.ini", "");
    m_controller->tbb_ViewAllClick();
    QCOMPARE(grid.FixedRows(), 0);
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, headerPoint(1));
    QCOMPARE(grid.SortColumn(), 2);
}

void TestLibraryPage::highlightedRowsAreTheDeletedRows()
{
    makePage(8);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QWidget *rows = m_grid->viewport();
    const auto at = [&](int row) { return m_grid->visualRect(m_controller->grid().index(row - 1, 2)).center(); };

    QTest::mouseClick(rows, Qt::LeftButton, {}, at(2));
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ShiftModifier, at(4));   // 2..4
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ControlModifier, at(3)); // 2, 4
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ControlModifier, at(7)); // 2, 4, 7
    // What is drawn highlighted is exactly what the delete reads.
    const QImage image = render();
    QStringList highlighted;
    for (int row = 1; row <= 8; ++row) {
        const QRect cell = m_grid->CellRect(2, row);
        if (QColor(image.pixel(cell.right() - 3, cell.top() + 2)) == QColor(0, 113, 225))
            highlighted << m_controller->grid().Cells(2, row);
    }
    QCOMPARE(highlighted.size(), 3);
    m_prompt.answers = {PromptAnswer::Yes};
    m_controller->DeleteSelected1Click(); // the page follows the reload itself
    QStringList left;
    for (int row = 1; row < m_controller->grid().RowCount(); ++row)
        left << m_controller->grid().Cells(2, row);
    for (const QString &path : highlighted)
        QVERIFY(!left.contains(path));
    QCOMPARE(left.size(), 5);

    // Keyboard: Down moves the highlight, Shift+Down extends it.
    QTest::mouseClick(rows, Qt::LeftButton, {}, at(1));
    QTest::keyClick(m_grid, Qt::Key_Down);
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(m_controller->grid().selection()->selectedRows().size(), 2);
    QVERIFY(m_controller->grid().IsRowSelected(2));
    QVERIFY(m_controller->grid().IsRowSelected(3));
    QVERIFY(!m_controller->grid().IsRowSelected(1));

    // Only the left button highlights: right and middle presses, and drags
    // with them, leave the highlighted rows as they are.
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(rows, button, {}, at(5));
        QTest::mouseMove(rows, at(6));
        QTest::mouseRelease(rows, button, {}, at(6));
        QTest::mouseDClick(rows, button, {}, at(5));
    }
    QCOMPARE(m_controller->grid().selection()->selectedRows().size(), 2);
    QVERIFY(m_controller->grid().IsRowSelected(2) && m_controller->grid().IsRowSelected(3));

    // Ctrl with an arrow, Home or End highlights where it moves, as the plain key.
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(m_controller->grid().selection()->selectedRows().size(), 1);
    QVERIFY(m_controller->grid().IsRowSelected(4));
    QTest::keyClick(m_grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(m_controller->grid().selection()->selectedRows().size(), 1);
    QVERIFY(m_controller->grid().IsRowSelected(m_controller->grid().RowCount() - 1));
}

QTEST_MAIN(TestLibraryPage)
#include "tst_LibraryPage.moc"
