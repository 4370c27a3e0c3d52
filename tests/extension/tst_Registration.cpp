#include "ExtensionFixture.h"

#include "EmblemLedger.h"
#include "Emblems.h"
#include "KeeperLock.h"
#include "ModuleMenus.h"
#include "UserFiles.h"
#include "platform/AppError.h"
#include "platform/ini/TntIniFile.h"
#include "shell/RegDLL.h"
#include "shell/ShellIntegration.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QImage>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

// Registering through the manager's own call: the menus of every file
// manager, the handler keys, the emblem images and the keeper appear, each
// file valid for its reader; unregistering leaves the per-user folders as
// they were, the user's own Thunar action included.
class TestRegistration : public QObject
{
    Q_OBJECT

private slots:
    void registerAndUnregister_data();
    void registerAndUnregister();
    void modulesAreFoundWhereTheirManagersLoadThem();
    void unreadableThunarFileStopsRegistering();
    void eachFolderOwnsItsRegistration();
    void failuresLeaveNothingAndAreReported();
    void filesAreTheUsersAlone();

private:
    // Every file below the per-user folders with a digest of its content.
    static QMap<QString, QByteArray> userFiles(const ExtensionFixture &fx)
    {
        QMap<QString, QByteArray> files;
        for (const QString &base : {fx.data(QString()), fx.config(QString())}) {
            QDirIterator it(base, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QFile file(path);
                // gvfs keeps its own metadata there: not the extension's.
                // The ledger's journal grows with each note, whatever it
                // says: what counts is what it holds (below).
                if (path.contains("/gvfs-metadata") || path.startsWith(EmblemLedger().fileName()))
                    continue;
                files[path] = file.open(QIODevice::ReadOnly)
                                  ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                  : QByteArray("folder");
            }
        }
        // Which paths it lists: a keeper's write under way marks an entry
        // unsure for a moment, whatever registering did.
        if (EmblemLedger().exists()) {
            const QHash<QString, int> ledger = EmblemLedger().read();
            for (auto it = ledger.cbegin(); it != ledger.cend(); ++it)
                files["ledger: " + it.key()] = "listed";
        }
        return files;
    }
    // The paths whose content differs between two takes, for the failure message.
    static QString changes(const QMap<QString, QByteArray> &now, const QMap<QString, QByteArray> &then)
    {
        QStringList changed;
        QSet<QString> paths(now.keyBegin(), now.keyEnd());
        paths.unite(QSet<QString>(then.keyBegin(), then.keyEnd()));
        for (const QString &path : std::as_const(paths)) {
            if (!now.contains(path) || !then.contains(path) || now[path] != then[path])
                changed << path + (now.contains(path) ? (then.contains(path) ? " changed" : " added") : " gone");
        }
        return changed.join(u'\n');
    }
    static QString writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void registerBoth(const ExtensionFixture &fx, bool on)
    {
        RegisterServerLibrary(on, fx.folder.path("SheetExt.dll"));
        RegisterServerLibrary(on, fx.folder.path("emblixmenu.dll"));
        if (!on)
            QVERIFY(ExtensionFixture::takeOffEnded());
    }
    static int run(const QString &program, const QStringList &arguments, QString *output = nullptr)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        process.waitForFinished(30000);
        if (output)
            *output = QString::fromUtf8(process.readAll());
        return process.exitCode();
    }
};

void TestRegistration::registerAndUnregister_data()
{
    QTest::addColumn<bool>("userHasActions");
    QTest::addColumn<QByteArray>("declaration");
    const QByteArray current = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    QTest::newRow("with the user's own Thunar action") << true << current;
    // Thunar before 4.15 wrote the attributes the other way round, and still reads them.
    QTest::newRow("with a uca.xml of an older Thunar")
        << true << QByteArray("<?xml encoding=\"UTF-8\" version=\"1.0\"?>");
    QTest::newRow("with no uca.xml yet") << false << current;
}

