#include "ThemesFixture.h"
#include "ZipBuilder.h"

#include "i18n/LanguageSupport.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemeName.h"
#include "themes/ThemesController.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTest>

#include <sys/stat.h>

// Installing, deleting and packing themes with real ZIP archives and real
// theme folders in a temporary program folder.
class TestThemePackages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void installsACompletePackage();
    void installsIconsAsTheyAre();
    void installsEncryptedUnderThePassPhrase();
    void refusesBrokenPackages_data();
    void refusesBrokenPackages();
    void ignoresFilesThatAreNoArchives_data();
    void ignoresFilesThatAreNoArchives();
    void safeThemeNames_data();
    void safeThemeNames();
    void refusesUnsafeThemeNames_data();
    void refusesUnsafeThemeNames();
    void decodesPlistByItsMark_data();
    void decodesPlistByItsMark();
    void answerNoWritesNothingAndNextClickAsks();
    void installOverExistingThemeKeepsOtherFiles();
    void cancelledOpenDialogDoesNothing();
    void deletesTheSelectedTheme();
    void deleteNeverFollowsALink();
    void packs_data();
    void packs();
    void packReplacesAnExistingFileWhole();
    void failedPackLeavesNothingBehind();
    void packedThemeInstallsAgain();

private:
    QString package(const QString &file, const QList<ZipEntry> &entries);
    void install(const QString &packagePath, PromptAnswer answer = PromptAnswer::Yes);
    void assertNothingInstalled();

    std::unique_ptr<ThemesFixture> m_fx;
    QStringList m_entriesBefore;
};

void TestThemePackages::init()
{
    m_fx = std::make_unique<ThemesFixture>();
    QDir().mkpath(m_fx->folder.path("themes/Existing"));
    m_fx->themes.RefreshThemeList();
}

QString TestThemePackages::package(const QString &file, const QList<ZipEntry> &entries)
{
    const QString path = m_fx->folder.path("../" + file);
    ZipBuilder::write(path, entries);
    return path;
}

void TestThemePackages::install(const QString &packagePath, PromptAnswer answer)
{
    m_entriesBefore = m_fx->folder.entries();
    m_fx->prompt.answers = {answer};
    m_fx->themes.installPackage(packagePath);
    QVERIFY(!m_fx->folder.exists("~temp.ini"));
}

void TestThemePackages::assertNothingInstalled()
{
    QCOMPARE(m_fx->folder.entries(), m_entriesBefore);
}

