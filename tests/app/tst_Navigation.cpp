#include "WindowFixture.h"
#include "ZipBuilder.h"

#include "app/AboutPage.h"
#include "app/NavigationTiles.h"
#include "app/ToolbarSetBox.h"
#include "app/ToolbarSets.h"
#include "i18n/LanguageSupport.h"
#include "platform/ini/TntIniFile.h"
#include "platform/ui/SystemColours.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <sys/stat.h>

// The navigation bar's tiles, the toolbar icon sets, and the about page.
class TestNavigation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void tilePictures();
    void captionLines_data();
    void captionLines();
    void twoLineCaptionIsDrawnLower();
    void scansToolbarSets();
    void savedSetLoadsItsIconsOnly();
    void defaultSetKeepsTheBuiltInIcons();
    void pickingSetsKeepsEarlierIcons();
    void invalidIconIsReported();
    void applyStoresTheChosenSet();
    void setListDrawsPreviews();
    void aboutTextsAndPlacement();
    void supportMailLink();

private:
    QRgb tilePixel(TForm1 &form, int tile, int x, int y);
    QImage holderImage(TForm1 &form, int page);

    std::unique_ptr<WindowFixture> m_window;
};

void TestNavigation::init()
{
    m_window = std::make_unique<WindowFixture>();
}

QRgb TestNavigation::tilePixel(TForm1 &form, int tile, int x, int y)
{
    return form.findChild<QLabel *>(QStringLiteral("t_%1").arg(tile))->pixmap().toImage().pixel(x, y);
}

QImage TestNavigation::holderImage(TForm1 &form, int page)
{
    return form.findChild<QLabel *>(QStringLiteral("i_%1").arg(page))
        ->pixmap()
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

void TestNavigation::tilePictures()
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(255, 0, 0));
    const QPixmap red = QPixmap::fromImage(icon);
    const QImage active = NavigationTiles::activeTile(red, "Library").toImage();
    const QImage inactive = NavigationTiles::inactiveTile(red, "Library").toImage();
    QCOMPARE(active.size(), QSize(77, 67));
    QCOMPARE(QColor(active.pixel(10, 2)), QColor(SystemColours::inactiveBorder().rgb()));
    QCOMPARE(QColor(inactive.pixel(10, 2)), QColor(SystemColours::buttonFace().rgb()));
    for (int y : {0, 30, 66}) {
        QCOMPARE(QColor(active.pixel(1, y)), QColor(SystemColours::dark3DShadow().rgb()));
        QCOMPARE(QColor(active.pixel(76, y)), QColor(SystemColours::dark3DShadow().rgb()));
        QCOMPARE(QColor(inactive.pixel(1, y)), QColor(SystemColours::buttonFace().rgb()));
    }
    // The icon at (22, 5), 32 x 32.
    QCOMPARE(QColor(active.pixel(22, 5)), QColor(255, 0, 0));
    QCOMPARE(QColor(active.pixel(53, 36)), QColor(255, 0, 0));
    QCOMPARE(QColor(active.pixel(21, 5)), QColor(SystemColours::inactiveBorder().rgb()));
    QCOMPARE(QColor(inactive.pixel(54, 20)), QColor(SystemColours::buttonFace().rgb()));
}

void TestNavigation::captionLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("one line") << "Library" << QStringList{"Library"};
    QTest::newRow("translated break") << "Biblio\n\rthek" << QStringList{"Biblio", "thek"};
    QTest::newRow("blanks around") << " Shell-\n\rIntegration " << QStringList{"Shell-", "Integration"};
    // The split position counts in the untrimmed text, so leading blanks shift it.
    QTest::newRow("break first") << "\n\rTwo" << QStringList{"T", "wo"};
}

void TestNavigation::captionLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(NavigationTiles::captionLines(text), lines);
}

