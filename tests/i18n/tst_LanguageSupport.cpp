#include "TestFolder.h"

#include "i18n/LanguageSupport.h"
#include "platform/ini/TntIniFile.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

// Translate's steps: trimming, the "..." rule, the "/n" rule, the empty-value
// rule and the "English" rule; and the start-up pass over a window.
class TestLanguageSupport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void translate_data();
    void translate();
    void languageFileIsReadAtEveryCall();
    void curLangNeverLeavesLangs_data();
    void curLangNeverLeavesLangs();
    void translateMainWindow();
    void latestLiveScopeIsInForce();
    void shippedFilesFollowTheEllipsisRule();

private:
    TestFolder m_folder;
    LanguageSupport::TranslatorScope m_translation{m_folder.folder()};
};

void TestLanguageSupport::initTestCase()
{
    m_folder.write("langs/test.ini", "[Dict]\r\n"
                                     "Native Name=Testish\r\n"
                                     "Information=Auskunft\r\n"
                                     "Install theme :=Thema installieren:\r\n"
                                     "Select Theme to install=Thema wählen\r\n"
                                     "Blank=\r\n"
                                     "Lines=one/ntwo/nthree\r\n"
                                     "Library=Biblio/nthek\r\n");
}

// Test tables keep one row per line.
// clang-format off
void TestLanguageSupport::translate_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("English keeps spaces") << "English" << "  Install theme :  " << "  Install theme :  ";
    QTest::newRow("English replaces markers") << "English" << "a/nb" << "a\n\rb";
    QTest::newRow("English blank stays") << "English" << "   " << "   ";
    QTest::newRow("English is case-sensitive") << "english" << "Information" << "Information";
    QTest::newRow("found") << "test.ini" << "Information" << "Auskunft";
    QTest::newRow("lower case key") << "test.ini" << "information" << "Auskunft";
    QTest::newRow("spaces around") << "test.ini" << "  Information \t" << "Auskunft";
    QTest::newRow("dots looked up without them") << "test.ini" << "Select Theme to install..."
                                                 << QString::fromUtf8("Thema wählen ...");
    QTest::newRow("dots with blank before") << "test.ini" << "Information ..." << "Auskunft ...";
    QTest::newRow("dots alone") << "test.ini" << "..." << " ...";
    QTest::newRow("missing key comes back trimmed") << "test.ini" << "  Unknown words  " << "Unknown words";
    QTest::newRow("missing key with dots") << "test.ini" << "Unknown..." << "Unknown ...";
    QTest::newRow("empty value gives input untrimmed") << "test.ini" << " Blank " << " Blank ";
    QTest::newRow("empty value with dots") << "test.ini" << "Blank..." << " ...";
    QTest::newRow("blank text gives empty") << "test.ini" << " \t\r\n" << "";
    QTest::newRow("two markers, three lines") << "test.ini" << "Lines" << "one\n\rtwo\n\rthree";
    QTest::newRow("marker case-sensitive in value") << "test.ini" << "a/Nb" << "a/Nb";
    QTest::newRow("no such file") << "Default (my bad English)" << "  Theme list...  " << "Theme list ...";
    QTest::newRow("no such file, plain") << "Default (my bad English)" << "Badge" << "Badge";
    QTest::newRow("empty CurLang") << "" << " Badge " << "Badge";
}
// clang-format on

void TestLanguageSupport::translate()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    LanguageSupport::setCurLang(language);
    QCOMPARE(Translate(text), expected);
}

void TestLanguageSupport::languageFileIsReadAtEveryCall()
{
    m_folder.write("langs/live.ini", "[Dict]\nBadge=Marke\n");
    LanguageSupport::setCurLang("live.ini");
    QCOMPARE(Translate("Badge"), "Marke");
    m_folder.write("langs/live.ini", "[Dict]\nBadge=Abzeichen\n");
    QTest::qWait(5);
    QCOMPARE(Translate("Badge"), "Abzeichen");
    LanguageSupport::setCurLang("test.ini");
    QCOMPARE(Translate("Badge"), "Badge");
}

