#include "ThemesFixture.h"
#include "ZipBuilder.h"

#include "i18n/LanguageSupport.h"
#include "platform/ini/TntIniFile.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemesController.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

// Applying a theme: the backup, delete, copy and restore steps per badge
// number, the external tool, the current theme; and the theme list, its
// start-up selection and the description of the selected theme.
class TestThemeApply : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void appliesACompleteTheme_data();
    void appliesACompleteTheme();
    void keepsTheOldIconWhenTheThemeLacksOne();
    void replacesReadOnlyAndMissingIcons();
    void staleBackupIsReplacedThenRemoved();
    void missingThemeFolderStillStartsTheToolAndStoresTheName();
    void iconWithoutBackupIsNeverDeleted();
    void asksForASelection();
    void startsTheRealTool();
    void storingTheNameMaySilentlyFail();
    void listsVisibleFoldersOnly();
    void startUpSelection_data();
    void startUpSelection();
    void describesTheSelectedTheme();

private:
    void makeTheme(const QString &name, const QList<int> &numbers, const QString &tag);
    QByteArray activeIcon(int n) const { return m_fx->folder.read(QStringLiteral("icons/%1.ico").arg(n)); }
    void applySelected(const QString &name);

    std::unique_ptr<ThemesFixture> m_fx;
};

void TestThemeApply::init()
{
    m_fx = std::make_unique<ThemesFixture>();
    for (int n = 1; n <= 10; ++n)
        m_fx->folder.write(QStringLiteral("icons/%1.ico").arg(n), "active " + QByteArray::number(n));
}

void TestThemeApply::makeTheme(const QString &name, const QList<int> &numbers, const QString &tag)
{
    QDir().mkpath(m_fx->folder.path("themes/" + name));
    for (int n : numbers)
        m_fx->folder.write(QStringLiteral("themes/%1/%2.ico").arg(name).arg(n), (tag + QString::number(n)).toUtf8());
}

void TestThemeApply::applySelected(const QString &name)
{
    m_fx->themes.RefreshThemeList();
    m_fx->themes.selectTheme(int(m_fx->themes.list().stringList().indexOf(name)));
    m_fx->themes.ListBox1DblClick();
}

void TestThemeApply::appliesACompleteTheme_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "Blue";
    // Legal in a Linux folder name: what the list shows, the program acts on.
    QTest::newRow("with a colon") << "Night: blue";
}

void TestThemeApply::appliesACompleteTheme()
{
    QFETCH(QString, name);
    makeTheme(name, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "blue ");
    applySelected(name);
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(activeIcon(n), "blue " + QByteArray::number(n));
    QCOMPARE(QDir(m_fx->folder.path("icons")).entryList({"*.old"}, QDir::Files), QStringList{});
    QCOMPARE(m_fx->started, QStringList{m_fx->folder.path("icoswap.exe")});
    QCOMPARE(TTntIniFile(m_fx->folder.path("settings.ini")).ReadString("Theme", "Name", ""), name);
    QVERIFY(m_fx->prompt.messages.isEmpty());
    m_fx->prompt.answers = {PromptAnswer::Yes};
    m_fx->themes.tb_DeleteThemeClick();
    QVERIFY(!QFileInfo::exists(m_fx->folder.path("themes/" + name)));
}

void TestThemeApply::keepsTheOldIconWhenTheThemeLacksOne()
{
    makeTheme("Blue", {1, 2, 3, 4, 5, 6, 8, 9, 10}, "blue ");
    applySelected("Blue");
    QCOMPARE(activeIcon(7), QByteArray("active 7"));
    QCOMPARE(m_fx->folder.read("icons/7.ico.old"), QByteArray("active 7"));
    QCOMPARE(activeIcon(6), QByteArray("blue 6"));
    QCOMPARE(activeIcon(8), QByteArray("blue 8"));
}

