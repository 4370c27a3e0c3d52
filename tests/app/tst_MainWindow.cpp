#include "WindowFixture.h"
#include "ZipBuilder.h"

#include "app/StatusHint.h"
#include "app/WindowGeometry.h"
#include "i18n/LanguageSupport.h"
#include "library/ui/TSortGrid.h"
#include "platform/AppError.h"
#include "platform/Hints.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include <stdexcept>
#include <utility>

// The frame of the program: start-up and shutdown in their order, the
// geometry kept in settings.ini, the hint line and the general error box.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void errorBoxText_data();
    void errorBoxText();
    void startUpOrder();
    void opensCentredWithDefaultsAndSavesOnExit();
    void storedGeometryRules_data();
    void storedGeometryRules();
    void closedMaximisedWritesOnlyState();
    void failedSaveAtExitShowsErrorAndSkipsTheRest();
    void anyFailureOfAHandlerIsShown();
    void minimisedStartWaitsForTheRestore();
    void hintWalk();
    void statusBarFollowsThePointer();
    void captionsTranslatedAtStartUp();
    void rendersFrameOffscreen();
    void tilesSwitchPages();
    void textsAndIconsShowWhole();

private:
    std::unique_ptr<WindowFixture> m_window;
};

void TestMainWindow::init()
{
    m_window = std::make_unique<WindowFixture>();
}

// Test tables keep one row per line.
// clang-format off
void TestMainWindow::errorBoxText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter gets a dot") << "Unable to write to /x/settings.ini" << "Unable to write to /x/settings.ini.";
    QTest::newRow("dot stays single") << "Done." << "Done.";
    QTest::newRow("exclamation sorts before dot") << "Failed!" << "Failed!";
    QTest::newRow("hyphen sorts before dot") << "a-" << "a-";
    QTest::newRow("slash sorts after dot") << "path/" << "path/.";
    QTest::newRow("digit sorts after dot") << "Code 5" << "Code 5.";
    QTest::newRow("blank sorts before dot") << "text " << "text ";
    QTest::newRow("non-ascii letter") << QString::fromUtf8("Fehler: Größe") << QString::fromUtf8("Fehler: Größe.");
    QTest::newRow("empty") << "" << "";
}
// clang-format on

void TestMainWindow::errorBoxText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(::errorBoxText(message), shown);
}

void TestMainWindow::startUpOrder()
{
    ScriptedPrompt prompt;
    auto form = std::make_unique<TForm1>(m_window->folder.folder(), prompt);
    QCOMPARE(form->objectName(), "Form1");
    QCOMPARE(*form->sequenceLog(),
             (QStringList{"create RecordPaths", "fill theme list", "restore geometry", "fill language list",
                          "load current language", "translate window", "use system font", "select page 1",
                          "install hint handler", "read shell state", "list toolbar sets", "select saved toolbar set",
                          "select current theme", "load saved toolbar set", "show program icon", "install message hook",
                          "accept dropped files"}));
    form->present();
    QCOMPARE(form->sequenceLog()->mid(17),
             (QStringList{"load badge records", "fill theme list panel", "set up record grid", "set about texts",
                          "hand over command line", "place about labels"}));
    form.reset();
    QVERIFY(prompt.messages.isEmpty());
}

void TestMainWindow::opensCentredWithDefaultsAndSavesOnExit()
{
    QFile::remove(m_window->folder.path("settings.ini"));
    ScriptedPrompt prompt;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    {
        TForm1 form(m_window->folder.folder(), prompt);
        form.present();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.frameGeometry().size(), QSize(640, 480));
        QCOMPARE(form.frameGeometry().topLeft(), QPoint((screen.width() - 640) / 2, (screen.height() - 480) / 2));
        QCOMPARE(form.currentPage(), 1);
        form.close();
    }
    QVERIFY(prompt.messages.isEmpty());
    const QByteArray expected =
        QStringLiteral("[position]\r\nState=0\r\nleft=%1\r\nwidth=640\r\ntop=%2\r\nheight=480\r\n")
            .arg((screen.width() - 640) / 2)
            .arg((screen.height() - 480) / 2)
            .toUtf8();
    QCOMPARE(m_window->folder.read("settings.ini"), expected);
}