void TestThemePackages::installsACompletePackage()
{
    install(package("blue.vqk", ZipBuilder::themeEntries("Blue")));
    QCOMPARE(m_fx->prompt.messages.size(), 1);
    const MessageRequest &question = m_fx->prompt.messages.first();
    QCOMPARE(question.caption, "Confirm");
    QCOMPARE(question.text, "Install theme : \"Blue\" ?");
    QCOMPARE(question.buttons, PromptButtons::YesNo);
    QCOMPARE(question.defaultButton, PromptAnswer::No);
    QCOMPARE(question.icon, PromptIcon::Information);
    QVERIFY(m_fx->prompt.openDialogs.isEmpty());
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(m_fx->folder.read(QStringLiteral("themes/Blue/%1.ico").arg(n)),
                 ZipBuilder::icon(QColor::fromHsv(n * 30, 200, 200)));
    QCOMPARE(m_fx->folder.read("themes/Blue/plist.ini"), ZipBuilder::plist("Blue"));
    QCOMPARE(QDir(m_fx->folder.path("themes/Blue")).entryList(QDir::Files | QDir::Hidden).size(), 11);
    QVERIFY(m_fx->themes.list().stringList().contains("Blue"));
    QVERIFY(!m_fx->themes.selectedTheme());
    // No staging folder is left in themes.
    QCOMPARE(QDir(m_fx->folder.path("themes")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
             2);
}

void TestThemePackages::installsIconsAsTheyAre()
{
    // A theme made of PNG images named .ico, or with an empty one: the
    // bytes are written as they are; drawing passes over what it cannot read.
    QList<ZipEntry> entries = ZipBuilder::themeEntries("Png");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(16, 16, QImage::Format_ARGB32).save(&buffer, "PNG");
    entries[4].bytes = png;
    entries[2].bytes.clear();
    m_fx->prompt.answers = {PromptAnswer::Yes};
    install(package("png.vqk", entries));
    QCOMPARE(m_fx->prompt.texts(), QStringList{"Install theme : \"Png\" ?"});
    QCOMPARE(m_fx->folder.read("themes/Png/" + entries[4].name), png);
    QCOMPARE(m_fx->folder.read("themes/Png/" + entries[2].name), QByteArray());
}

void TestThemePackages::installsEncryptedUnderThePassPhrase()
{
    install(package("secret.vqk", ZipBuilder::themeEntries("Secret", "lumbrake")));
    QCOMPARE(m_fx->prompt.texts(), QStringList{"Install theme : \"Secret\" ?"});
    QVERIFY(m_fx->folder.exists("themes/Secret/10.ico"));
}

void TestThemePackages::refusesBrokenPackages_data()
{
    QTest::addColumn<QList<ZipEntry>>("entries");
    QTest::addColumn<QByteArray>("patchFrom");
    QTest::addColumn<QByteArray>("patchTo");

    QList<ZipEntry> entries = ZipBuilder::themeEntries("Blue", "another");
    QTest::newRow("other pass phrase") << entries << QByteArray() << QByteArray();

    entries = ZipBuilder::themeEntries("Blue");
    entries.removeAt(3);
    QTest::newRow("no 4.ico") << entries << QByteArray() << QByteArray();

    entries = ZipBuilder::themeEntries("Blue");
    for (ZipEntry &e : entries)
        e.name.replace(".ico", ".ICO");
    QTest::newRow("upper-case names") << entries << QByteArray() << QByteArray();

    entries = ZipBuilder::themeEntries("Blue");
    entries[0].name = "11.ico"; // satisfies "1.ico" as a substring, but 1.ico is not there
    QTest::newRow("11.ico without 1.ico") << entries << QByteArray() << QByteArray();

    entries = ZipBuilder::themeEntries("Blue");
    for (ZipEntry &e : entries)
        e.name.prepend("Blue/");
    QTest::newRow("entries in a folder") << entries << QByteArray() << QByteArray();

    entries = ZipBuilder::themeEntries("Blue");
    entries[6].bytes = QByteArray(100 * 1024 * 1024, '\0');
    QTest::newRow("bomb") << entries << QByteArray() << QByteArray();

    entries = ZipBuilder::themeEntries("Blue");
    entries.append({"2.icX", ZipBuilder::icon(Qt::red), {}});
    QTest::newRow("duplicate entry") << entries << QByteArray("2.icX") << QByteArray("2.ico");

    entries = ZipBuilder::themeEntries("Blue");
    entries[10].bytes = QByteArray("[OTHER]\r\nTHEME_NAME=Blue\r\n");
    QTest::newRow("no theme name") << entries << QByteArray() << QByteArray();
}

void TestThemePackages::refusesBrokenPackages()
{
    QFETCH(QList<ZipEntry>, entries);
    QFETCH(QByteArray, patchFrom);
    QFETCH(QByteArray, patchTo);
    const QString path = package("broken.vqk", entries);
    if (!patchFrom.isEmpty())
        ZipBuilder::patchNames(path, patchFrom, patchTo);
    install(path);
    QCOMPARE(m_fx->prompt.messages.size(), 1);
    QCOMPARE(m_fx->prompt.messages.first().caption, "Error");
    QCOMPARE(m_fx->prompt.messages.first().text, "Theme is corrupted, sorry.");
    QCOMPARE(m_fx->prompt.messages.first().buttons, PromptButtons::Ok);
    QCOMPARE(m_fx->prompt.messages.first().icon, PromptIcon::None);
    assertNothingInstalled();
}

void TestThemePackages::ignoresFilesThatAreNoArchives_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("text") << QByteArray("This is not an archive.");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("missing file") << QByteArray("<none>");
    const TestFolder scratch;
    ZipBuilder::write(scratch.path("../truncated.zip"), ZipBuilder::themeEntries("Blue"));
    QFile whole(scratch.path("../truncated.zip"));
    whole.open(QIODevice::ReadOnly);
    QTest::newRow("truncated") << whole.readAll().chopped(300);
}