void TestThemeApply::replacesReadOnlyAndMissingIcons()
{
    makeTheme("Blue", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "blue ");
    QFile::setPermissions(m_fx->folder.path("icons/2.ico"), QFileDevice::ReadOwner);
    QFile::remove(m_fx->folder.path("icons/3.ico"));
    applySelected("Blue");
    QCOMPARE(activeIcon(2), QByteArray("blue 2"));
    QCOMPARE(activeIcon(3), QByteArray("blue 3"));
    QVERIFY(!m_fx->folder.exists("icons/3.ico.old"));
    QVERIFY(!m_fx->folder.exists("icons/2.ico.old"));
}

void TestThemeApply::staleBackupIsReplacedThenRemoved()
{
    makeTheme("Blue", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "blue ");
    m_fx->folder.write("icons/5.ico.old", "stale");
    m_fx->folder.write("icons/6.ico.old", "stale");
    QFile::remove(m_fx->folder.path("themes/Blue/6.ico"));
    applySelected("Blue");
    QVERIFY(!m_fx->folder.exists("icons/5.ico.old"));
    QCOMPARE(activeIcon(5), QByteArray("blue 5"));
    // The failed copy leaves the fresh backup, not the stale one.
    QCOMPARE(m_fx->folder.read("icons/6.ico.old"), QByteArray("active 6"));
    QCOMPARE(activeIcon(6), QByteArray("active 6"));
}

void TestThemeApply::missingThemeFolderStillStartsTheToolAndStoresTheName()
{
    makeTheme("Gone", {1}, "x");
    m_fx->themes.RefreshThemeList();
    m_fx->themes.selectTheme(0);
    QDir(m_fx->folder.path("themes/Gone")).removeRecursively();
    m_fx->themes.ListBox1DblClick();
    for (int n = 1; n <= 10; ++n)
        QCOMPARE(activeIcon(n), "active " + QByteArray::number(n));
    QCOMPARE(m_fx->started.size(), 1);
    QCOMPARE(TTntIniFile(m_fx->folder.path("settings.ini")).ReadString("Theme", "Name", ""), "Gone");
}

void TestThemeApply::iconWithoutBackupIsNeverDeleted()
{
    // The backup of badge 4 cannot be made: a folder stands where it would go.
    makeTheme("Blue", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, "blue ");
    QDir().mkpath(m_fx->folder.path("icons/4.ico.old/blocked"));
    applySelected("Blue");
    QCOMPARE(activeIcon(4), QByteArray("active 4"));
    QCOMPARE(activeIcon(5), QByteArray("blue 5"));
}

void TestThemeApply::asksForASelection()
{
    m_fx->themes.ListBox1DblClick(); // empty list: nothing at all
    QVERIFY(m_fx->prompt.messages.isEmpty());
    makeTheme("Blue", {1}, "b");
    m_fx->themes.RefreshThemeList();
    m_fx->themes.ListBox1DblClick();
    QCOMPARE(m_fx->prompt.messages.size(), 1);
    QCOMPARE(m_fx->prompt.messages.first().caption, "Note");
    QCOMPARE(m_fx->prompt.messages.first().text, "Please, select theme");
    QCOMPARE(m_fx->prompt.messages.first().buttons, PromptButtons::Ok);
    QVERIFY(m_fx->started.isEmpty());
    QCOMPARE(activeIcon(1), QByteArray("active 1"));
}

