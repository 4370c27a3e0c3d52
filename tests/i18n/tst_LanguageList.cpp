#include "TestFolder.h"

#include "i18n/LanguageList.h"
#include "i18n/LanguageSupport.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

// The language page's rules: the list and its labels, the current language
// loaded and stored, and the translators' credits.
class TestLanguageList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void listsEnglishThenLanguageFiles();
    void rowLabels_data();
    void rowLabels();
    void firstStartWithoutSettings();
    void doubleClickStoresAndReadsBack();
    void doubleClickWithoutSelectionStoresTheCurrentLanguage();
    void failedWriteKeepsTheStoredLanguage();
    void creditsWithMissingSections();
    void storedLanguageDifferingInCaseSelectsNothing();
    void rowTextsNeverLeaveLangs();

private:
    QString selected(LanguageList &languages);
    void select(LanguageList &languages, const QString &row);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<LanguageSupport::TranslatorScope> m_translation;
};

void TestLanguageList::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_translation = std::make_unique<LanguageSupport::TranslatorScope>(m_folder->folder());
    m_folder->write("langs/de.ini",
                    "[Dict]\nNative Name=Deutsch\n[TRANSLATOR]\nAuthor=Anna\nwww=a.example\nemail=a@x\nVer=2.0\n");
    m_folder->write("langs/xyz.ini", "[Dict]\nNative Name=Xyz\n");
    m_folder->write("langs/notes.txt", "not a language");
    QDir().mkpath(m_folder->path("langs/folder.ini"));
}

QString TestLanguageList::selected(LanguageList &languages)
{
    const QModelIndexList rows = languages.selection().selectedRows();
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}

void TestLanguageList::select(LanguageList &languages, const QString &row)
{
    const int index = int(languages.list().stringList().indexOf(row));
    languages.selection().setCurrentIndex(languages.list().index(index), QItemSelectionModel::ClearAndSelect);
}

void TestLanguageList::listsEnglishThenLanguageFiles()
{
    // A pipe named like a language file is none: reading it would block.
    QVERIFY(::mkfifo(QFile::encodeName(m_folder->path("langs/pipe.ini")).constData(), 0600) == 0);
    m_folder->write("langs/Ab.ini", "");
    LanguageList languages(m_folder->folder());
    languages.fill();
    QCOMPARE(languages.list().stringList(), (QStringList{"English", "Ab.ini", "de.ini", "xyz.ini"}));
    QDir(m_folder->path("langs")).removeRecursively();
    languages.fill();
    QCOMPARE(languages.list().stringList(), QStringList{"English"});
}

void TestLanguageList::rowLabels_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("version");
    QTest::newRow("native name of four or more") << "de.ini"
                                                 << "Deutsch   (de.ini)"
                                                 << "2.0";
    QTest::newRow("three characters: file name") << "xyz.ini"
                                                 << "xyz.ini"
                                                 << "";
    QTest::newRow("built-in") << "English"
                              << "English"
                              << "";
}

void TestLanguageList::rowLabels()
{
    QFETCH(QString, row);
    QFETCH(QString, label);
    QFETCH(QString, version);
    LanguageList languages(m_folder->folder());
    QCOMPARE(languages.rowLabel(row), label);
    QCOMPARE(languages.ReadLanguageVersion(row), version);
    QCOMPARE(languages.flagFile("de.ini"), m_folder->path("langs/de.ico"));
    QCOMPARE(languages.flagFile("English"), m_folder->path("langs/English.ico"));
    QCOMPARE(languages.builtInFlagFile("English"), m_folder->path("langs/uk.ico"));
    QCOMPARE(languages.builtInFlagFile("de.ini"), QString());
}

void TestLanguageList::firstStartWithoutSettings()
{
    LanguageList languages(m_folder->folder());
    languages.fill();
    languages.LoadCurrentLanguage();
    QCOMPARE(LanguageSupport::CurLang(), "Default (my bad English)");
    QCOMPARE(selected(languages), "");
    QCOMPARE(languages.credits().author, "uncknown");
    QCOMPARE(languages.credits().www, "uncknown");
    QCOMPARE(languages.credits().email, "uncknown");
    QCOMPARE(Translate("Theme list..."), "Theme list ...");
    QVERIFY(!m_folder->exists("settings.ini"));
}