// Test tables keep one row per line.
// clang-format off
void TestMainWindow::storedGeometryRules_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QSize>("size");
    QTest::newRow("below minimum") << QByteArray("[position]\nwidth=300\nheight=200\n") << QSize(560, 430);
    QTest::newRow("far corner still centred") << QByteArray("[position]\nleft=900\ntop=700\nwidth=600\nheight=440\n")
                                              << QSize(600, 440);
    QTest::newRow("not numbers give defaults") << QByteArray("[position]\nwidth=wide\nheight=\n") << QSize(640, 480);
    QTest::newRow("larger than the screen") << QByteArray("[position]\nwidth=2147483647\nheight=9000\n")
                                            << QGuiApplication::primaryScreen()->availableVirtualSize();
    QTest::newRow("hex accepted") << QByteArray("[POSITION]\nWIDTH=$2BC\nheight=0x1F4\n") << QSize(700, 500);
}
// clang-format on

void TestMainWindow::storedGeometryRules()
{
    QFETCH(QByteArray, settings);
    QFETCH(QSize, size);
    m_window->folder.write("settings.ini", settings);
    const auto form = m_window->shownForm();
    QVERIFY(form);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(form->frameGeometry().size(), size);
    // Each stored size fits the screen, so both halves are positive.
    QCOMPARE(form->frameGeometry().topLeft(),
             QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 2));
}

void TestMainWindow::closedMaximisedWritesOnlyState()
{
    const QByteArray before = "[position]\r\nleft=10\r\nwidth=700\r\ntop=20\r\nheight=500\r\nState=0\r\n";
    m_window->folder.write("settings.ini", before);
    ScriptedPrompt prompt;
    {
        TForm1 form(m_window->folder.folder(), prompt);
        form.present();
        form.showMaximized();
        QTRY_VERIFY(form.isMaximized());
        form.close();
    }
    QByteArray expected = before;
    expected.replace("State=0", "State=2");
    QCOMPARE(m_window->folder.read("settings.ini"), expected);

    // The next start opens maximised again.
    TForm1 again(m_window->folder.folder(), prompt);
    again.present();
    QTRY_VERIFY(again.isMaximized());
    QVERIFY(prompt.messages.isEmpty());
}

void TestMainWindow::failedSaveAtExitShowsErrorAndSkipsTheRest()
{
    // A folder where settings.ini should be: the write at exit must fail.
    QFile::remove(m_window->folder.path("settings.ini"));
    QDir().mkpath(m_window->folder.path("settings.ini"));
    ScriptedPrompt prompt;
    auto form = std::make_unique<TForm1>(m_window->folder.folder(), prompt);
    QVERIFY(prompt.messages.isEmpty());
    const std::shared_ptr<const QStringList> log = form->sequenceLog();
    const qsizetype startUpSteps = log->size();
    form.reset();

    QCOMPARE(prompt.messages.size(), 1);
    const MessageRequest &box = prompt.messages.first();
    QCOMPARE(box.caption, "Emblix Manager");
    QCOMPARE(box.text, "Unable to write to " + m_window->folder.path("settings.ini") + ".");
    QCOMPARE(box.icon, PromptIcon::Error);
    QCOMPARE(box.buttons, PromptButtons::Ok);
    // The steps after the failed one do not run.
    QCOMPARE(log->mid(startUpSteps), QStringList{"save geometry"});
}

void TestMainWindow::anyFailureOfAHandlerIsShown()
{
    // Not only the program's own errors: a failure from a library (here the
    // dialog asking to confirm) ends the click with an error box, and the
    // window goes on.
    m_window->folder.write("base.ini", "[Files]\n/gone/file=1\n");
    ScriptedPrompt prompt;
    bool failed = false;
    prompt.onMessage = [&](const MessageRequest &) {
        if (!std::exchange(failed, true))
            throw std::runtime_error("no dialog can be shown");
    };
    TForm1 form(m_window->folder.folder(), prompt);
    form.present();
    form.findChild<QPushButton *>("Button6")->click();
    QCOMPARE(prompt.messages.size(), 2);
    QCOMPARE(prompt.messages.last().text, "no dialog can be shown.");
    QCOMPARE(prompt.messages.last().icon, PromptIcon::Error);
    QCOMPARE(m_window->folder.read("base.ini"), "[Files]\n/gone/file=1\n");
}

