#include "ExtensionFixture.h"
#include "XvfbDisplay.h"

#include "Emblems.h"
#include "platform/ini/TntIniFile.h"
#include "shell/RegDLL.h"

#include <QTest>

// The real file managers, under Xvfb, running "Badge 2" on a selection of
// names a hostile user chose: options, "%" sequences GLib would expand,
// shell syntax, quotes, blanks. Caja passes them to a script, Thunar to its
// custom action. Each file, and only it, gets the badge, and nothing the
// names spell runs.
class TestHostileSelection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void hostileSelectionGetsItsBadge_data();
    void hostileSelectionGetsItsBadge();

private:
    static void press(const QStringList &sequence)
    {
        for (const QString &key : sequence) {
            QProcess::execute("xdotool", {"key", key});
            QTest::qWait(400);
        }
    }

    std::unique_ptr<XvfbDisplay> m_display;
};

void TestHostileSelection::initTestCase()
{
    m_display = std::make_unique<XvfbDisplay>();
    QVERIFY(m_display->start("1280x900x24"));
}

void TestHostileSelection::cleanupTestCase()
{
    m_display.reset();
}

void TestHostileSelection::hostileSelectionGetsItsBadge_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("keys"); // after selecting all: to Badge 2
    QTest::newRow("Caja: Scripts > Badge > Badge 2")
        << "caja" << QStringList{"--no-desktop"} << QStringList{"shift+F10", "s", "Right", "Right", "Down", "Return"};
    QTest::newRow("Thunar: Badge > Badge 2")
        << "thunar" << QStringList{} << QStringList{"shift+F10", "Up", "Up", "Right", "Down", "Return"};
}

void TestHostileSelection::hostileSelectionGetsItsBadge()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, keys);
    ExtensionFixture fx;
    RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll"));
    const QString shown = fx.item("shown/");
    QStringList names{
        "-platform",  "zkey", "50%off.txt",  "report%20final.txt", "x%cy",  "$(touch pwned)", "`touch pwned2`", "it's",
        "say \"hi\"", "-rf",  "back\\slash", "semi;colon",         "star*", "ünï 😀",          "a b  c"};
    QStringList paths;
    for (const QString &name : names)
        paths << fx.item("shown/" + name);
    // A folder named like a Qt option, and one a plugin could hide in.
    paths << fx.item("shown/--platformpluginpath/") << fx.item("shown/--z/");
    const QString decoy = fx.item("50ff.txt");

    QProcess manager;
    manager.setWorkingDirectory(shown);
    manager.start(program, arguments + QStringList{shown});
    QVERIFY(manager.waitForStarted());
    // Select all, the context menu, Scripts > Badge > Badge 2; once more
    // should the keys come before the file manager listed the folder.
    const auto marked = [&] {
        return TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", paths.last(), "") == u"2";
    };
    for (int attempt = 0; attempt < 3 && !marked(); ++attempt) {
        QCOMPARE(QProcess::execute("xdotool",
                                   {"search", "--sync", "--onlyvisible", "--class", program, "windowfocus", "--sync"}),
                 0);
        QTest::qWait(1000);
        press(QStringList{"Escape", "ctrl+a"} + keys);
        (void)QTest::qWaitFor(marked, 10000); // read below, after the last attempt
    }
    QVERIFY(marked());
    QStringList recorded;
    TTntIniFile(fx.folder.path("base.ini")).ReadSection("Files", recorded);
    recorded.sort();
    paths.sort();
    QCOMPARE(recorded, paths);
    for (const QString &path : paths)
        QVERIFY2(Emblems::badgeOf(path) == 2, qPrintable(path));
    QCOMPARE(Emblems::badgeOf(decoy), 0);
    QVERIFY(!QFileInfo::exists(shown + "/pwned") && !QFileInfo::exists(shown + "/pwned2"));

    if (program == u"thunar")
        QProcess::execute("thunar", {"-q"});
    manager.terminate();
    manager.waitForFinished();
    RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll"));
}

QTEST_GUILESS_MAIN(TestHostileSelection)
#include "tst_HostileSelection.moc"
