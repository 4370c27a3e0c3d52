#include "TestFolder.h"

#include "platform/AppError.h"
#include "platform/Registry.h"
#include "platform/ini/TntIniFile.h"
#include "shell/IntegrationController.h"
#include "shell/RegDLL.h"
#include "shell/ShellIntegration.h"

#include <QDir>
#include <QTest>

// The shell extension's state and registration with the stand-in libraries
// and the folder tree that stands for HKEY_CLASSES_ROOT.
class TestShellIntegration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startUpCheck_data();
    void startUpCheck();
    void keyWithoutFullAccessCountsAsAbsent();
    void registersThenUnregisters();
    void missingLibraryStopsEverything();
    void missingEntryPoint();
    void failingEntryPointStopsBeforeTheMenu();
    void failedToolbarWriteIsReported();
    void eachBoxDrivesItsOwnLibrary();

private:
    void copyLibrary(const QString &from, const QString &as);
    void makeKey(const QString &key);
    bool keyExists(const QString &key) const;

    std::unique_ptr<TestFolder> m_folder;
};

void TestShellIntegration::init()
{
    m_folder = std::make_unique<TestFolder>();
}

void TestShellIntegration::copyLibrary(const QString &from, const QString &as)
{
    QFile::remove(m_folder->path(as));
    QVERIFY(QFile::copy(from, m_folder->path(as)));
}

void TestShellIntegration::makeKey(const QString &key)
{
    QString relative = key;
    relative.replace('\\', '/');
    QDir().mkpath(Registry::classesRootFolder(m_folder->folder()) + '/' + relative);
}

bool TestShellIntegration::keyExists(const QString &key) const
{
    return Registry::canOpenClassesRootKey(m_folder->folder(), key);
}

void TestShellIntegration::startUpCheck_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("menu");
    QTest::addColumn<bool>("prop");
    QTest::newRow("none") << QStringList{} << false << false;
    QTest::newRow("only the file menu") << QStringList{ShellIntegration::kFileMenuKey} << false << false;
    QTest::newRow("only the property page") << QStringList{ShellIntegration::kPropertySheetKey} << false << true;
    QTest::newRow("both menus") << QStringList{ShellIntegration::kFileMenuKey, ShellIntegration::kFolderMenuKey} << true
                                << false;
    QTest::newRow("all") << QStringList{ShellIntegration::kFileMenuKey, ShellIntegration::kFolderMenuKey,
                                        ShellIntegration::kPropertySheetKey}
                         << true << true;
}

void TestShellIntegration::startUpCheck()
{
    QFETCH(QStringList, keys);
    QFETCH(bool, menu);
    QFETCH(bool, prop);
    for (const QString &key : keys)
        makeKey(key);
    const ShellIntegration::State state = ShellIntegration(m_folder->folder()).readState();
    QCOMPARE(state.menu, menu);
    QCOMPARE(state.prop, prop);
    QCOMPARE(state.all, keys.contains(ShellIntegration::kFileMenuKey));
    QCOMPARE(state.folders, keys.contains(ShellIntegration::kFolderMenuKey));
}

void TestShellIntegration::keyWithoutFullAccessCountsAsAbsent()
{
    makeKey(ShellIntegration::kPropertySheetKey);
    const QString folder =
        Registry::classesRootFolder(m_folder->folder()) + "/*/shellex/PropertySheetHandlers/Varnick.EmblixProp.1";
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QVERIFY(!ShellIntegration(m_folder->folder()).readState().prop);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestShellIntegration::registersThenUnregisters()
{
    copyLibrary(EMBLIX_DEMO_DIR "/SheetExt.dll", "SheetExt.dll");
    copyLibrary(EMBLIX_DEMO_DIR "/emblixmenu.dll", "emblixmenu.dll");
    const ShellIntegration shell(m_folder->folder());
    shell.apply(true, true, "Pastel");
    QVERIFY(keyExists(ShellIntegration::kPropertySheetKey));
    QVERIFY(keyExists(ShellIntegration::kFileMenuKey));
    QVERIFY(keyExists(ShellIntegration::kFolderMenuKey));
    QCOMPARE(TTntIniFile(m_folder->path("settings.ini")).ReadString("Toolbar", "Name", ""), "Pastel");
    // The next start sees them; twice in a row calls the entry points again.
    QVERIFY(shell.readState().menu);
    shell.apply(true, true, "Pastel");
    shell.apply(false, true, "");
    QVERIFY(keyExists(ShellIntegration::kPropertySheetKey));
    QVERIFY(!keyExists(ShellIntegration::kFileMenuKey));
    QVERIFY(!shell.readState().menu);
    QCOMPARE(TTntIniFile(m_folder->path("settings.ini")).ReadString("Toolbar", "Name", "<none>"), "");
    shell.apply(false, false, "");
    QVERIFY(!keyExists(ShellIntegration::kPropertySheetKey));
}

void TestShellIntegration::missingLibraryStopsEverything()
{
    copyLibrary(EMBLIX_DEMO_DIR "/emblixmenu.dll", "emblixmenu.dll");
    const QString path = m_folder->path("SheetExt.dll");
    try {
        ShellIntegration(m_folder->folder()).apply(true, true, "Pastel");
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QVERIFY2(error.message().endsWith(": " + path), qPrintable(error.message()));
        QVERIFY(error.message().size() > path.size() + 2);
        QVERIFY(!error.message().startsWith(path));
    }
    QVERIFY(!keyExists(ShellIntegration::kFileMenuKey));
    QVERIFY(!m_folder->exists("settings.ini"));
}

void TestShellIntegration::missingEntryPoint()
{
    copyLibrary(EMBLIX_STANDIN_TEST_DIR "/NoEntry.dll", "SheetExt.dll");
    QVERIFY_THROWS_EXCEPTION(AppError, RegisterServerLibrary(true, m_folder->path("SheetExt.dll")));
    try {
        RegisterServerLibrary(false, m_folder->path("SheetExt.dll"));
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), "A call to an OS function failed");
    }
}

