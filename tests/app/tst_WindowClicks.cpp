#include "WindowFixture.h"
#include "ZipBuilder.h"

#include "library/SortGridModel.h"
#include "library/ui/LibraryPage.h"
#include "library/ui/TSortGrid.h"
#include "platform/ini/TntIniFile.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

// What a user's mouse does to the main window: the handler sees what the
// click has just changed, a double-click where no row is still counts, the
// first header click after start-up sorts, links look like links.
class TestWindowClicks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void languageCreditsFollowTheClickedRow();
    void doubleClickBelowTheRowsStillCounts();
    void firstHeaderClickAfterStartSorts();
    void linksAreDrawnInTheHotTrackColour();

private:
    std::unique_ptr<WindowFixture> m_window;
};

// A program folder with two languages, one theme and three records.
void TestWindowClicks::init()
{
    m_window = std::make_unique<WindowFixture>();
    m_window->folder.write("langs/de.ini", "[Dict]\nNative Name=Deutsch\n[TRANSLATOR]\nAuthor=Anna\n");
    m_window->folder.write("langs/fr.ini", "[Dict]\nNative Name=Francais\n[TRANSLATOR]\nAuthor=Bruno\n");
    for (const ZipEntry &entry : ZipBuilder::themeEntries("Blue"))
        m_window->folder.write("themes/Blue/" + entry.name, entry.bytes);
    QByteArray store = "[Files]\n";
    for (const char *name : {"b", "c", "a"})
        store += m_window->folder.write(QStringLiteral("marked/") + name, "x").toUtf8() + "=1\n";
    m_window->folder.write("base.ini", store);
}

void TestWindowClicks::languageCreditsFollowTheClickedRow()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    form->SelectPage(4);
    auto *list = form->findChild<QListView *>("ListBox2");
    auto *author = form->findChild<QLineEdit *>("ed_Author");
    for (const char *language : {"de.ini", "fr.ini", "de.ini"}) {
        const int row = int(list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, language).first().row());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
        QCOMPARE(author->text(), QString(language == QByteArray("de.ini") ? "Anna" : "Bruno"));
    }
}

void TestWindowClicks::doubleClickBelowTheRowsStillCounts()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    form->SelectPage(2);
    auto *themes = form->findChild<QListView *>("ListBox1");
    themes->selectionModel()->clearSelection();
    const QPoint below(20, themes->viewport()->height() - 5);
    QVERIFY(!themes->indexAt(below).isValid());
    QTest::mouseDClick(themes->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(m_window->prompt.messages.size(), 1);
    QCOMPARE(m_window->prompt.messages.first().text, "Please, select theme");
    // With a row selected, a double-click below the rows applies that row:
    // the click where no row is leaves the selection alone.
    themes->selectionModel()->setCurrentIndex(themes->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    QTest::mouseClick(themes->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseDClick(themes->viewport(), Qt::LeftButton, {}, below);
    QCOMPARE(m_window->prompt.messages.size(), 1);
    QCOMPARE(TTntIniFile(m_window->folder.path("settings.ini")).ReadString("Theme", "Name", ""), "Blue");

    // On the language list, with no row selected, the language is stored again.
    form->SelectPage(4);
    m_window->folder.write("settings.ini", "[Translate]\nCurLang=de.ini\n");
    auto *languages = form->findChild<QListView *>("ListBox2");
    languages->selectionModel()->clearSelection();
    QTest::mouseDClick(languages->viewport(), Qt::LeftButton, {}, QPoint(20, languages->viewport()->height() - 5));
    QCOMPARE(m_window->folder.read("settings.ini"), QByteArray("[Translate]\nCurLang=English\n"));
}

void TestWindowClicks::firstHeaderClickAfterStartSorts()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    TSortGrid *grid = form->libraryPage()->grid();
    QHeaderView *header = grid->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 20, header->height() / 2));
    // Paths were last sorted at start-up, so this click descends.
    QCOMPARE(grid->gridModel()->SortColumn(), 2);
    QCOMPARE(grid->gridModel()->Cells(2, 1), m_window->folder.path("marked/c"));
    QCOMPARE(grid->gridModel()->Cells(2, 3), m_window->folder.path("marked/a"));
}

void TestWindowClicks::linksAreDrawnInTheHotTrackColour()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    for (const char *name : {"Label10", "Label17", "Label12"}) {
        QLabel *link = form->findChild<QLabel *>(name);
        QVERIFY(link);
        const QImage image = link->grab().toImage();
        bool hotTrack = false;
        for (int y = 0; y < image.height() && !hotTrack; ++y) {
            for (int x = 0; x < image.width() && !hotTrack; ++x)
                hotTrack = image.pixelColor(x, y) == link->palette().color(QPalette::Link);
        }
        QVERIFY2(hotTrack, qPrintable(link->objectName()));
        QVERIFY(link->palette().color(QPalette::Link) != link->palette().color(QPalette::ButtonText));
    }
}

QTEST_MAIN(TestWindowClicks)
#include "tst_WindowClicks.moc"
