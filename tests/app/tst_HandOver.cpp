#include "WindowFixture.h"
#include "ZipBuilder.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

// Packages reaching the installer without its open dialog: the first
// command-line argument, and files dropped on the window.
class TestHandOver : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commandLine_data();
    void commandLine();
    void commandLineInstallsBeforeTheWindowShows();
    void dropsGoToTheInstallerInOrder();

private:
    QString package(const QString &file, const QString &theme);

    std::unique_ptr<WindowFixture> m_window;
};

void TestHandOver::init()
{
    m_window = std::make_unique<WindowFixture>();
}

QString TestHandOver::package(const QString &file, const QString &theme)
{
    const QString path = m_window->folder.path("../" + file);
    ZipBuilder::write(path, ZipBuilder::themeEntries(theme));
    return path;
}

void TestHandOver::commandLine_data()
{
    // Package files made by the test, in the order of the arguments; a name
    // starting with "-" is passed as it is, without a file.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("asked");
    QTest::newRow("any letter case") << QStringList{"a.VqK"} << true;
    QTest::newRow("zip") << QStringList{"a.zip"} << false;
    QTest::newRow("further extension") << QStringList{"a.vqk.bak"} << false;
    QTest::newRow("dot in a folder name only") << QStringList{"-d.vqk/package"} << false;
    QTest::newRow("second argument never looked at") << QStringList{"-notes.txt", "a.vqk"} << false;
    QTest::newRow("no argument") << QStringList{} << false;
}

void TestHandOver::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, asked);
    QStringList paths;
    for (const QString &argument : arguments)
        paths << (argument.startsWith('-') ? m_window->folder.path("../" + argument.mid(1)) : package(argument, "A"));
    ScriptedPrompt prompt;
    prompt.answers = {PromptAnswer::Yes};
    TForm1 form(m_window->folder.folder(), prompt, paths);
    form.present();
    QCOMPARE(prompt.messages.size(), asked ? 1 : 0);
    QVERIFY(prompt.openDialogs.isEmpty());
    QVERIFY(form.pendingPackagePath().isEmpty());
    QCOMPARE(m_window->folder.exists("themes/A/plist.ini"), asked);
}

void TestHandOver::commandLineInstallsBeforeTheWindowShows()
{
    ScriptedPrompt prompt;
    prompt.answers = {PromptAnswer::Yes};
    TForm1 form(m_window->folder.folder(), prompt, {package("shown.vqk", "Shown")});
    bool visibleWhenAsked = true;
    prompt.onMessage = [&](const MessageRequest &) { visibleWhenAsked = form.isVisible(); };
    form.present();
    QCOMPARE(prompt.texts(), QStringList{"Install theme : \"Shown\" ?"});
    QVERIFY(!visibleWhenAsked);
    QVERIFY(form.isVisible());

    // A missing file is handed over all the same; the installer ends quietly.
    ScriptedPrompt quiet;
    TForm1 missing(m_window->folder.folder(), quiet, {m_window->folder.path("../missing.vqk")});
    missing.present();
    QVERIFY(quiet.messages.isEmpty());
    QVERIFY(missing.pendingPackagePath().isEmpty());
}

void TestHandOver::dropsGoToTheInstallerInOrder()
{
    ScriptedPrompt prompt;
    TForm1 form(m_window->folder.folder(), prompt);
    form.present();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.acceptDrops());
    const QString longer = package("a much longer package name.vqk", "Long");
    const QString shorter = package("s.vqk", "Short");
    QDir().mkpath(m_window->folder.path("../a folder.vqk"));
    const QString text = m_window->folder.write("../readme.txt", "not an archive");
    prompt.answers = {PromptAnswer::Yes, PromptAnswer::Yes};

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(m_window->folder.path("../a folder.vqk")), QUrl::fromLocalFile(longer),
                  QUrl::fromLocalFile(text), QUrl::fromLocalFile(shorter)});
    // The events a file manager's drop delivers, handed to the window's own
    // event handling (the application object refuses drops that no drag of
    // its own started).
    QObject &window = form;
    QDragEnterEvent enter(QPoint(50, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    window.event(&enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(50, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    window.event(&drop);

    QCOMPARE(prompt.texts(), (QStringList{"Install theme : \"Long\" ?", "Install theme : \"Short\" ?"}));
    QVERIFY(m_window->folder.exists("themes/Long/1.ico"));
    QVERIFY(m_window->folder.exists("themes/Short/1.ico"));
    QVERIFY(prompt.openDialogs.isEmpty());
    QVERIFY(form.pendingPackagePath().isEmpty());
}

QTEST_MAIN(TestHandOver)
#include "tst_HandOver.moc"