// Test tables keep one row per line.
// clang-format off
void TestLanguageSupport::curLangNeverLeavesLangs_data()
{
    QTest::addColumn<QString>("language");
    // A file outside langs that would translate "Badge" if it were read.
    QTest::newRow("parent") << "../outside.ini";
    QTest::newRow("backslash parent") << "..\\outside.ini";
    QTest::newRow("absolute") << m_folder.path("outside.ini");
    QTest::newRow("dot dot") << "..";
    QTest::newRow("subfolder") << "sub/inner.ini";
}
// clang-format on

void TestLanguageSupport::curLangNeverLeavesLangs()
{
    QFETCH(QString, language);
    m_folder.write("outside.ini", "[Dict]\nBadge=LEAKED\n");
    m_folder.write("langs/sub/inner.ini", "[Dict]\nBadge=LEAKED\n");
    LanguageSupport::setCurLang(language);
    QCOMPARE(Translate(" Badge "), "Badge");
}

void TestLanguageSupport::translateMainWindow()
{
    LanguageSupport::setCurLang("test.ini");
    QWidget window;
    window.setWindowTitle("Information");
    auto *label = new QLabel("Information", &window);
    label->setProperty("hint", "Library");
    auto *box = new QGroupBox("Select Theme to install...", &window);
    auto *check = new QCheckBox(" Information ", box);
    auto *edit = new QLineEdit("Lines", &window);
    auto *memo = new QPlainTextEdit("Information", &window);
    auto *plain = new QWidget(&window);
    plain->setProperty("hint", "Unknown...");

    LanguageSupport::TranslateMainWindow(&window);

    QCOMPARE(window.windowTitle(), "Auskunft");
    QCOMPARE(label->text(), "Auskunft");
    QCOMPARE(label->property("hint").toString(), "Biblio\n\rthek");
    QCOMPARE(box->title(), QString::fromUtf8("Thema wählen ..."));
    QCOMPARE(check->text(), "Auskunft");
    QCOMPARE(edit->text(), "one\n\rtwo\n\rthree");
    QCOMPARE(memo->toPlainText(), "Auskunft");
    QCOMPARE(plain->property("hint").toString(), "Unknown ...");
}

void TestLanguageSupport::latestLiveScopeIsInForce()
{
    LanguageSupport::setCurLang("English");
    auto german = std::make_unique<LanguageSupport::TranslatorScope>(m_folder.folder(), "test.ini");
    QCOMPARE(Translate("Information"), "Auskunft");
    auto english = std::make_unique<LanguageSupport::TranslatorScope>(m_folder.folder());
    QCOMPARE(Translate("Information"), "Information");
    // A fixture replaced by the next ends after the next began.
    german.reset();
    QCOMPARE(LanguageSupport::CurLang(), "English");
    english.reset();
    QCOMPARE(&LanguageSupport::translator(), &m_translation.translator());
}

void TestLanguageSupport::shippedFilesFollowTheEllipsisRule()
{
    // Translate adds " ..." to a text that ends in "...": the value must
    // not bring its own, or the user reads "... ...".
    const QDir shipped(QStringLiteral(EMBLIX_SHIPPED_LANGS));
    const QStringList files = shipped.entryList({"*.ini"}, QDir::Files);
    QVERIFY(files.size() >= 3);
    for (const QString &name : files) {
        TTntIniFile file(shipped.filePath(name));
        QStringList keys;
        file.ReadSection("Dict", keys);
        QVERIFY(!keys.isEmpty());
        for (const QString &key : keys) {
            const QString value = file.ReadString("Dict", key, "");
            QVERIFY2(!value.trimmed().endsWith("..."), qPrintable(name + ": " + key + "=" + value));
        }
        QFile source(shipped.filePath(name));
        QVERIFY(source.open(QIODevice::ReadOnly));
        m_folder.write("langs/" + name, source.readAll());
        LanguageSupport::TranslatorScope scope(m_folder.folder(), name);
        QVERIFY2(!Translate("Badge properties...").contains("... ..."), qPrintable(name));
        QVERIFY2(Translate("Badge properties...").endsWith(" ..."), qPrintable(name));
    }
}

QTEST_MAIN(TestLanguageSupport)
#include "tst_LanguageSupport.moc"
