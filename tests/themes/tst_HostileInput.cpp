#include "ThemesFixture.h"
#include "ZipBuilder.h"

#include <QDir>
#include <QTest>

// Hostile theme packages given to the installer: the outcome the user sees, and that nothing was written outside
// themes/ and no half-installed theme remains.
class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void packages_data();
    void packages();
};

namespace {

enum class Outcome { Installed, Corrupted, Nothing };

// A package made by the test: its entries, or raw bytes instead.
struct HostilePackage {
    QList<ZipEntry> entries;
    QByteArray rawBytes;
    QByteArray patchFrom;
    QByteArray patchTo;
};

QList<ZipEntry> withName(const QString &themeName)
{
    QList<ZipEntry> entries = ZipBuilder::themeEntries("x");
    entries.last().bytes = ZipBuilder::plist(themeName);
    return entries;
}

QList<ZipEntry> withPlist(const QByteArray &plist)
{
    QList<ZipEntry> entries = ZipBuilder::themeEntries("x");
    entries.last().bytes = plist;
    return entries;
}

QList<ZipEntry> renamed(const QString &prefix)
{
    QList<ZipEntry> entries = ZipBuilder::themeEntries("Slip");
    for (ZipEntry &entry : entries)
        entry.name.prepend(prefix);
    return entries;
}

QByteArray utf16be(const QString &text)
{
    QByteArray bytes("\xFE\xFF");
    for (QChar c : text)
        bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xFF));
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(HostilePackage)
Q_DECLARE_METATYPE(Outcome)