void TestShellIntegration::failingEntryPointStopsBeforeTheMenu()
{
    copyLibrary(EMBLIX_STANDIN_TEST_DIR "/Failing.dll", "SheetExt.dll");
    copyLibrary(EMBLIX_DEMO_DIR "/emblixmenu.dll", "emblixmenu.dll");
    const QString path = m_folder->path("SheetExt.dll");
    try {
        ShellIntegration(m_folder->folder()).apply(true, false, "Pastel");
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), "DllUnregisterServer in " + path + " failed.");
    }
    QVERIFY(!keyExists(ShellIntegration::kFileMenuKey));
    QVERIFY(!m_folder->exists("settings.ini"));
}

void TestShellIntegration::failedToolbarWriteIsReported()
{
    copyLibrary(EMBLIX_DEMO_DIR "/SheetExt.dll", "SheetExt.dll");
    copyLibrary(EMBLIX_DEMO_DIR "/emblixmenu.dll", "emblixmenu.dll");
    QDir().mkpath(m_folder->path("settings.ini"));
    try {
        ShellIntegration(m_folder->folder()).apply(true, true, "Pastel");
        QFAIL("no error raised");
    } catch (const AppError &error) {
        QCOMPARE(error.message(), "Unable to write to " + m_folder->path("settings.ini"));
    }
    QVERIFY(keyExists(ShellIntegration::kFileMenuKey));
}

void TestShellIntegration::eachBoxDrivesItsOwnLibrary()
{
    copyLibrary(EMBLIX_DEMO_DIR "/SheetExt.dll", "SheetExt.dll");
    copyLibrary(EMBLIX_DEMO_DIR "/emblixmenu.dll", "emblixmenu.dll");
    makeKey(ShellIntegration::kPropertySheetKey);
    IntegrationController page(m_folder->folder());
    page.readShellState();
    QVERIFY(page.isChecked(u"cb_Prop"));
    QVERIFY(!page.isChecked(u"cb_Menu"));

    // cb_Menu drives the menus of emblixmenu.dll; cb_Prop the property page.
    page.setChecked(u"cb_Menu", true);
    page.setChecked(u"cb_Prop", false);
    page.Button1Click("Mono");
    QVERIFY(keyExists(ShellIntegration::kFileMenuKey) && keyExists(ShellIntegration::kFolderMenuKey));
    QVERIFY(!keyExists(ShellIntegration::kPropertySheetKey));
    QCOMPARE(TTntIniFile(m_folder->path("settings.ini")).ReadString("Toolbar", "Name", ""), "Mono");

    page.setChecked(u"cb_Menu", false);
    page.setChecked(u"cb_Prop", true);
    page.Button1Click("Mono");
    QVERIFY(!keyExists(ShellIntegration::kFileMenuKey) && !keyExists(ShellIntegration::kFolderMenuKey));
    QVERIFY(keyExists(ShellIntegration::kPropertySheetKey));
    page.readShellState();
    QVERIFY(page.isChecked(u"cb_Prop") && !page.isChecked(u"cb_Menu"));
    // Unknown names are no boxes.
    page.setChecked(u"cb_Other", true);
    QVERIFY(!page.isChecked(u"cb_Other"));
}

QTEST_GUILESS_MAIN(TestShellIntegration)
#include "tst_ShellIntegration.moc"