void TestThemePackages::ignoresFilesThatAreNoArchives()
{
    QFETCH(QByteArray, bytes);
    const QString path = m_fx->folder.path("../noarchive.vqk");
    QFile::remove(path);
    if (bytes != "<none>")
        m_fx->folder.write("../noarchive.vqk", bytes);
    install(path);
    QVERIFY(m_fx->prompt.messages.isEmpty());
    assertNothingInstalled();
}

void TestThemePackages::safeThemeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("safe");
    QTest::newRow("plain") << "Blue" << true;
    QTest::newRow("dots inside") << "Blue.Glass" << true;
    QTest::newRow("non-latin") << QString::fromUtf8("Синий 青") << true;
    QTest::newRow("leading blank") << " Blue" << true;
#ifndef Q_OS_WIN
    QTest::newRow("leading dot: the list would hide it") << ".Blue" << false;
#endif
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash parent") << "..\\evil" << false;
    QTest::newRow("absolute") << "/etc" << false;
    QTest::newRow("drive") << "C:" << false;
    QTest::newRow("star") << "a*" << false;
    QTest::newRow("question") << "a?" << false;
    QTest::newRow("quote") << "a\"b" << false;
    QTest::newRow("angle") << "a<b>" << false;
    QTest::newRow("pipe") << "a|b" << false;
    QTest::newRow("control") << "a\tb" << false;
    QTest::newRow("nul") << QString("a") + QChar(0) << false;
    QTest::newRow("trailing dot") << "Blue." << false;
    QTest::newRow("trailing blank") << "Blue " << false;
    QTest::newRow("device") << "CON" << false;
    QTest::newRow("device lower with extension") << "nul.txt" << false;
    QTest::newRow("com port") << "COM1" << false;
    QTest::newRow("lpt port") << "Lpt9.ini" << false;
    QTest::newRow("not a device") << "CONSOLE" << true;
    QTest::newRow("255 characters") << QString(255, 'x') << true;
    QTest::newRow("256 characters") << QString(256, 'x') << false;
    QTest::newRow("over 255 bytes") << QString(200, QChar(0x4E00)) << false;
}

void TestThemePackages::safeThemeNames()
{
    QFETCH(QString, name);
    QFETCH(bool, safe);
    QCOMPARE(isSafeThemeName(name), safe);
}

void TestThemePackages::refusesUnsafeThemeNames_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"", "..", "../../outside", "..\\outside", "/tmp/abs", "CON", "a:b", "a*b"})
        QTest::newRow(name) << QString::fromLatin1(name);
    QTest::newRow("300 characters") << QString(300, 'n');
}

void TestThemePackages::refusesUnsafeThemeNames()
{
    QFETCH(QString, name);
    QList<ZipEntry> entries = ZipBuilder::themeEntries("x");
    entries.last().bytes = ZipBuilder::plist(name);
    install(package("unsafe.vqk", entries));
    QCOMPARE(m_fx->prompt.texts(), QStringList{"Theme is corrupted, sorry."});
    assertNothingInstalled();
    QVERIFY(!QFile::exists(m_fx->folder.path("../outside")));
}