void TestMainWindow::minimisedStartWaitsForTheRestore()
{
    m_window->folder.write("settings.ini", "[position]\r\nState=1\r\n");
    ScriptedPrompt prompt;
    TForm1 form(m_window->folder.folder(), prompt);
    form.present();
    // A taskbar entry only: the first display has not run.
    QVERIFY(!form.sequenceLog()->contains("load badge records"));
    form.setWindowState(Qt::WindowNoState);
    form.show();
    QTRY_VERIFY(form.sequenceLog()->contains("load badge records"));
    QCOMPARE(form.sequenceLog()->count("load badge records"), 1);
    QVERIFY(!form.isMinimized());
}

void TestMainWindow::hintWalk()
{
    QWidget panel;
    Hints::set(&panel, "Panel hint");
    auto *inner = new QWidget(&panel);
    auto *control = new QLabel(inner);
    QCOMPARE(StatusHint::hintFor(control), "Panel hint");
    Hints::set(control, "short|long text|more");
    QCOMPARE(StatusHint::hintFor(control), "long text|more");
    Hints::set(control, "|");
    QCOMPARE(StatusHint::hintFor(control), "");
    QWidget bare;
    QCOMPARE(StatusHint::hintFor(new QLabel(&bare)), "");
    QCOMPARE(StatusHint::hintFor(nullptr), "");
}

void TestMainWindow::statusBarFollowsThePointer()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    auto *panel = form->findChild<QLabel *>("StatusBar1Panel");
    QVERIFY(panel);
    auto *tile = form->findChild<QWidget *>("t_2");
    auto *button = form->findChild<QPushButton *>("Button5");
    Hints::set(form->findChild<QWidget *>("p_1"), "page hint");

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(tile, &enter);
    QCOMPARE(panel->property("fullHint").toString(), QString::fromUtf8("选择小图标主题"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(tile, &leave);
    QCOMPARE(panel->property("fullHint").toString(), "");
    QCoreApplication::sendEvent(button, &enter);
    QCOMPARE(panel->text(), "page hint");
    QVERIFY(button->toolTip().isEmpty());
}

void TestMainWindow::captionsTranslatedAtStartUp()
{
    m_window->folder.write("settings.ini", "[Translate]\r\nCurLang=de.ini\r\n");
    m_window->folder.write("langs/de.ini", QString("[Dict]\r\n删除=Löschen\r\n选择小图标主题=Themen wählen\r\n"
                                                   "Library=Bibliothek\r\nEmblix Manager=Emblix Verwaltung\r\n")
                                               .toUtf8());
    ScriptedPrompt prompt;
    TForm1 form(m_window->folder.folder(), prompt);
    QCOMPARE(LanguageSupport::CurLang(), "de.ini");
    QCOMPARE(form.windowTitle(), "Emblix Verwaltung");
    QCOMPARE(form.findChild<QPushButton *>("Button5")->text(), QString::fromUtf8("Löschen"));
    QCOMPARE(form.findChild<QWidget *>("t_2")->property("hint").toString(), QString::fromUtf8("Themen wählen"));
    QCOMPARE(form.findChild<QLabel *>("t_1")->property("hint").toString(), QString::fromUtf8("加载程序列表及控制"));
    // A caption the file lacks comes back as its own key.
    QCOMPARE(form.findChild<QPushButton *>("Button6")->text(), QString::fromUtf8("移除子项目"));
}

void TestMainWindow::rendersFrameOffscreen()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    form->resize(800, 600);
    const QImage image = form->grab().toImage();
    QCOMPARE(image.size(), QSize(800, 600) * image.devicePixelRatio());
    const QColor shadow = form->palette().color(QPalette::Dark);
    // The separator runs at y = 68 and 69 from x = 1 to the right edge.
    for (int x : {1, 400, 799}) {
        QCOMPARE(image.pixel(x, 68), shadow.rgb());
        QCOMPARE(image.pixel(x, 69), shadow.rgb());
    }
    QVERIFY(image.pixel(0, 68) != shadow.rgb());
    // Pages follow the window: the library page ends above the status bar.
    QWidget *page = form->findChild<QWidget *>("p_1");
    QCOMPARE(page->geometry(), QRect(8, 76, 800 - 16, 600 - 76 - 26));
    auto *status = form->findChild<QStatusBar *>("StatusBar1");
    QCOMPARE(status->geometry(), QRect(0, 600 - 19, 800, 19));
    // The path column ends 32 pixels short of the grid, at every size.
    auto *grid = form->findChild<TSortGrid *>("StringGrid1");
    for (const QSize size : {QSize(800, 600), QSize(700, 500), QSize(1000, 700)}) {
        form->resize(size);
        QCOMPARE(grid->ColWidths(2), grid->width() - grid->ColWidths(0) - grid->ColWidths(1) - 32);
    }
}

