#include "app/WindowRules.h"

#include <QTest>

// The window's rules that need no window: which toolbar set loads and which
// page shows then, and which command-line argument is a package.
class TestWindowRules : public QObject
{
    Q_OBJECT

private slots:
    void toolbarSetChoices();
    void packageArgument_data();
    void packageArgument();
};

void TestWindowRules::toolbarSetChoices()
{
    using namespace WindowRules;
    QCOMPARE(toolbarSetPicked("Pastel")->set, "Pastel");
    QCOMPARE(toolbarSetPicked("Pastel")->page, 5);
    QCOMPARE(savedToolbarSet("Mono")->set, "Mono");
    QCOMPARE(savedToolbarSet("Mono")->page, 1);
    // "Default", exactly, loads nothing; other spellings are ordinary sets.
    QVERIFY(!toolbarSetPicked("Default"));
    QVERIFY(!savedToolbarSet("Default"));
    QCOMPARE(toolbarSetPicked("default")->page, 5);
    QCOMPARE(savedToolbarSet("DEFAULT")->page, 1);
}

void TestWindowRules::packageArgument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("package"); // empty: none
    QTest::newRow("none") << QStringList{} << "";
    QTest::newRow("package") << QStringList{"/home/u/Blue.vqk"} << "/home/u/Blue.vqk";
    QTest::newRow("any letter case") << QStringList{"C:\\Themes\\Blue.VqK"} << "C:\\Themes\\Blue.VqK";
    QTest::newRow("only the first argument counts") << QStringList{"notes.txt", "Blue.vqk"} << "";
    QTest::newRow("later arguments ignored") << QStringList{"Blue.vqk", "-x"} << "Blue.vqk";
    QTest::newRow("dot in a folder name") << QStringList{"/home/u/x.vqk/file"} << "";
    QTest::newRow("backslash folder") << QStringList{"C:\\a.vqk\\file"} << "";
    QTest::newRow("no extension") << QStringList{"vqk"} << "";
    QTest::newRow("longer extension") << QStringList{"Blue.vqkx"} << "";
    QTest::newRow("just the extension") << QStringList{".vqk"} << ".vqk";
}

void TestWindowRules::packageArgument()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, package);
    QCOMPARE(WindowRules::packageArgument(arguments).value_or(QString()), package);
}

QTEST_GUILESS_MAIN(TestWindowRules)
#include "tst_WindowRules.moc"