void TestRegistration::registerAndUnregister()
{
    QFETCH(bool, userHasActions);
    QFETCH(QByteArray, declaration);
    ExtensionFixture fx;
    const QByteArray userActions = declaration
                                   + "\n<actions>\n<action>\n"
                                     "\t<icon>utilities-terminal</icon>\n\t<name>Öffne Terminal</name>\n"
                                     "\t<unique-id>1700000000000000-1</unique-id>\n"
                                     "\t<command>exo-open --launch TerminalEmulator</command>\n"
                                     "\t<patterns>*</patterns>\n\t<directories/>\n</action>\n</actions>\n";
    const QString uca = fx.config("Thunar/uca.xml");
    // The per-user folders outlive the fixture (gvfs keeps them): the next
    // row starts without this row's file.
    const auto removeUca = qScopeGuard([&] {
        QFile::remove(uca);
        QDir().rmdir(QFileInfo(uca).path());
    });
    if (userHasActions)
        writeFile(uca, userActions);
    // The user's own entries beside the integration's stay as they are.
    const QStringList own{writeFile(fx.data("nemo/actions/mine.nemo_action"), "[Nemo Action]\nName=Mine\n"),
                          writeFile(fx.config("caja/scripts/Badge/Mine"), "#!/bin/sh\n"),
                          writeFile(fx.data("kio/servicemenus/mine.desktop"), "[Desktop Entry]\n"),
                          writeFile(fx.config("autostart/mine.desktop"), "[Desktop Entry]\n")};
    const auto removeOwn = qScopeGuard([&] {
        for (const QString &path : own)
            UserFiles::removeFile(path, path.startsWith(fx.data("")) ? fx.data("") : fx.config(""));
    });
    const QMap<QString, QByteArray> before = userFiles(fx);

    registerBoth(fx, true);
    const ShellIntegration::State state = ShellIntegration(fx.folder.folder()).readState();
    QVERIFY(state.menu && state.prop && state.all && state.folders);
    QString said;
    // xmllint reads only the current declaration; Thunar reads both.
    if (!declaration.startsWith("<?xml encoding"))
        QVERIFY2(run("xmllint", {"--noout", uca}, &said) == 0, qPrintable(said));
    const QString thunar = QString::fromUtf8(readFile(uca));
    QCOMPARE(thunar.contains("<name>Öffne Terminal</name>"), userHasActions);
    QCOMPARE(thunar.count("<unique-id>emblix-badge-"), 12);
    QVERIFY(
        thunar.contains("<command>'" + fx.folder.path("emblix-badge") + "' '--window' 'set' '3' '--' %F</command>"));
    const QString autostart = fx.config("autostart/emblix-keeper.desktop");
    QVERIFY2(run("desktop-file-validate", {autostart}, &said) == 0, qPrintable(said));
    // A file manager whose module is installed gets its menus from the
    // module alone, which reads them from the user's configuration.
    const auto perUser = [](ModuleMenus::Manager manager, qsizetype entries) {
        return ModuleMenus::moduleInstalled(manager) ? 0 : entries;
    };
    QCOMPARE(QDir(fx.data("nemo/actions")).entryList(QDir::Files).size(), 1 + perUser(ModuleMenus::Manager::Nemo, 12));
    QCOMPARE(QDir(fx.data("nautilus/scripts/Badge")).entryList(QDir::Files).size(),
             perUser(ModuleMenus::Manager::Nautilus, 11));
    QCOMPARE(QDir(fx.config("caja/scripts/Badge")).entryList(QDir::Files).size(),
             1 + perUser(ModuleMenus::Manager::Caja, 11)); // and the user's
    QCOMPARE(QDir(fx.config("emblix-manager/file-manager-menus")).entryList(QDir::Files).size(), 2);
    QCOMPARE(QFileInfo(fx.data("kio/servicemenus/emblix-badge-menu.desktop")).isExecutable(),
             !ModuleMenus::moduleInstalled(ModuleMenus::Manager::Dolphin));
    // A script runs the command on the selection, relative to its folder.
    const QString script = perUser(ModuleMenus::Manager::Nautilus, 1) ? fx.data("nautilus/scripts/Badge/Badge 2")
                                                                      : fx.config("caja/scripts/Badge/Badge 2");
    const QString file = fx.item("picked.txt");
    if (QFileInfo::exists(script)) {
        QProcess scriptRun;
        scriptRun.setWorkingDirectory(fx.folder.rootPath("files"));
        scriptRun.start(script, {"picked.txt"});
        QVERIFY(scriptRun.waitForFinished(30000));
        QCOMPARE(TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", file, ""), "2");
    } else {
        QCOMPARE(fx.badge({"set", "2", file}), 0);
    }
    // The emblem images of the active icons, at every size.
    const QImage emblem(fx.data("icons/hicolor/48x48/emblems/emblix-badge-4.png"));
    QCOMPARE(emblem.size(), QSize(48, 48));
    QCOMPARE(QColor(emblem.pixel(24, 24)).rgb(), ExtensionFixture::badgeColour(4).rgb());
    QTRY_VERIFY_WITH_TIMEOUT(KeeperLock::holder().has_value(), kKeeperStartMs);

    const QMap<QString, QByteArray> registered = userFiles(fx);
    registerBoth(fx, true);
    QVERIFY2(userFiles(fx) == registered, qPrintable(changes(userFiles(fx), registered)));

    // Files of ours the user made their own (our mark gone) stay theirs;
    // the autostart entry among them must not pass for a new registration
    // and keep the background take-off running as a keeper.
    const QStringList adopted{fx.config("autostart/emblix-keeper.desktop"),
                              fx.config("emblix-manager/file-manager-menus/emblix-badge-menu.ini")};
    for (const QString &path : adopted)
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    const QByteArray theirs = "[Desktop Entry]\nType=Application\nName=Mine\nExec=true\n";
    for (const QString &path : adopted)
        writeFile(path, theirs);

    registerBoth(fx, false);
    QVERIFY(ExtensionFixture::takeOffEnded());
    for (const QString &path : adopted) {
        QCOMPARE(readFile(path), theirs);
        QVERIFY(QFile::remove(path));
        UserFiles::removeEmptyFolders(QFileInfo(path).path(), fx.data(QString()));
        UserFiles::removeEmptyFolders(QFileInfo(path).path(), fx.config(QString()));
    }
    QVERIFY2(userFiles(fx) == before, qPrintable(changes(userFiles(fx), before)));
    QCOMPARE(QFileInfo::exists(uca), userHasActions);
    if (userHasActions)
        QCOMPARE(readFile(uca), userActions);
    QVERIFY(!fx.folder.exists("registry"));
    QCOMPARE(Emblems::badgeOf(file), 0); // the emblem it set is gone; the record stays
    QCOMPARE(TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", file, ""), "2");
}

void TestRegistration::modulesAreFoundWhereTheirManagersLoadThem()
{
    // Beside the system folders, Caja loads from CAJA_EXTENSION_DIRS and
    // Dolphin from QT_PLUGIN_PATH: a module there gives that file manager's
    // menus, and only that file manager's.
    QTemporaryDir folder;
    const auto place = [&](const QString &path) {
        return QDir().mkpath(QFileInfo(path).path()) && QFile(path).open(QIODevice::WriteOnly);
    };
    QVERIFY(place(folder.filePath("caja/emblix-caja.so")));
    QVERIFY(place(folder.filePath("qt/kf5/kfileitemaction/emblix-dolphin-actions.so")));
    const bool nemoBefore = ModuleMenus::moduleInstalled(ModuleMenus::Manager::Nemo);
    const bool cajaBefore = ModuleMenus::moduleInstalled(ModuleMenus::Manager::Caja);
    qputenv("CAJA_EXTENSION_DIRS", "/nowhere:" + QFile::encodeName(folder.filePath("caja")));
    qputenv("QT_PLUGIN_PATH", QFile::encodeName(folder.filePath("qt")));
    const auto restore = qScopeGuard([] {
        qunsetenv("CAJA_EXTENSION_DIRS");
        qunsetenv("QT_PLUGIN_PATH");
    });
    QVERIFY(ModuleMenus::moduleInstalled(ModuleMenus::Manager::Caja));
    QVERIFY(ModuleMenus::moduleInstalled(ModuleMenus::Manager::Dolphin));
    QCOMPARE(ModuleMenus::moduleInstalled(ModuleMenus::Manager::Nemo), nemoBefore);
    qputenv("CAJA_EXTENSION_DIRS", QFile::encodeName(folder.filePath("qt")));
    QCOMPARE(ModuleMenus::moduleInstalled(ModuleMenus::Manager::Caja), cajaBefore);
}

void TestRegistration::unreadableThunarFileStopsRegistering()
{
    ExtensionFixture fx;
    const QByteArray broken = "<actions><action><name>half";
    writeFile(fx.config("Thunar/uca.xml"), broken);
    const auto removeBroken = qScopeGuard([&] { QDir(fx.config("Thunar")).removeRecursively(); });
    const QMap<QString, QByteArray> before = userFiles(fx);
    QVERIFY_THROWS_EXCEPTION(AppError, RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll")));
    QVERIFY2(userFiles(fx) == before, qPrintable(changes(userFiles(fx), before)));
    QCOMPARE(readFile(fx.config("Thunar/uca.xml")), broken);
    QVERIFY(!ShellIntegration(fx.folder.folder()).readState().all);
}

void TestRegistration::eachFolderOwnsItsRegistration()
{
    ExtensionFixture a;
    ExtensionFixture b;
    const QMap<QString, QByteArray> before = userFiles(a);
    // Through a pipe, as "reg register emblixmenu.dll | cat" runs it: the
    // keeper it starts must not hold the pipe open.
    QProcess piped;
    piped.start("sh", {"-c", "\"$0\" register \"$1\" | cat", QStringLiteral(EMBLIX_REGISTER_LIBRARY),
                       a.folder.path("emblixmenu.dll")});
    QVERIFY2(piped.waitForFinished(30000), "registering through a pipe did not return");
    QVERIFY2(piped.readAllStandardOutput() == "DllRegisterServer: 0\n", piped.readAllStandardError().constData());
    QTRY_COMPARE_WITH_TIMEOUT(KeeperLock::holder().value_or(KeeperLock::Holder()).programFolder, a.folder.path("."),
                              kKeeperStartMs);

    // The folder that registered last is served, and the one it took the
    // menus from shows as not registered; unregistering that one leaves it
    // all.
    RegisterServerLibrary(true, b.folder.path("emblixmenu.dll"));
    QTRY_COMPARE_WITH_TIMEOUT(KeeperLock::holder().value_or(KeeperLock::Holder()).programFolder, b.folder.path("."),
                              kKeeperStartMs);
    QVERIFY(!ShellIntegration(a.folder.folder()).readState().menu);
    const QMap<QString, QByteArray> ofB = userFiles(b);
    RegisterServerLibrary(false, a.folder.path("emblixmenu.dll"));
    QVERIFY(!ShellIntegration(a.folder.folder()).readState().menu);
    QVERIFY(ShellIntegration(b.folder.folder()).readState().menu);
    QVERIFY2(userFiles(b) == ofB, qPrintable(changes(userFiles(b), ofB)));
    QCOMPARE(KeeperLock::holder().value_or(KeeperLock::Holder()).programFolder, b.folder.path("."));

    RegisterServerLibrary(false, b.folder.path("emblixmenu.dll"));
    QVERIFY(ExtensionFixture::takeOffEnded());
    QVERIFY2(userFiles(b) == before, qPrintable(changes(userFiles(b), before)));
}

void TestRegistration::failuresLeaveNothingAndAreReported()
{
    ExtensionFixture fx;
    // No autostart folder can be made (even root cannot write into a file).
    QDir(fx.config("autostart")).removeRecursively();
    const QString autostart = writeFile(fx.config("autostart"), "not a folder");
    const auto removeAutostart = qScopeGuard([&] { QFile::remove(autostart); });
    const QMap<QString, QByteArray> before = userFiles(fx);
    QVERIFY_THROWS_EXCEPTION(AppError, RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll")));
    QVERIFY2(userFiles(fx) == before, qPrintable(changes(userFiles(fx), before)));
    QVERIFY(!ShellIntegration(fx.folder.folder()).readState().menu);
    // The entry point names the reason the system gave.
    QProcess entry;
    entry.start(QStringLiteral(EMBLIX_REGISTER_LIBRARY), {"register", fx.folder.path("emblixmenu.dll")});
    QVERIFY(entry.waitForFinished(kKeeperStartMs));
    const QString said = QString::fromLocal8Bit(entry.readAllStandardError());
    QVERIFY2(said.contains(autostart + u'/') && said.contains(qt_error_string(ENOTDIR)), qPrintable(said));
    QVERIFY2(userFiles(fx) == before, qPrintable(changes(userFiles(fx), before)));
    QVERIFY(ExtensionFixture::takeOffEnded());
    QFile::remove(autostart);
    const QMap<QString, QByteArray> clean = userFiles(fx);

    // A file that cannot be removed (immutable, so even for root) is
    // reported; once it can be, unregistering ends the work.
    RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll"));
    const QString scripts = fx.data("kio/servicemenus");
    if (run("chattr", {"+i", scripts}) != 0) {
        RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll"));
        QSKIP("no immutable files on this file system");
    }
    const auto mutable_ = qScopeGuard([&] { run("chattr", {"-i", scripts}); });
    QVERIFY_THROWS_EXCEPTION(AppError, RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll")));
    QCOMPARE(run("chattr", {"-i", scripts}), 0);
    RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll"));
    QVERIFY(ExtensionFixture::takeOffEnded());
    QVERIFY2(userFiles(fx) == clean, qPrintable(changes(userFiles(fx), clean)));
}

void TestRegistration::filesAreTheUsersAlone()
{
    ExtensionFixture fx;
    const mode_t umaskBefore = ::umask(0);
    const auto restore = qScopeGuard([&] { ::umask(umaskBefore); });
    registerBoth(fx, true);
    const auto unregister = qScopeGuard([&] { registerBoth(fx, false); });
    QCOMPARE(fx.badge({"set", "2", fx.item("marked.txt")}), 0);
    const auto modeOf = [](const QString &path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    };
    QCOMPARE(modeOf(fx.config("autostart/emblix-keeper.desktop")), 0600u);
    QCOMPARE(modeOf(fx.config("emblix-manager/file-manager-menus/emblix-badge-menu.ini")), 0600u);
    if (!ModuleMenus::moduleInstalled(ModuleMenus::Manager::Nemo))
        QCOMPARE(modeOf(fx.data("nemo/actions/emblix-badge-menu-01-1.nemo_action")), 0600u);
    if (!ModuleMenus::moduleInstalled(ModuleMenus::Manager::Caja)) {
        QCOMPARE(modeOf(fx.config("caja/scripts/Badge/Badge 1")), 0700u);
        QCOMPARE(modeOf(fx.config("caja/scripts/Badge")), 0700u);
    }
    QCOMPARE(modeOf(fx.data("emblix-manager")), 0700u);
    QCOMPARE(modeOf(EmblemLedger().journalName()), 0600u);
    QCOMPARE(modeOf(fx.folder.path("base.ini")) & 022, 0u);
}

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_Registration.moc"