void TestThemePackages::decodesPlistByItsMark_data()
{
    QTest::addColumn<QByteArray>("plist");
    QTest::addColumn<QString>("name");
    const QString name = QString::fromUtf8("Grün 緑");
    const QString text = "[AUTHOR]\nTHEME_NAME=" + name + "\n";
    QByteArray be("\xFE\xFF");
    for (QChar c : text)
        be.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    QTest::newRow("utf-16be") << be << name;
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << name;
    QTest::newRow("utf-8 without mark") << text.toUtf8() << name;
    QTest::newRow("8-bit") << QByteArray("[AUTHOR]\rTHEME_NAME=Gr\xFCn\r") << QString::fromUtf8("Grün");
    QTest::newRow("utf-16le, CR only") << ZipBuilder::plist("Rot").replace(QByteArray("\r\0\n\0", 4),
                                                                           QByteArray("\r\0", 2))
                                       << QString("Rot");
}

void TestThemePackages::decodesPlistByItsMark()
{
    QFETCH(QByteArray, plist);
    QFETCH(QString, name);
    QList<ZipEntry> entries = ZipBuilder::themeEntries("x");
    entries.last().bytes = plist;
    install(package("marked.vqk", entries));
    QCOMPARE(m_fx->prompt.texts(), QStringList{"Install theme : \"" + name + "\" ?"});
    QVERIFY(QFileInfo(m_fx->folder.path("themes/" + name)).isDir());
    // plist.ini is installed as it came.
    QCOMPARE(m_fx->folder.read("themes/" + name + "/plist.ini"), plist);
}

void TestThemePackages::answerNoWritesNothingAndNextClickAsks()
{
    install(package("blue.vqk", ZipBuilder::themeEntries("Blue")), PromptAnswer::No);
    assertNothingInstalled();
    m_fx->themes.tb_AddThemeClick();
    QCOMPARE(m_fx->prompt.openDialogs.size(), 1);
    QCOMPARE(m_fx->prompt.openDialogs.first().title, "Select Theme to install");
    QCOMPARE(m_fx->prompt.openDialogs.first().filterDescription, "Varnick Emblix Theme zipped ( *.vqk )");
    QCOMPARE(m_fx->prompt.openDialogs.first().filterPattern, "*.vqk");
}

void TestThemePackages::installOverExistingThemeKeepsOtherFiles()
{
    m_fx->folder.write("themes/Existing/1.ico", "old icon");
    m_fx->folder.write("themes/Existing/readme.txt", "mine");
    m_fx->folder.write("themes/Existing/extra.ico", "mine too");
    install(package("existing.vqk", ZipBuilder::themeEntries("Existing")));
    QCOMPARE(m_fx->prompt.messages.size(), 1);
    QCOMPARE(m_fx->folder.read("themes/Existing/1.ico"), ZipBuilder::icon(QColor::fromHsv(30, 200, 200)));
    QCOMPARE(m_fx->folder.read("themes/Existing/readme.txt"), QByteArray("mine"));
    QCOMPARE(m_fx->folder.read("themes/Existing/extra.ico"), QByteArray("mine too"));

    // An icon that cannot be written (a folder in its place) is skipped
    // without a message; the other icons and plist.ini are written.
    QFile::remove(m_fx->folder.path("themes/Existing/3.ico"));
    QVERIFY(QDir().mkpath(m_fx->folder.path("themes/Existing/3.ico")));
    m_fx->prompt = ScriptedPrompt();
    QList<ZipEntry> entries = ZipBuilder::themeEntries("Existing");
    entries[3].bytes = ZipBuilder::icon(Qt::red);
    entries[10].bytes = ZipBuilder::plist("Existing", "COPYRIGHT=new\r\n");
    install(package("update.vqk", entries));
    QCOMPARE(m_fx->prompt.messages.size(), 1);
    QVERIFY(QFileInfo(m_fx->folder.path("themes/Existing/3.ico")).isDir());
    QCOMPARE(m_fx->folder.read("themes/Existing/4.ico"), ZipBuilder::icon(Qt::red));
    QCOMPARE(m_fx->folder.read("themes/Existing/plist.ini"), entries[10].bytes);
    QVERIFY(m_fx->themes.list().stringList().contains("Existing"));
}