void TestLanguageList::doubleClickStoresAndReadsBack()
{
    LanguageList languages(m_folder->folder());
    languages.fill();
    select(languages, "de.ini");
    languages.ListBox2Click();
    QCOMPARE(languages.credits().author, "Anna");
    QVERIFY(!m_folder->exists("settings.ini")); // selecting changes nothing else
    languages.ListBox2DblClick();
    QCOMPARE(LanguageSupport::CurLang(), "de.ini");
    QCOMPARE(TTntIniFile(m_folder->path("settings.ini")).ReadString("Translate", "CurLang", ""), "de.ini");

    select(languages, "English");
    languages.ListBox2DblClick();
    // The next start selects "English" and shows the program's own credits.
    LanguageList next(m_folder->folder());
    next.fill();
    next.LoadCurrentLanguage();
    QCOMPARE(selected(next), "English");
    QCOMPARE(next.credits().author, LanguageList::programCredits().author);
    QCOMPARE(next.credits().email, LanguageList::programCredits().email);
}

void TestLanguageList::doubleClickWithoutSelectionStoresTheCurrentLanguage()
{
    m_folder->write("settings.ini", "[Translate]\nCurLang=xyz.ini\n");
    LanguageList languages(m_folder->folder());
    languages.fill();
    languages.LoadCurrentLanguage();
    languages.selection().clear();
    m_folder->write("settings.ini", "[Translate]\nCurLang=gone.ini\n");
    languages.ListBox2DblClick();
    QCOMPARE(TTntIniFile(m_folder->path("settings.ini")).ReadString("Translate", "CurLang", ""), "xyz.ini");
    QCOMPARE(selected(languages), "xyz.ini");
}

void TestLanguageList::failedWriteKeepsTheStoredLanguage()
{
    m_folder->write("settings.ini", "[Translate]\nCurLang=xyz.ini\n");
    QFile::setPermissions(m_folder->path("settings.ini"), QFileDevice::ReadOwner);
    LanguageList languages(m_folder->folder());
    languages.fill();
    select(languages, "de.ini");
    languages.ListBox2DblClick(); // no message, no error
    QCOMPARE(LanguageSupport::CurLang(), "xyz.ini");
}

void TestLanguageList::creditsWithMissingSections()
{
    LanguageList languages(m_folder->folder());
    languages.fill();
    select(languages, "xyz.ini");
    languages.ListBox2Click();
    QCOMPARE(languages.credits().author, "uncknown");
    QCOMPARE(languages.credits().email, "uncknown");
    QCOMPARE(languages.ReadLanguageVersion("xyz.ini"), "");
}

void TestLanguageList::storedLanguageDifferingInCaseSelectsNothing()
{
    m_folder->write("settings.ini", "[Translate]\nCurLang=DE.ini\n");
    LanguageList languages(m_folder->folder());
    languages.fill();
    languages.LoadCurrentLanguage();
    QCOMPARE(selected(languages), "");
    QCOMPARE(LanguageSupport::CurLang(), "DE.ini");
}

void TestLanguageList::rowTextsNeverLeaveLangs()
{
    m_folder->write("outside.ini", "[Dict]\nNative Name=Leaked\n[TRANSLATOR]\nAuthor=Leaked\n");
    m_folder->write("settings.ini", "[Translate]\nCurLang=../outside.ini\n");
    LanguageList languages(m_folder->folder());
    languages.fill();
    languages.LoadCurrentLanguage();
    QCOMPARE(languages.credits().author, "uncknown");
    QCOMPARE(languages.ReadNativeName("../outside.ini"), "");
    QCOMPARE(languages.flagFile("../outside.ini"), "");
}

QTEST_GUILESS_MAIN(TestLanguageList)
#include "tst_LanguageList.moc"