void TestNavigation::twoLineCaptionIsDrawnLower()
{
    const QPixmap blank;
    const auto inkRows = [](const QImage &image) {
        int first = -1;
        int last = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 2; x < 75; ++x)
                if (QColor(image.pixel(x, y)) != QColor(SystemColours::buttonFace().rgb())) {
                    if (first < 0)
                        first = y;
                    last = y;
                }
        return std::pair{first, last};
    };
    const auto [oneTop, oneBottom] = inkRows(NavigationTiles::inactiveTile(blank, "Wg").toImage());
    const auto [twoTop, twoBottom] = inkRows(NavigationTiles::inactiveTile(blank, "Wg\n\rWg").toImage());
    const int lineHeight = QFontMetrics(NavigationTiles::captionFont()).height();
    QVERIFY(oneTop >= 42);
    QVERIFY(twoTop >= 37 && twoTop < oneTop);
    QVERIFY(twoBottom > 38 + lineHeight);
    QVERIFY(oneBottom < 42 + lineHeight);
}

void TestNavigation::scansToolbarSets()
{
    QDir().mkpath(m_window->folder.path("toolbar/B"));
    QDir().mkpath(m_window->folder.path("toolbar/A"));
    QDir().mkpath(m_window->folder.path("toolbar/c"));
    m_window->folder.write("toolbar/file.ico", ZipBuilder::icon(Qt::red));
    // Folders only, in the Windows listing order: no pipe, no broken link.
    QVERIFY(::mkfifo(QFile::encodeName(m_window->folder.path("toolbar/Pipe")).constData(), 0600) == 0);
    QVERIFY(QFile::link(m_window->folder.path("toolbar/none"), m_window->folder.path("toolbar/Broken")));
    QCOMPARE(ToolbarSets(m_window->folder.folder()).ScanToolbarSets(), (QStringList{"A", "B", "c"}));

    // Icons that are no regular files are missing, not invalid, and never opened.
    QDir().mkpath(m_window->folder.path("toolbar/A/library.ico"));
    QVERIFY(::mkfifo(QFile::encodeName(m_window->folder.path("toolbar/A/themes.ico")).constData(), 0600) == 0);
    int loaded = 0;
    ToolbarSets(m_window->folder.folder()).load("A", [&](int, const QPixmap &) { ++loaded; });
    QCOMPARE(loaded, 0);
    // A set name leaving toolbar/ (from settings.ini) loads nothing, though a
    // set's icons lie where it points.
    m_window->folder.write("outside/library.ico", ZipBuilder::icon(Qt::red));
    for (const QString &name : QStringList{"../outside", "..", ""})
        ToolbarSets(m_window->folder.folder()).load(name, [&](int, const QPixmap &) { ++loaded; });
    QCOMPARE(loaded, 0);
    QCOMPARE(ToolbarSets(m_window->folder.folder()).savedSet(), "Pastel");
    QDir(m_window->folder.path("toolbar")).removeRecursively();
    QCOMPARE(ToolbarSets(m_window->folder.folder()).ScanToolbarSets(), QStringList{});
}

void TestNavigation::savedSetLoadsItsIconsOnly()
{
    // No [Toolbar] Name: "Pastel"; its folder holds only themes.ico.
    m_window->folder.write("toolbar/Pastel/themes.ico", ZipBuilder::icon(QColor(0, 255, 0)));
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    QCOMPARE(form.findChild<QComboBox *>("cbTBThemes")->currentText(), "Pastel");
    QCOMPARE(QColor(holderImage(form, 2).pixel(16, 16)), QColor(0, 255, 0));
    QVERIFY(QColor(holderImage(form, 1).pixel(16, 16)) != QColor(0, 255, 0));
    // The Themes tile shows it, inactive; the Library tile is active.
    QCOMPARE(QColor(tilePixel(form, 2, 30, 15)), QColor(0, 255, 0));
    QCOMPARE(QColor(tilePixel(form, 1, 1, 60)), QColor(SystemColours::dark3DShadow().rgb()));
    QVERIFY(m_window->prompt.messages.isEmpty());
}