void TestThemePackages::cancelledOpenDialogDoesNothing()
{
    m_entriesBefore = m_fx->folder.entries();
    m_fx->themes.tb_AddThemeClick();
    QCOMPARE(m_fx->prompt.openDialogs.size(), 1);
    QVERIFY(m_fx->prompt.messages.isEmpty());
    assertNothingInstalled();

    // A chosen file is installed like a handed-over one.
    m_fx->prompt.files = {package("chosen.vqk", ZipBuilder::themeEntries("Chosen"))};
    m_fx->prompt.answers = {PromptAnswer::Yes};
    m_fx->themes.tb_AddThemeClick();
    QVERIFY(m_fx->folder.exists("themes/Chosen/plist.ini"));
}

void TestThemePackages::deletesTheSelectedTheme()
{
    m_fx->folder.write("themes/Gone/1.ico", "x");
    m_fx->folder.write("themes/Gone/sub/deep.txt", "x");
    m_fx->themes.RefreshThemeList();
    m_fx->themes.tb_DeleteThemeClick();
    QCOMPARE(m_fx->prompt.messages.last().caption, "Information");
    QCOMPARE(m_fx->prompt.messages.last().text, "Please select theme to delete.");

    m_fx->themes.selectTheme(int(m_fx->themes.list().stringList().indexOf("Gone")));
    m_fx->prompt.answers = {PromptAnswer::No};
    m_fx->themes.tb_DeleteThemeClick();
    QCOMPARE(m_fx->prompt.messages.last().caption, "Accept ?");
    QCOMPARE(m_fx->prompt.messages.last().text, "Remove selected Theme ?");
    QVERIFY(m_fx->folder.exists("themes/Gone/sub/deep.txt"));

    m_fx->prompt.answers = {PromptAnswer::Yes};
    m_fx->themes.tb_DeleteThemeClick();
    QVERIFY(!m_fx->folder.exists("themes/Gone"));
    QCOMPARE(m_fx->themes.list().stringList(), QStringList{"Existing"});
    QVERIFY(!m_fx->themes.selectedTheme());
}

void TestThemePackages::deleteNeverFollowsALink()
{
    m_fx->folder.write("precious/keep.txt", "keep");
    QVERIFY(QFile::link(m_fx->folder.path("precious"), m_fx->folder.path("themes/Linked")));
    m_fx->themes.RefreshThemeList();
    m_fx->themes.selectTheme(int(m_fx->themes.list().stringList().indexOf("Linked")));
    m_fx->prompt.answers = {PromptAnswer::Yes};
    m_fx->themes.tb_DeleteThemeClick();
    QVERIFY(!QFileInfo::exists(m_fx->folder.path("themes/Linked")));
    QCOMPARE(m_fx->folder.read("precious/keep.txt"), QByteArray("keep"));
}

void TestThemePackages::packs_data()
{
    QTest::addColumn<int>("icons");
    QTest::addColumn<bool>("hiddenIni");
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("message");
    QTest::newRow("complete") << 10 << false << 11 << "Packed theme was created succesfully";
    QTest::newRow("with a hidden ini") << 10 << true << 12 << "Packed theme was created succesfully";
    QTest::newRow("nine icons") << 9 << false << 10 << "Packed theme was NOT created";
}