void TestThemeApply::startsTheRealTool()
{
    const QString marker = m_fx->folder.path("started.txt");
    m_fx->folder.write("icoswap.exe", ("#!/bin/sh\necho started > '" + marker + "'\n").toUtf8());
    QFile::setPermissions(m_fx->folder.path("icoswap.exe"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ThemesController themes(m_fx->folder.folder(), m_fx->prompt, m_fx->archive);
    makeTheme("Blue", {1}, "b");
    themes.RefreshThemeList();
    themes.selectTheme(0);
    themes.ListBox1DblClick();
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 10000);
}

void TestThemeApply::storingTheNameMaySilentlyFail()
{
    QDir().mkpath(m_fx->folder.path("settings.ini"));
    makeTheme("Blue", {1}, "b");
    applySelected("Blue");
    QVERIFY(m_fx->prompt.messages.isEmpty());
    QCOMPARE(activeIcon(1), QByteArray("b1"));
}

void TestThemeApply::listsVisibleFoldersOnly()
{
    makeTheme("A", {}, "");
    makeTheme("B", {}, "");
    makeTheme(".hidden", {}, "");
    m_fx->folder.write("themes/file.ico", "x");
    m_fx->themes.RefreshThemeList();
    QStringList names = m_fx->themes.list().stringList();
    names.sort();
    QCOMPARE(names, (QStringList{"A", "B"}));
    QVERIFY(!m_fx->themes.selectedTheme());
    QDir(m_fx->folder.path("themes")).removeRecursively();
    m_fx->themes.RefreshThemeList();
    QCOMPARE(m_fx->themes.list().rowCount(), 0);
}

void TestThemeApply::startUpSelection_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("selected");
    QTest::newRow("no setting, Pastel present") << QByteArray() << QStringList{"Blue", "Pastel"} << "Pastel";
    QTest::newRow("stored name") << QByteArray("[Theme]\nName=Blue\n") << QStringList{"Blue", "Pastel"} << "Blue";
    QTest::newRow("letter case differs") << QByteArray("[Theme]\nName=blue\n") << QStringList{"Blue"} << "";
    QTest::newRow("no such folder") << QByteArray("[Theme]\nName=Red\n") << QStringList{"Blue"} << "";
}

void TestThemeApply::startUpSelection()
{
    QFETCH(QByteArray, settings);
    QFETCH(QStringList, folders);
    QFETCH(QString, selected);
    m_fx->folder.write("settings.ini", settings);
    for (const QString &name : folders)
        m_fx->folder.write("themes/" + name + "/plist.ini", ZipBuilder::plist(name + " shown"));
    m_fx->themes.RefreshThemeList();
    m_fx->themes.selectCurrentTheme();
    QCOMPARE(m_fx->themes.selectedTheme().value_or(QString()), selected);
    QCOMPARE(m_fx->themes.shownInfo().themeName, selected.isEmpty() ? QString() : selected + " shown");
}

void TestThemeApply::describesTheSelectedTheme()
{
    const QString copyright = QString::fromUtf8("Line one/nLine two/NLine three");
    m_fx->folder.write("themes/Blue/plist.ini", ZipBuilder::plist("Blue Theme", "COPYRIGHT=" + copyright + "\r\n"));
    makeTheme("Bare", {1}, "b");
    m_fx->themes.RefreshThemeList();
    m_fx->themes.selectTheme(int(m_fx->themes.list().stringList().indexOf("Blue")));
    m_fx->themes.ListBox1Click();
    const ThemeInfo &info = m_fx->themes.shownInfo();
    QCOMPARE(info.themeName, "Blue Theme");
    QCOMPARE(info.author, "Tester");
    QCOMPARE(info.version, "2.1");
    QCOMPARE(info.copyright, "Line one\n\rLine two\n\rLine three");
    // A theme without plist.ini empties every field.
    m_fx->themes.selectTheme(int(m_fx->themes.list().stringList().indexOf("Bare")));
    m_fx->themes.ListBox1Click();
    QCOMPARE(m_fx->themes.shownInfo().themeName, "");
    QCOMPARE(m_fx->themes.shownInfo().copyright, "");
    // With no row selected the fields keep what they show.
    m_fx->themes.selectTheme(-1);
    m_fx->folder.write("themes/Bare/plist.ini", ZipBuilder::plist("Changed"));
    m_fx->themes.ListBox1Click();
    QCOMPARE(m_fx->themes.shownInfo().themeName, "");
}

QTEST_MAIN(TestThemeApply)
#include "tst_ThemeApply.moc"
