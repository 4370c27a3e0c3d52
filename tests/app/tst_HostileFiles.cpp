#include "ScriptedPrompt.h"
#include "TestFolder.h"

#include "app/MainWindow.h"
#include "i18n/LanguageSupport.h"

#include <QTest>

// Hostile settings, language and record files, one table: the window starts,
// paints every page, reads nothing outside its folder and changes no file
// but settings.ini.
class TestHostileFiles : public QObject
{
    Q_OBJECT

private slots:
    void iniFiles_data();
    void iniFiles();
};

void TestHostileFiles::iniFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QByteArray random(20000, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("CurLang leaving langs") << "settings.ini" << QByteArray("[Translate]\nCurLang=../../outside.ini\n");
    QTest::newRow("CurLang absolute") << "settings.ini" << QByteArray("[Translate]\nCurLang=/etc/passwd\n");
    QTest::newRow("toolbar set leaving toolbar") << "settings.ini" << QByteArray("[Toolbar]\nName=../../..\n");
    QTest::newRow("theme name with a break") << "settings.ini" << QByteArray("[Theme]\nName=a\r[Translate]\r\n");
    QTest::newRow("huge geometry") << "settings.ini"
                                   << QByteArray("[position]\nwidth=2147483647\nheight=-5\nState=7\nleft=$FFFFFFFF\n");
    QTest::newRow("settings of random bytes") << "settings.ini" << random;
    QTest::newRow("language of random bytes") << "langs/bad.ini" << random;
    QTest::newRow("language with lone surrogates")
        << "langs/bad.ini" << QByteArray("\xFF\xFE[\0D\0i\0c\0t\0]\0\n\0\x00\xD8=\0\x00\xDC\n\0", 24);
    QTest::newRow("language with a 10 MB line") << "langs/bad.ini"
                                                << "[Dict]\nLibrary=" + QByteArray(10 << 20, 'L') + "\n";
    QTest::newRow("store of random bytes") << "base.ini" << random;
    QTest::newRow("store with NUL bytes") << "base.ini" << QByteArray("[Files]\n/a\0b=1\n\0\0\0=\0\n", 21);
    QTest::newRow("store badge leaving icons") << "base.ini" << QByteArray("[Files]\nC:\\=../../outside\n");
}

void TestHostileFiles::iniFiles()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    TestFolder root;
    const ProgramFolder program(root.path("program"));
    root.write("outside.ini", "[Dict]\nLibrary=LEAKED\n[TRANSLATOR]\nAuthor=LEAKED\n");
    root.write("program/langs/bad.ini.keep", "");
    root.write("program/" + file, bytes);
    if (file.startsWith("langs/"))
        root.write("program/settings.ini", "[Translate]\nCurLang=bad.ini\n");
    const LanguageSupport::TranslatorScope translation(program);
    const QStringList before = root.entries();

    ScriptedPrompt prompt;
    {
        TForm1 form(program, prompt);
        form.present();
        QVERIFY(!form.windowTitle().contains("LEAKED"));
        QVERIFY(!Translate("Library").contains("LEAKED")); // the first tile's caption
        QVERIFY(!form.findChild<QWidget *>("ed_Author")->property("text").toString().contains("LEAKED"));
        form.grab(); // paint every visible part once
        form.SelectPage(5);
        form.grab();
    }
    QVERIFY(prompt.messages.size() <= 1); // at most the error box at exit
    for (const QString &entry : root.entries())
        QVERIFY2(before.contains(entry) || entry == "program/settings.ini", qPrintable(entry));
    if (file != "settings.ini")
        QCOMPARE(root.read("program/" + file), bytes);
}

QTEST_MAIN(TestHostileFiles)
#include "tst_HostileFiles.moc"
