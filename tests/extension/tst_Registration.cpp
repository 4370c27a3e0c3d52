#include "ExtensionFixture.h"

#include "Emblems.h"
#include "KeeperLock.h"
#include "platform/AppError.h"
#include "platform/TntIniFile.h"
#include "shell/RegDLL.h"
#include "shell/ShellIntegration.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QImage>
#include <QScopeGuard>
#include <QTest>

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
    void unreadableThunarFileStopsRegistering();

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
                if (path.contains("/gvfs-metadata"))
                    continue;
                files[path] = file.open(QIODevice::ReadOnly)
                                  ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                  : QByteArray("folder");
            }
        }
        return files;
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
    QTest::newRow("with the user's own Thunar action") << true;
    QTest::newRow("with no uca.xml yet") << false;
}

void TestRegistration::registerAndUnregister()
{
    QFETCH(bool, userHasActions);
    ExtensionFixture fx;
    const QByteArray userActions = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n"
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
    const QMap<QString, QByteArray> before = userFiles(fx);

    registerBoth(fx, true);
    const ShellIntegration::State state = ShellIntegration(fx.folder.folder()).readState();
    QVERIFY(state.menu && state.prop && state.all && state.folders);
    QString said;
    QVERIFY2(run("xmllint", {"--noout", uca}, &said) == 0, qPrintable(said));
    const QString thunar = QString::fromUtf8(readFile(uca));
    QCOMPARE(thunar.contains("<name>Öffne Terminal</name>"), userHasActions);
    QCOMPARE(thunar.count("<unique-id>emblix-badge-"), 12);
    QVERIFY(
        thunar.contains("<command>'" + fx.folder.path("emblix-badge") + "' '--window' 'set' '3' '--' %F</command>"));
    const QString autostart = fx.config("autostart/emblix-keeper.desktop");
    QVERIFY2(run("desktop-file-validate", {autostart}, &said) == 0, qPrintable(said));
    QCOMPARE(QDir(fx.data("nemo/actions")).entryList(QDir::Files).size(), 12);
    QCOMPARE(QDir(fx.data("nautilus/scripts/Badge")).entryList(QDir::Files).size(), 11);
    QCOMPARE(QDir(fx.config("caja/scripts/Badge")).entryList(QDir::Files).size(), 11);
    QVERIFY(QFileInfo(fx.data("kio/servicemenus/emblix-badge-menu.desktop")).isExecutable());
    // A script runs the command on the selection, relative to its folder.
    const QString script = fx.data("nautilus/scripts/Badge/Badge 2");
    const QString file = fx.item("picked.txt");
    QProcess scriptRun;
    scriptRun.setWorkingDirectory(fx.folder.rootPath("files"));
    scriptRun.start(script, {"picked.txt"});
    QVERIFY(scriptRun.waitForFinished(30000));
    QCOMPARE(TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", file, ""), "2");
    // The emblem images of the active icons, at every size.
    const QImage emblem(fx.data("icons/hicolor/48x48/emblems/emblix-badge-4.png"));
    QCOMPARE(emblem.size(), QSize(48, 48));
    QCOMPARE(QColor(emblem.pixel(24, 24)).rgb(), ExtensionFixture::badgeColour(4).rgb());
    QTRY_VERIFY(KeeperLock::holder().has_value());

    const QMap<QString, QByteArray> registered = userFiles(fx);
    registerBoth(fx, true);
    QCOMPARE(userFiles(fx), registered);

    registerBoth(fx, false);
    QVERIFY(!KeeperLock::holder());
    QCOMPARE(userFiles(fx), before);
    QCOMPARE(QFileInfo::exists(uca), userHasActions);
    if (userHasActions)
        QCOMPARE(readFile(uca), userActions);
    QVERIFY(!fx.folder.exists("registry"));
    QCOMPARE(Emblems::badgeOf(file), 0); // the emblem it set is gone; the record stays
    QCOMPARE(TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", file, ""), "2");
}

void TestRegistration::unreadableThunarFileStopsRegistering()
{
    ExtensionFixture fx;
    const QByteArray broken = "<actions><action><name>half";
    writeFile(fx.config("Thunar/uca.xml"), broken);
    const QMap<QString, QByteArray> before = userFiles(fx);
    QVERIFY_THROWS_EXCEPTION(AppError, RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll")));
    QCOMPARE(userFiles(fx), before);
    QCOMPARE(readFile(fx.config("Thunar/uca.xml")), broken);
    QVERIFY(!ShellIntegration(fx.folder.folder()).readState().all);
}

QTEST_GUILESS_MAIN(TestRegistration)
#include "tst_Registration.moc"