void TestThemePackages::packs()
{
    QFETCH(int, icons);
    QFETCH(bool, hiddenIni);
    QFETCH(int, entries);
    QFETCH(QString, message);
    for (int n = 1; n <= icons; ++n)
        m_fx->folder.write(QStringLiteral("themes/Existing/%1.ico").arg(n), ZipBuilder::icon(Qt::blue));
    m_fx->folder.write("themes/Existing/plist.ini", ZipBuilder::plist("Existing"));
    m_fx->folder.write("themes/Existing/notes.txt", "not packed");
    m_fx->folder.write("themes/Existing/sub/11.ico", "not packed either");
    if (hiddenIni)
        m_fx->folder.write("themes/Existing/.desktop.ini", "[x]");
    // A pipe named like a file to pack is no file: opening it would block.
    QVERIFY(::mkfifo(QFile::encodeName(m_fx->folder.path("themes/Existing/pipe.ini")).constData(), 0600) == 0);
    m_fx->themes.selectTheme(0);
    const QString target = m_fx->folder.path("../packed.vqk");
    QFile::remove(target);
    m_fx->prompt.files = {target};
    m_fx->themes.tb_PackThemeClick();
    QCOMPARE(m_fx->prompt.saveDialogs.size(), 1);
    QCOMPARE(m_fx->prompt.saveDialogs.first().title, "Save Packed theme for Distribution as");
    QCOMPARE(m_fx->prompt.saveDialogs.first().defaultSuffix, "vqk");
    QCOMPARE(m_fx->prompt.saveDialogs.first().filterPattern, "*.vqk");
    QCOMPARE(m_fx->prompt.messages.size(), 1);
    QCOMPARE(m_fx->prompt.messages.first().caption, "Information");
    QCOMPARE(m_fx->prompt.messages.first().text, message);
    const QStringList names = ZipBuilder::names(target);
    QCOMPARE(names.size(), entries);
    for (const QString &name : names)
        QVERIFY2(!name.contains('/'), qPrintable(name));
}

void TestThemePackages::packReplacesAnExistingFileWhole()
{
    for (int n = 1; n <= 10; ++n)
        m_fx->folder.write(QStringLiteral("themes/Existing/%1.ico").arg(n), ZipBuilder::icon(Qt::blue));
    m_fx->folder.write("themes/Existing/plist.ini", ZipBuilder::plist("Existing"));
    const QString target = package("old.vqk", {{"stale.txt", "old", {}}});
    m_fx->themes.selectTheme(0);
    m_fx->prompt.files = {target};
    m_fx->themes.tb_PackThemeClick();
    const QStringList names = ZipBuilder::names(target);
    QCOMPARE(names.size(), 11);
    QVERIFY(!names.contains("stale.txt"));
}

void TestThemePackages::failedPackLeavesNothingBehind()
{
    m_fx->folder.write("themes/Existing/1.ico", ZipBuilder::icon(Qt::blue));
    m_fx->themes.selectTheme(0);
    m_fx->prompt.files = {m_fx->folder.path("no/such/folder/x.vqk")};
    m_fx->themes.tb_PackThemeClick();
    QCOMPARE(m_fx->prompt.texts(), QStringList{"Packed theme was NOT created"});
    QVERIFY(!m_fx->folder.exists("no"));

    // Nothing to pack: an existing file is left as it was.
    QDir(m_fx->folder.path("themes/Existing")).removeRecursively();
    QDir().mkpath(m_fx->folder.path("themes/Existing"));
    const QString target = package("keep.vqk", {{"kept.txt", "old", {}}});
    m_fx->prompt.files = {target};
    m_fx->themes.tb_PackThemeClick();
    QCOMPARE(ZipBuilder::names(target), QStringList{"kept.txt"});
}

void TestThemePackages::packedThemeInstallsAgain()
{
    install(package("round.vqk", ZipBuilder::themeEntries("Round Trip", "lumbrake")));
    m_fx->themes.selectTheme(int(m_fx->themes.list().stringList().indexOf("Round Trip")));
    const QString packed = m_fx->folder.path("../again.vqk");
    m_fx->prompt.files = {packed};
    m_fx->themes.tb_PackThemeClick();
    QDir(m_fx->folder.path("themes/Round Trip")).removeRecursively();
    m_fx->prompt.messages.clear();
    install(packed);
    QCOMPARE(m_fx->prompt.texts(), QStringList{"Install theme : \"Round Trip\" ?"});
    QCOMPARE(m_fx->folder.read("themes/Round Trip/7.ico"), ZipBuilder::icon(QColor::fromHsv(210, 200, 200)));
}

QTEST_MAIN(TestThemePackages)
#include "tst_ThemePackages.moc"
