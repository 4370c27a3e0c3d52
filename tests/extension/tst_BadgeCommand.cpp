#include "ExtensionFixture.h"

#include "Emblems.h"
#include "platform/TntIniFile.h"

#include <QTest>

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

private:
    static QString record(const ExtensionFixture &fx, const QString &path)
    {
        return TTntIniFile(fx.folder.path("base.ini")).ReadString("Files", path, "<none>");
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
    QStringList ledger;
    TTntIniFile(fx.data("emblix-manager/emblems.ini")).ReadSection("Emblems", ledger);
    QCOMPARE(ledger, QStringList());
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
    // Caja and Nautilus pass names relative to the folder shown, as typed:
    // a file named like a Qt option must reach the command as a name.
    ExtensionFixture fx;
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
