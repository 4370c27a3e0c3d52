#include "ExtensionFixture.h"

#include "EmblemLedger.h"
#include "Emblems.h"
#include "platform/ini/TntIniFile.h"

#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

// The badge command on real files: records in base.ini, emblems in the
// file's GIO metadata, other emblems of the file left alone.
class TestBadgeCommand : public QObject
{
    Q_OBJECT

private slots:
    void setChangeAndClear();
    void spellingsAreSeparateFiles();
    void oddPathsAreRefusedAlone();
    void manyPathsWithAWriterAlongside();
    void namesAreNeverOptions();
    void pathsAsTheKernelResolvesThem();
    void faultsAreToldExactly();

private:
    static QString record(const ExtensionFixture &fx, const QString &path)
    {
        return TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", path, "<none>");
    }
    // The gvfs metadata daemon of this test's own session bus.
    static qint64 metadataDaemon()
    {
        const QByteArray bus = "DBUS_SESSION_BUS_ADDRESS=" + qgetenv("DBUS_SESSION_BUS_ADDRESS");
        for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
            QFile command("/proc/" + pid + "/cmdline");
            QFile environment("/proc/" + pid + "/environ");
            if (command.open(QIODevice::ReadOnly) && command.readAll().contains("gvfsd-metadata")
                && environment.open(QIODevice::ReadOnly) && environment.readAll().split('\0').contains(bus))
                return pid.toLongLong();
        }
        return 0;
    }
    static QStringList emblems(const QString &path)
    {
        QProcess gio;
        gio.start("gio", {"info", "-a", "metadata::emblems", path});
        gio.waitForFinished();
        const QString text = QString::fromUtf8(gio.readAllStandardOutput());
        const qsizetype at = text.indexOf("metadata::emblems: [");
        return at < 0 ? QStringList() : text.mid(at + 20).section(u']', 0, 0).split(", ");
    }
};

void TestBadgeCommand::setChangeAndClear()
{
    ExtensionFixture fx;
    const QString file = fx.item("report.txt");
    const QString folder = fx.item("photos/");
    QVERIFY(QProcess::execute("gio", {"set", "-t", "stringv", file, "metadata::emblems", "emblem-important"}) == 0);

    QCOMPARE(fx.badge({"set", "3", file, folder + "/"}), 0);
    QCOMPARE(record(fx, file), "3");
    QCOMPARE(record(fx, folder), "3"); // the trailing separator is not part of the key
    QCOMPARE(emblems(file), QStringList({"emblem-important", "emblix-badge-3"}));
    QCOMPARE(Emblems::badgeOf(folder), 3);

    QCOMPARE(fx.badge({"set", "7", file}), 0);
    QCOMPARE(record(fx, file), "7");
    QCOMPARE(emblems(file), QStringList({"emblem-important", "emblix-badge-7"}));
    QByteArray shown;
    QCOMPARE(fx.badge({"show", file, fx.item("other.txt")}, &shown), 0);
    QCOMPARE(shown, (QStringLiteral("7\t%1\n-\t%2\n").arg(file, fx.item("other.txt")).toUtf8()));

    QCOMPARE(fx.badge({"clear", file, folder}), 0);
    QCOMPARE(record(fx, file), "<none>");
    QCOMPARE(record(fx, folder), "<none>");
    QCOMPARE(emblems(file), QStringList{"emblem-important"});
    QCOMPARE(Emblems::badgeOf(folder), 0);
    QCOMPARE(EmblemLedger().read(), (QHash<QString, int>()));
}

void TestBadgeCommand::spellingsAreSeparateFiles()
{
    ExtensionFixture fx;
    const QString upper = fx.item("Notes.txt");
    const QString lower = fx.item("notes.txt");
    QCOMPARE(fx.badge({"set", "2", upper}), 0);
    QCOMPARE(fx.badge({"set", "5", lower}), 0);
    QCOMPARE(fx.badge({"clear", upper}), 0);
    QCOMPARE(record(fx, lower), "5");
    QCOMPARE(Emblems::badgeOf(lower), 5);
    QStringList keys;
    TTntIniFile(fx.folder.path("base.ini")).ReadSection("Files", keys);
    QCOMPARE(keys, QStringList{lower});
}

void TestBadgeCommand::oddPathsAreRefusedAlone()
{
    ExtensionFixture fx;
    const QString good = fx.item("good.txt");
    const QStringList odd{fx.item("ends in blank "), fx.item("a=b.txt"), fx.item("two\nlines")};
    QCOMPARE(fx.badge(QStringList{"set", "4", "--"} + odd + QStringList{good}), 1);
    QCOMPARE(record(fx, good), "4");
    for (const QString &path : odd)
        QVERIFY2(fx.stderrText.contains(u'"' + path + "\": "), qPrintable(fx.stderrText));
    QCOMPARE(fx.stderrText.count("cannot be marked"), 3);
    QStringList keys;
    TTntIniFile(fx.folder.path("base.ini")).ReadSection("Files", keys);
    QCOMPARE(keys, QStringList{good});

    QCOMPARE(fx.badge({"set", "11", good}), 2);
    QCOMPARE(fx.badge({"set", "4", fx.folder.rootPath("files/missing.txt")}), 1);
    QVERIFY(fx.stderrText.contains("no such file or folder"));
}