void TestNavigation::defaultSetKeepsTheBuiltInIcons()
{
    const QImage builtIn = [&] {
        TForm1 plain(m_window->folder.folder(), m_window->prompt);
        return holderImage(plain, 1);
    }();
    m_window->folder.write("toolbar/Default/library.ico", ZipBuilder::icon(QColor(0, 0, 255)));
    m_window->folder.write("toolbar/default/library.ico", ZipBuilder::icon(QColor(255, 0, 255)));
    m_window->folder.write("settings.ini", "[Translate]\nCurLang=English\n[Toolbar]\nName=Default\n");
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    QCOMPARE(holderImage(form, 1), builtIn);
    // Picking "Default" changes nothing; "default" is an ordinary set.
    auto *box = form.findChild<QComboBox *>("cbTBThemes");
    QCOMPARE(box->currentText(), "Default");
    const int lower = box->findText("default", Qt::MatchExactly | Qt::MatchCaseSensitive);
    emit box->activated(box->findText("Default", Qt::MatchExactly | Qt::MatchCaseSensitive));
    QCOMPARE(holderImage(form, 1), builtIn);
    emit box->activated(lower);
    QCOMPARE(QColor(holderImage(form, 1).pixel(16, 16)), QColor(255, 0, 255));
    QCOMPARE(form.currentPage(), 5);
}

void TestNavigation::pickingSetsKeepsEarlierIcons()
{
    m_window->folder.write("toolbar/A/About.ico", ZipBuilder::icon(QColor(255, 0, 0)));
    m_window->folder.write("toolbar/A/library.ico", ZipBuilder::icon(QColor(255, 0, 0)));
    m_window->folder.write("toolbar/B/library.ico", ZipBuilder::icon(QColor(0, 0, 255)));
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    auto *box = form.findChild<QComboBox *>("cbTBThemes");
    QCOMPARE(box->currentIndex(), -1); // no set named Pastel
    emit box->activated(box->findText("A"));
    emit box->activated(box->findText("B"));
    QCOMPARE(QColor(holderImage(form, 3).pixel(16, 16)), QColor(255, 0, 0)); // About kept from A
    QCOMPARE(QColor(holderImage(form, 1).pixel(16, 16)), QColor(0, 0, 255));
    QCOMPARE(QColor(tilePixel(form, 3, 30, 15)), QColor(255, 0, 0));
    QCOMPARE(form.currentPage(), 5);
    // The choice is not written until the apply button.
    QCOMPARE(TTntIniFile(m_window->folder.path("settings.ini")).ReadString("Toolbar", "Name", "<none>"), "<none>");
}

void TestNavigation::invalidIconIsReported()
{
    m_window->folder.write("toolbar/Broken/library.ico", ZipBuilder::icon(QColor(0, 0, 255)));
    m_window->folder.write("toolbar/Broken/themes.ico", "not an icon");
    m_window->folder.write("toolbar/Broken/About.ico", ZipBuilder::icon(QColor(0, 0, 255)));
    m_window->folder.write("settings.ini", "[Translate]\nCurLang=English\n[Toolbar]\nName=Broken\n");
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    QCOMPARE(m_window->prompt.texts(), QStringList{"Icon image is not valid."});
    QCOMPARE(m_window->prompt.messages.first().caption, "Emblix Manager");
    // The icon before the bad one was loaded; the ones after were not, and
    // the rest of the start-up was skipped.
    QCOMPARE(QColor(holderImage(form, 1).pixel(16, 16)), QColor(0, 0, 255));
    QVERIFY(QColor(holderImage(form, 3).pixel(16, 16)) != QColor(0, 0, 255));
    QVERIFY(!form.sequenceLog()->contains("accept dropped files"));
}

