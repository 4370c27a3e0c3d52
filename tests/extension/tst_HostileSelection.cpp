#include "ExtensionFixture.h"
#include "SystemModule.h"
#include "XvfbDisplay.h"

#include "Emblems.h"
#include "platform/ini/TntIniFile.h"
#include "shell/RegDLL.h"

#include <QDir>
#include <QScopeGuard>
#include <QStandardPaths>
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
    void hostileSelectionGetsItsBadge_data();
    void hostileSelectionGetsItsBadge();
    void largeSelectionGetsItsBadge_data();
    void largeSelectionGetsItsBadge();

private:
    static void press(const QStringList &sequence)
    {
        for (const QString &key : sequence) {
            QProcess::execute("xdotool", {"key", key});
            // A selection of thousands takes a while to select, and its
            // menu to build.
            QTest::qWait(key == u"ctrl+a" || key == u"shift+F10" ? 3000 : 400);
        }
    }

    // Until the window of program has focus and the keys reached it: once
    // more should they come before the folder was listed. GTK 4 takes keys
    // only once the view was clicked, and its menus focus the entry under
    // the pointer: with clickFirst the view is clicked, and the pointer then
    // leaves the window.
    static bool pressUntil(const QString &program, const QStringList &keys, const std::function<bool()> &done,
                           int waitMs, bool clickFirst = false)
    {
        QStringList focus{"search", "--sync", "--onlyvisible", "--class", program, "windowfocus", "--sync"};
        if (clickFirst)
            focus << QStringList{"mousemove", "--window", "%1", "450", "300", "click", "1", "mousemove", "1270", "890"};
        for (int attempt = 0; attempt < 5 && !done(); ++attempt) {
            QProcess::execute("xdotool", focus);
            QTest::qWait(1000);
            press(keys);
            (void)QTest::qWaitFor(done, waitMs);
        }
        return done();
    }

    XvfbDisplay m_display;
};

void TestHostileSelection::initTestCase()
{
    QVERIFY(m_display.start("1280x900x24"));
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
    // Select all, the context menu, Scripts > Badge > Badge 2.
    const auto marked = [&] {
        return TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", paths.last(), "") == u"2";
    };
    (void)pressUntil(program, QStringList{"Escape", "ctrl+a"} + keys, marked, 10000);
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

void TestHostileSelection::largeSelectionGetsItsBadge_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("systemFolder"); // empty: loaded from the build
    QTest::addColumn<QByteArrayList>("environment");
    QTest::addColumn<QStringList>("keys"); // after selecting all: to Badge 3
    const QStringList submenu{"shift+F10", "Up", "Up", "Right", "Down", "Down", "Return"};
#ifdef EMBLIX_CAJA_MODULE_FILE
    QTest::newRow("Caja") << "caja" << EMBLIX_CAJA_MODULE_FILE << QString()
                          << QByteArrayList{"CAJA_EXTENSION_DIRS=" + QFileInfo(EMBLIX_CAJA_MODULE_FILE).path().toUtf8()}
                          << submenu;
#endif
#ifdef EMBLIX_NEMO_MODULE_FILE
    QTest::newRow("Nemo") << "nemo" << EMBLIX_NEMO_MODULE_FILE << EMBLIX_NEMO_MODULE_DIR << QByteArrayList() << submenu;
#endif
#ifdef EMBLIX_NAUTILUS_MODULE_FILE
    // GTK 4's menus: a submenu opens on its own title, one row above its
    // first entry.
    QTest::newRow("Nautilus") << "nautilus" << EMBLIX_NAUTILUS_MODULE_FILE << EMBLIX_NAUTILUS_MODULE_DIR
                              << QByteArrayList{"GSK_RENDERER=cairo"}
                              << QStringList{"shift+F10", "Up", "Up", "Right", "Down", "Down", "Down", "Return"};
#endif
}

// 10 000 files whose paths are 267 bytes long: 2.7 MB of names, more than
// the kernel lets a command line carry. The native module hands them to the
// badge command on its standard input; every one gets its badge.
void TestHostileSelection::largeSelectionGetsItsBadge()
{
    QFETCH(QString, program);
    QFETCH(QString, module);
    QFETCH(QString, systemFolder);
    QFETCH(QByteArrayList, environment);
    QFETCH(QStringList, keys);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP("this file manager is not installed");
    SystemModule installed;
    if (!systemFolder.isEmpty() && !installed.place(module, systemFolder))
        QSKIP("the module's system folder cannot be written here (not root)");
    ExtensionFixture fx;
    RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll"));
    const auto unregister = qScopeGuard([&] { RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll")); });
    const QString shown = fx.item("many/");
    const QString filler(267 - shown.size() - 7, u'x');
    for (int i = 0; i < 10000; ++i)
        (void)QFile(shown + QStringLiteral("/%1-").arg(i, 5, 10, QChar(u'0')) + filler).open(QIODevice::WriteOnly);

    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QByteArray &setting : environment)
        variables.insert(setting.left(setting.indexOf('=')), setting.mid(setting.indexOf('=') + 1));
    FileManagerProcess manager;
    manager.setProcessEnvironment(variables);
    manager.start(program, {shown});
    QVERIFY(manager.waitForStarted());
    // The records, counted in the file's bytes (in either encoding the
    // store may have): cheap enough to ask every few milliseconds, even in
    // the sanitizer build.
    const QString prefix = shown + u'/';
    const auto allRecorded = [&] {
        QFile file(fx.folder.path("base.ini"));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QByteArray bytes = file.readAll();
        const QByteArray utf16(reinterpret_cast<const char *>(prefix.utf16()), prefix.size() * 2);
        return std::max(bytes.count(prefix.toUtf8()), bytes.count(utf16)) >= 10000;
    };
    // Listing 10 000 files takes the file manager a while (in the order the
    // folder holds them): a selection made before it ended is made again.
    QVERIFY(pressUntil(program, QStringList{"Escape", "ctrl+a"} + keys, allRecorded, 30000, true));
    TTntIniFile store(fx.folder.path("base.ini"));
    QStringList recorded;
    store.ReadSection("Files", recorded);
    // Only the selection, each file once: what the folder holds when all of
    // it was selected. A key that reached the view before its menu opened
    // may have made a new file there; selected with the rest, it is marked.
    QStringList selected;
    QStringList strays;
    for (const QString &name : QDir(shown).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        selected.append(prefix + name);
        if (!name.endsWith(filler))
            strays.append(name);
    }
    if (!strays.isEmpty())
        qInfo() << "made in the view by a stray key:" << strays;
    QVERIFY2(strays.size() < 3, qPrintable(strays.join(u'\n')));
    recorded.sort();
    selected.sort();
    QCOMPARE(recorded, selected);
    QCOMPARE(store.ReadString("Files", shown + "/00000-" + filler, ""), QStringLiteral("3"));
    QCOMPARE(store.ReadString("Files", shown + "/09999-" + filler, ""), QStringLiteral("3"));
    // The emblems come after the records, one file at a time.
    QTRY_COMPARE_WITH_TIMEOUT(Emblems::badgeOf(shown + "/09999-" + filler), 3, 60000);
}

QTEST_GUILESS_MAIN(TestHostileSelection)
#include "tst_HostileSelection.moc"