void TestHostileInput::packages_data()
{
    QTest::addColumn<HostilePackage>("package");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("zip-slip names") << HostilePackage{renamed("../../"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("absolute names") << HostilePackage{renamed("/tmp/"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("backslash names") << HostilePackage{renamed("..\\"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("entries in a folder") << HostilePackage{renamed("Slip/"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("name ..") << HostilePackage{withName(".."), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("name climbing out") << HostilePackage{withName("../../evil"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("empty name") << HostilePackage{withName(""), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("blank name") << HostilePackage{withName("   "), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("device name") << HostilePackage{withName("CON"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("device name with extension")
        << HostilePackage{withName("nul.txt"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("colon") << HostilePackage{withName("a:b"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("star") << HostilePackage{withName("a*"), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("trailing dot") << HostilePackage{withName("Blue."), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("300 characters") << HostilePackage{withName(QString(300, 'n')), {}, {}, {}} << Outcome::Corrupted;
    QList<ZipEntry> bomb = ZipBuilder::themeEntries("Bomb");
    bomb[5].bytes = QByteArray(9 * 1024 * 1024, 'z'); // past the 8 MiB cap
    QTest::newRow("bomb") << HostilePackage{bomb, {}, {}, {}} << Outcome::Corrupted;
    // Icons that would freeze every paint: refused, at the bounds' edge kept.
    const auto withIcon = [](const QString &theme, const QByteArray &icon) {
        QList<ZipEntry> entries = ZipBuilder::themeEntries(theme);
        entries[2].bytes = icon;
        return HostilePackage{entries, {}, {}, {}};
    };
    QTest::newRow("icon of 65535 images") << withIcon("Many", ZipBuilder::pngIcon(256, 65535)) << Outcome::Corrupted;
    QTest::newRow("icon of a 5790 px image") << withIcon("Huge", ZipBuilder::pngIcon(5790)) << Outcome::Corrupted;
    QTest::newRow("icon of 64 images of 256 px")
        << withIcon("Edge", ZipBuilder::pngIcon(256, 64)) << Outcome::Installed;
    QTest::newRow("wrong pass phrase") << HostilePackage{ZipBuilder::themeEntries("Locked", "wrong"), {}, {}, {}}
                                       << Outcome::Corrupted;
    QTest::newRow("not a zip") << HostilePackage{{}, "MZ\x90\0 not an archive at all", {}, {}} << Outcome::Nothing;
    QTest::newRow("empty zip") << HostilePackage{{}, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'), {}, {}}
                               << Outcome::Nothing;
    QTest::newRow("empty file") << HostilePackage{{}, QByteArray(), {}, {}} << Outcome::Nothing;
    QList<ZipEntry> duplicate = ZipBuilder::themeEntries("Twice");
    duplicate.append({"5.icX", ZipBuilder::icon(Qt::red), {}});
    QTest::newRow("duplicate entries") << HostilePackage{duplicate, {}, "5.icX", "5.ico"} << Outcome::Corrupted;
    QList<ZipEntry> zeroIcon = ZipBuilder::themeEntries("Zero");
    zeroIcon[8].bytes.clear();
    QTest::newRow("0-byte icon") << HostilePackage{zeroIcon, {}, {}, {}} << Outcome::Installed;
    QTest::newRow("no theme name") << HostilePackage{withPlist("[AUTHOR]\r\nNAME=x\r\n"), {}, {}, {}}
                                   << Outcome::Corrupted;
    QTest::newRow("plist utf-16be") << HostilePackage{withPlist(utf16be("[AUTHOR]\nTHEME_NAME=Big End\n")), {}, {}, {}}
                                    << Outcome::Installed;
    QTest::newRow("plist utf-8 with mark")
        << HostilePackage{withPlist("\xEF\xBB\xBF[AUTHOR]\nTHEME_NAME=Mark \xE2\x9C\x93\n"), {}, {}, {}}
        << Outcome::Installed;
    QTest::newRow("plist invalid utf-16") << HostilePackage{
        withPlist(QByteArray("\xFF\xFE[\0A\0U\0T\0H\0O\0R\0]\0\n\0T\0H\0E\0M\0E\0_\0N\0A\0M\0E\0=\0x\0\x00\xD8\n", 47)),
        {},
        {},
        {}} << Outcome::Corrupted;
    QTest::newRow("plist of random bytes")
        << HostilePackage{withPlist(QByteArray(300, '\x9C')), {}, {}, {}} << Outcome::Corrupted;
    QTest::newRow("ordinary package") << HostilePackage{ZipBuilder::themeEntries("Fine"), {}, {}, {}}
                                      << Outcome::Installed;
}

void TestHostileInput::packages()
{
    QFETCH(HostilePackage, package);
    QFETCH(Outcome, outcome);
    ThemesFixture fx;
    const TestFolder &folder = fx.folder;
    folder.write("themes/Pastel/1.ico", ZipBuilder::icon(Qt::green));
    const QString file = folder.path("../incoming/package.vqk");
    if (package.entries.isEmpty()) {
        folder.write("../incoming/package.vqk", package.rawBytes);
    } else {
        QDir().mkpath(folder.path("../incoming"));
        ZipBuilder::write(file, package.entries);
        if (!package.patchFrom.isEmpty())
            ZipBuilder::patchNames(file, package.patchFrom, package.patchTo);
    }
    const QStringList before = folder.rootEntries();

    fx.prompt.answers = {PromptAnswer::Yes};
    fx.themes.installPackage(file);
    const QStringList texts = fx.prompt.texts();
    switch (outcome) {
    case Outcome::Installed:
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts.first().startsWith("Install theme : \""));
        break;
    case Outcome::Corrupted:
        QCOMPARE(texts, QStringList{"Theme is corrupted, sorry."});
        break;
    case Outcome::Nothing:
        QCOMPARE(texts, QStringList{});
        break;
    }
    // At most one whole new theme, and nothing else.
    QStringList added;
    for (const QString &entry : folder.rootEntries())
        if (!before.contains(entry))
            added << entry;
    QStringList newThemes;
    for (const QString &entry : added) {
        if (entry.startsWith("program/themes/")) {
            const QString theme = entry.section('/', 2, 2);
            if (!newThemes.contains(theme))
                newThemes << theme;
            continue;
        }
        QFAIL(qPrintable("written outside themes: " + entry));
    }
    QCOMPARE(newThemes.size(), outcome == Outcome::Installed ? 1 : 0);
    if (!newThemes.isEmpty())
        QCOMPARE(QDir(folder.path("themes/" + newThemes.first())).entryList(QDir::Files | QDir::Hidden).size(), 11);
    QVERIFY(!QFile::exists(folder.path("~temp.ini")));
    QCOMPARE(QDir(folder.path("themes")).entryList({".*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
}

QTEST_MAIN(TestHostileInput)
#include "tst_HostileInput.moc"