void TestNavigation::applyStoresTheChosenSet()
{
    // No toolbar folder: an empty name is stored; the stand-in libraries are
    // missing here, so register them first.
    QDir().mkpath(m_window->folder.path("toolbar/Mine"));
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    auto *box = form.findChild<QComboBox *>("cbTBThemes");
    box->setCurrentIndex(box->findText("Mine"));
    emit box->activated(box->currentIndex());
    for (const char *library : {"SheetExt.dll", "emblixmenu.dll"})
        QFile::copy(QStringLiteral(EMBLIX_DEMO_DIR "/") + library, m_window->folder.path(library));
    QTest::mouseClick(form.findChild<QWidget *>("Button1"), Qt::LeftButton);
    QVERIFY2(m_window->prompt.messages.isEmpty(), qPrintable(m_window->prompt.texts().join('\n')));
    QCOMPARE(TTntIniFile(m_window->folder.path("settings.ini")).ReadString("Toolbar", "Name", "<none>"), "Mine");
}

void TestNavigation::setListDrawsPreviews()
{
    m_window->folder.write("toolbar/A/library.ico", ZipBuilder::icon(QColor(255, 0, 0), 16));
    m_window->folder.write("toolbar/A/About.ico", ZipBuilder::icon(QColor(0, 0, 255), 16));
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    auto *box = form.findChild<QComboBox *>("cbTBThemes");
    QCOMPARE(box->view()->sizeHintForRow(0), 48);
    QImage row(400, 48, QImage::Format_RGB32);
    QPainter painter(&row);
    static_cast<ToolbarSetBox *>(box)->cbTBThemesDrawItem(painter, 0, QRect(0, 0, 400, 48), false);
    painter.end();
    QCOMPARE(QColor(row.pixel(6 + 8, 4 + 8)), QColor(255, 0, 0));                      // library.ico at x = 6
    QCOMPARE(QColor(row.pixel(142 + 8, 4 + 8)), QColor(0, 0, 255));                    // About.ico at x = 142
    QCOMPARE(QColor(row.pixel(40 + 8, 4 + 8)), QColor(SystemColours::window().rgb())); // themes.ico missing
}

void TestNavigation::aboutTextsAndPlacement()
{
    m_window->folder.write("settings.ini", "[Translate]\nCurLang=long.ini\n");
    m_window->folder.write("langs/long.ini", "[Dict]\nCoding:=A much longer translated caption:\nVersion:=Fassung:\n");
    TForm1 form(m_window->folder.folder(), m_window->prompt);
    form.present();
    auto *caption = form.findChild<QLabel *>("Label20");
    auto *value = form.findChild<QLabel *>("Label9");
    QCOMPARE(caption->text(), "A much longer translated caption:");
    QCOMPARE(value->x(), caption->x() + caption->fontMetrics().horizontalAdvance(caption->text()) + 6);
    QCOMPARE(form.findChild<QLabel *>("Label4")->text(), "Fassung:  1.0 RC 5");
    QVERIFY(!form.findChild<QLabel *>("Image1")->pixmap().isNull());
    QCOMPARE(form.findChild<QLabel *>("Image1")->pixmap().size(), QSize(128, 128));

    QStringList opened;
    form.setLinkOpener([&](const QString &link) { opened << link; });
    QTest::mouseClick(form.findChild<QWidget *>("Label10"), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QWidget *>("Label12"), Qt::LeftButton);
    QCOMPARE(opened, (QStringList{AboutLinks::kHomePage, AboutLinks::kLanguagesPage}));
    QCOMPARE(form.findChild<QWidget *>("Label17")->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(form.findChild<QWidget *>("Label17")->font().underline());
}

void TestNavigation::supportMailLink()
{
    QCOMPARE(AboutLinks::supportMailLink(),
             "mailto:" + AboutLinks::kSupportAddress
                 + "?Subject=Emblix%20%20&body=My%20Emblix%20version%20is%20%201.0%20RC%205"
                   "%0D%0A%0A(Please%20use%20only%20English%20and%20Russian)%0D%0A%0A");
    // The same in every language.
    LanguageSupport::setCurLang("de.ini");
    m_window->folder.write("langs/de.ini", "[Dict]\nVersion:=Fassung:\n");
    QVERIFY(!AboutLinks::supportMailLink().contains("Fassung"));
}

QTEST_MAIN(TestNavigation)
#include "tst_Navigation.moc"
