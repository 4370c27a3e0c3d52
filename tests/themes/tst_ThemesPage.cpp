#include "ThemesFixture.h"
#include "ZipBuilder.h"

#include "i18n/LanguageSupport.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QListView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QToolButton>

// The themes page rendered offscreen: icon slots, names, row colours, the
// description memo and the splitter's collapse button.
class TestThemesPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void drawsIconSlotsNamesAndRowColours();
    void memoShowsBreaksAsTheLayoutDoes();
    void splitterCollapsesAndRestoresTheDetails();
    void manyThemesScrollOnlyVertically();

private:
    std::unique_ptr<ThemesFixture> m_fx;
    std::unique_ptr<QWidget> m_window;
    ThemesPage *m_page = nullptr;
};

void TestThemesPage::init()
{
    m_fx = std::make_unique<ThemesFixture>();
    m_window = std::make_unique<QWidget>();
    m_window->resize(800, 400);
    m_page = new ThemesPage(m_window.get(), m_fx->themes);
    m_page->setGeometry(0, 0, 800, 400);
}

void TestThemesPage::drawsIconSlotsNamesAndRowColours()
{
    // Only 3.ico, red: one icon at x = 126, every other slot empty.
    m_fx->folder.write("themes/Blue.Glass/3.ico", ZipBuilder::icon(QColor(255, 0, 0)));
    QDir().mkpath(m_fx->folder.path("themes/Second"));
    QDir().mkpath(m_fx->folder.path("themes/Third"));
    m_fx->themes.RefreshThemeList();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_page->fillListPanel();
    QListView *list = m_page->themeList();
    const int rowOf = int(m_fx->themes.list().stringList().indexOf("Blue.Glass"));
    const QRect row = list->visualRect(m_fx->themes.list().index(rowOf));
    QCOMPARE(row.height(), 74);
    QImage image = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor background = rowOf % 2 ? QColor(216, 233, 254) : QColor(Qt::white);
    QCOMPARE(QColor(image.pixel(126 + 25, row.top() + 4 + 25)), QColor(255, 0, 0));
    QCOMPARE(QColor(image.pixel(126 - 2, row.top() + 4 + 25)), background);
    QCOMPARE(QColor(image.pixel(10 + 25, row.top() + 4 + 25)), background); // slot 1 empty
    // The name "Blue" (extension cut) in black along y = bottom - 18.
    bool black = false;
    for (int x = 2; x < 60 && !black; ++x)
        for (int y = row.bottom() - 18; y < row.bottom() && !black; ++y)
            black = QColor(image.pixel(x, y)) == QColor(Qt::black);
    QVERIFY(black);
    // Rows alternate white and light blue; the selected one is blue.
    for (int r = 0; r < 3; ++r) {
        const QRect rect = list->visualRect(m_fx->themes.list().index(r));
        QCOMPARE(QColor(image.pixel(rect.right() - 2, rect.top() + 2)),
                 r % 2 ? QColor(216, 233, 254) : QColor(Qt::white));
    }
    m_fx->themes.selectTheme(1);
    image = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect selected = list->visualRect(m_fx->themes.list().index(1));
    QCOMPARE(QColor(image.pixel(selected.right() - 2, selected.top() + 2)), QColor(0, 113, 225));
}

void TestThemesPage::memoShowsBreaksAsTheLayoutDoes()
{
    m_fx->folder.write("themes/Blue/plist.ini", ZipBuilder::plist("Blue", "COPYRIGHT=Line one/nLine two\r\n"));
    m_fx->themes.RefreshThemeList();
    m_fx->themes.selectTheme(0);
    m_fx->themes.ListBox1Click();
    m_page->showInfo();
    auto *memo = m_page->findChild<QPlainTextEdit *>("th_COPYRIGHT");
    QCOMPARE(memo->toPlainText(), "Line one\n\nLine two");
}

void TestThemesPage::splitterCollapsesAndRestoresTheDetails()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_page->fillListPanel();
    QSplitter *splitter = m_page->splitter();
    QCOMPARE(splitter->sizes().value(1), 186);
    auto *button = splitter->findChild<QToolButton *>("JvNetscapeSplitter1Button");
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(splitter->sizes().value(1), 0);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(splitter->sizes().value(1), 186);
}

void TestThemesPage::manyThemesScrollOnlyVertically()
{
    for (int n = 0; n < 8; ++n)
        QDir().mkpath(m_fx->folder.path(QStringLiteral("themes/Theme %1").arg(n)));
    m_fx->themes.RefreshThemeList();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    m_page->fillListPanel();
    QListView *list = m_page->themeList();
    QTRY_VERIFY(list->verticalScrollBar()->isVisible());
    QVERIFY(!list->horizontalScrollBar()->isVisible());
}

QTEST_MAIN(TestThemesPage)
#include "tst_ThemesPage.moc"