void TestMainWindow::tilesSwitchPages()
{
    const auto form = m_window->shownForm();
    QVERIFY(form);
    const char *pages[] = {"p_1", "p_2", "p_3", "p_4", "p_5"};
    for (int n = 1; n <= 5; ++n) {
        QTest::mouseClick(form->findChild<QWidget *>(QStringLiteral("t_%1").arg(n)), Qt::LeftButton);
        QCOMPARE(form->currentPage(), n);
        for (int p = 0; p < 5; ++p)
            QCOMPARE(form->findChild<QWidget *>(pages[p])->isVisible(), p + 1 == n);
    }
}

namespace {

// How many pixels of the widget, as drawn, have about this colour.
int pixelsOf(QWidget *widget, const QColor &colour)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c(image.pixel(x, y));
            count += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                         + std::abs(c.blue() - colour.blue())
                     < 30;
        }
    }
    return count;
}

} // namespace

void TestMainWindow::textsAndIconsShowWhole()
{
    // Translated lines longer than the untranslated ones, a long credit, a
    // navigation set of 48-pixel icons and a flag of English's own.
    m_window->folder.write("settings.ini", "[Translate]\r\nCurLang=de.ini\r\n[Toolbar]\r\nName=Big\r\n");
    m_window->folder.write("langs/de.ini",
                           QString("[Dict]\r\n"
                                   "Badges for your files and folders=Abzeichen für Ihre Dateien und Ordner, "
                                   "alle an einem Ort\r\n"
                                   "Freeware. Use it, share it.=Freeware. Benutzen und weitergeben, so oft Sie "
                                   "wollen.\r\n"
                                   "[TRANSLATOR]\r\nwww=https://translations.emblix.example.org/deutsch/"
                                   "ein/langer/pfad\r\n")
                               .toUtf8());
    const QColor big(0, 200, 0);
    m_window->folder.write("toolbar/Big/library.ico", ZipBuilder::icon(big, 48));
    const QColor flag(230, 0, 0);
    m_window->folder.write("langs/English.ico", ZipBuilder::icon(flag, 16));
    const auto form = m_window->shownForm();
    QVERIFY(form);

    for (const char *name : {"Label3", "Label5", "Label7"}) {
        auto *line = form->findChild<QLabel *>(name);
        QVERIFY2(line->width() >= line->fontMetrics().horizontalAdvance(line->text()), name);
    }
    // A read-only field shows a long value from its start.
    auto *www = form->findChild<QLineEdit *>("ed_www");
    QVERIFY(www->text().startsWith("https://translations"));
    QCOMPARE(www->cursorPosition(), 0);
    // A hint longer than its panel is clipped, never given an ellipsis.
    const QString hint = "A hint far longer than the two hundred pixels of the panel that shows it";
    auto *button = form->findChild<QPushButton *>("Button5");
    Hints::set(button, hint);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(button, &enter);
    QCOMPARE(form->findChild<QLabel *>("StatusBar1Panel")->text(), hint);
    // The navigation set's icon at its own size (48 x 48, not 32 x 32).
    QVERIFY2(pixelsOf(form->findChild<QWidget *>("t_1"), big) > 40 * 40,
             qPrintable(QString::number(pixelsOf(form->findChild<QWidget *>("t_1"), big))));
    // The English row draws the flag beside its name too.
    QVERIFY(pixelsOf(form->findChild<QListView *>("ListBox2"), flag) > 12 * 12);
}

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