void TestBadgeCommand::namesAreNeverOptions()
{
    ExtensionFixture fx;
    // Alone, --help and --version answer on standard output; no command is
    // a usage error on standard error.
    QByteArray output;
    QCOMPARE(fx.badge({"--help"}, &output), 0);
    QVERIFY(output.startsWith("Usage: emblix-badge"));
    QCOMPARE(fx.badge({"--version"}, &output), 0);
    QVERIFY2(output.startsWith("emblix-badge ") && output.endsWith('\n'), output.constData());
    QCOMPARE(fx.badge({}, &output), 2);
    QVERIFY(output.isEmpty() && fx.stderrText.startsWith("Usage: emblix-badge"));

    // Caja and Nautilus pass names relative to the folder shown, as typed:
    // a file named like a Qt option must reach the command as a name.
    const QString option = fx.item("-platform");
    const QString value = fx.item("xyz");
    const QString pluginPath = fx.item("--platformpluginpath/");
    QProcess command;
    command.setWorkingDirectory(fx.folder.rootPath("files"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", ":0");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    command.setProcessEnvironment(environment);
    command.start(fx.folder.path("emblix-badge"),
                  {"--window", "set", "1", "--", "-platform", "xyz", "--platformpluginpath"});
    QVERIFY(command.waitForFinished(60000));
    QCOMPARE(command.exitStatus(), QProcess::NormalExit);
    QCOMPARE(command.exitCode(), 0);
    for (const QString &path : {option, value, pluginPath})
        QCOMPARE(record(fx, path), "1");

    // Their own list of the selection is exact where the arguments are not
    // (GLib expanded "%o" in "50%off.txt"); a name holding a line break
    // would split into other paths there, so then nothing is marked.
    const QStringList exact{fx.item("50%off.txt"), fx.item("report%20final.txt"), fx.item("x%cy")};
    for (const QString &path : exact)
        fx.item(QFileInfo(path).fileName().remove(u'%').remove("20").remove("o"));
    environment.insert("CAJA_SCRIPT_SELECTED_FILE_PATHS", exact.join(u'\n') + u'\n');
    command.setProcessEnvironment(environment);
    command.start(fx.folder.path("emblix-badge"), {"--selection-from", "CAJA_SCRIPT_SELECTED_FILE_PATHS", "set", "5",
                                                   "--", "50ff.txt", "report0final.txt", "xBadgey"});
    QVERIFY(command.waitForFinished(60000));
    QCOMPARE(command.exitCode(), 0);
    QStringList keys;
    TTntIniFile(fx.folder.path("base.ini")).ReadSection("Files", keys);
    QCOMPARE(keys, (QStringList{option, value, pluginPath} + exact));
    environment.insert("CAJA_SCRIPT_SELECTED_FILE_PATHS", exact.join(u'\n') + u'\n');
    command.setProcessEnvironment(environment);
    command.start(fx.folder.path("emblix-badge"),
                  {"--selection-from", "CAJA_SCRIPT_SELECTED_FILE_PATHS", "clear", "--", "one", "two"});
    QVERIFY(command.waitForFinished(60000));
    QCOMPARE(command.exitCode(), 1);
    QCOMPARE(record(fx, exact[0]), "5");

    // The file managers' own menus hand the names over on standard input,
    // ended by NULs: any name, a leading "-" included.
    const QStringList piped{fx.item("tab\there \"q\""), fx.item("-rf"), fx.item("50%off.txt")};
    QCOMPARE(fx.badge({"--files0-from", "-", "set", "6"}, nullptr, QFile::encodeName(piped.join(QChar(0))) + '\0'), 0);
    for (const QString &path : piped)
        QCOMPARE(record(fx, path), "6");
    QCOMPARE(fx.badge({"--files0-from", fx.folder.rootPath("files"), "clear"}), 1);
    QVERIFY(fx.stderrText.contains("the list of paths cannot be read"));
    QCOMPARE(record(fx, piped[0]), "6");
}

void TestBadgeCommand::pathsAsTheKernelResolvesThem()
{
    // "link/../file" is the file beside the link's target; a decoy stands
    // where a lexical clean-up would point.
    ExtensionFixture fx;
    const QString real = fx.item("real/file.txt");
    fx.item("real/sub/");
    const QString decoy = fx.item("file.txt");
    QVERIFY(QFile::link(fx.folder.rootPath("files/real/sub"), fx.folder.rootPath("files/link")));
    QProcess command;
    command.setWorkingDirectory(fx.folder.rootPath("files"));
    command.start(fx.folder.path("emblix-badge"), {"set", "6", "link/../file.txt"});
    QVERIFY(command.waitForFinished(60000));
    QCOMPARE(command.exitCode(), 0);
    QCOMPARE(record(fx, real), "6");
    QCOMPARE(record(fx, decoy), "<none>");
    QCOMPARE(Emblems::badgeOf(decoy), 0);
}

void TestBadgeCommand::faultsAreToldExactly()
{
    ExtensionFixture fx;
    // Taking the badge off a file already gone removes its record: done.
    const QString gone = fx.item("gone.txt");
    QCOMPARE(fx.badge({"set", "2", gone}), 0);
    QVERIFY(QFile::remove(gone));
    QCOMPARE(fx.badge({"clear", gone}), 0);
    QCOMPARE(record(fx, gone), "<none>");

    // Run as root, the command leaves another owner's file as it was.
    if (geteuid() == 0) {
        const QString theirs = fx.item("theirs.txt");
        QCOMPARE(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        struct stat before {};
        ::stat(QFile::encodeName(theirs).constData(), &before);
        QThread::msleep(20);
        QCOMPARE(fx.badge({"set", "5", theirs}), 0);
        struct stat after {};
        ::stat(QFile::encodeName(theirs).constData(), &after);
        QCOMPARE(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
        QCOMPARE(Emblems::badgeOf(theirs), 5);
    }

    // Hundreds of refused names make one bounded report.
    QStringList refused;
    for (int i = 0; i < 300; ++i)
        refused << fx.item(QStringLiteral("blank at the end %1 ").arg(i));
    QCOMPARE(fx.badge(QStringList{"set", "1", "--"} + refused), 1);
    QCOMPARE(fx.stderrText.count(u'\n'), 11);
    QVERIFY2(fx.stderrText.contains("290"), qPrintable(fx.stderrText));

    // With the emblem store stopped, a sync says which files it set aside
    // and fails, rather than report nothing done as a success.
    QStringList waiting;
    for (int i = 0; i < 3; ++i) {
        waiting << fx.item(QStringLiteral("waiting %1.txt").arg(i));
        TTntIniFile(fx.folder.path("base.ini")).WriteString("Files", waiting.last(), "3");
    }
    const qint64 store = metadataDaemon();
    QVERIFY(store > 0);
    ::kill(pid_t(store), SIGSTOP);
    {
        const auto resume = qScopeGuard([&] { ::kill(pid_t(store), SIGCONT); });
        QByteArray said;
        QCOMPARE(fx.badge({"sync"}, &said), 1);
        QVERIFY2(said.contains("3 set aside"), said.constData());
        QVERIFY2(fx.stderrText.contains("3 file(s) set aside"), qPrintable(fx.stderrText));
    }

    // A ledger that cannot be written: the record is made, no emblem is set
    // that nothing could take off again, and the user learns why.
    const QString file = fx.item("ledger.txt");
    const QString ledger = EmblemLedger().journalName();
    QFile::remove(ledger);
    QVERIFY(QDir().mkpath(ledger)); // a folder in its place: no write can succeed, even as root
    const auto restore = qScopeGuard([&] { QDir().rmdir(ledger); });
    QCOMPARE(fx.badge({"set", "4", file}), 1);
    QCOMPARE(record(fx, file), "4");
    QCOMPARE(Emblems::badgeOf(file), 0);
    QVERIFY2(fx.stderrText.contains("Unable to write to " + ledger + ": "), qPrintable(fx.stderrText));
}

void TestBadgeCommand::manyPathsWithAWriterAlongside()
{
    // Another writer through the project's own INI code adds records while
    // the command marks 1 000 files in 10 runs; nobody's record is lost.
    ExtensionFixture fx;
    const QString store = fx.folder.path("base.ini");
    QStringList files;
    for (int i = 0; i < 1000; ++i)
        files << fx.item(QStringLiteral("batch/file %1").arg(i));
    QProcess writer;
    writer.start(EMBLIX_INI_CHILD, {"add", store, fx.folder.rootPath("other"), "300"});
    QVERIFY(writer.waitForStarted());
    for (int run = 0; run < 10; ++run)
        QCOMPARE(fx.badge(QStringList{"set", "6"} + files.mid(run * 100, 100)), 0);
    QVERIFY(writer.waitForFinished(60000));
    QCOMPARE(writer.exitCode(), 0);

    TTntIniFile ini(store);
    for (const QString &file : files)
        QVERIFY2(ini.ReadString("Files", file, "") == "6", qPrintable(file));
    for (int i = 0; i < 300; ++i)
        QCOMPARE(ini.ReadString("Files", fx.folder.rootPath(QStringLiteral("other/record %1").arg(i)), ""), "1");
    QCOMPARE(Emblems::badgeOf(files.last()), 6);
}

QTEST_GUILESS_MAIN(TestBadgeCommand)
#include "tst_BadgeCommand.moc"
