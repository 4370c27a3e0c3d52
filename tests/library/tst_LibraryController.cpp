#include "ScriptedPrompt.h"
#include "TestFolder.h"

#include "i18n/LanguageSupport.h"
#include "library/LibraryController.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QTest>

// The library's rules on real base.ini files in a temporary program folder:
// loading with flags and count, the two validity rules, both deletions with
// their questions, a writer adding records meanwhile, the direction rule.
class TestLibraryController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void loadsRecordsWithFlagsAndCount();
    void emptyOrMissingStore_data();
    void emptyOrMissingStore();
    void validityRules_data();
    void validityRules();
    void deleteSelectedAsksAndDeletes();
    void deleteSelectedNoChangesNothing();
    void deleteWithNothingSelectedStillAsks();
    void cleanUpRemovesInvalidAndKeepsNewValidRecords();
    void concurrentWriterSurvivesDeletion();
    void pathsOutsideAnyCodePageAreDeletedExactly();
    void pathsDifferingInCaseAreSeparateRecords();
    void clickDirectionRule();
    void everyRecordIsListed();

private:
    QString existing(const QString &relative);
    void writeStore(const QStringList &lines);
    QStringList storedKeys();
    QStringList gridPaths(LibraryController &library);

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<LanguageSupport::TranslatorScope> m_translation;
    ScriptedPrompt m_prompt;
    // The controller of the test's program folder, after its first load.
    LibraryController &loadedLibrary();
    std::unique_ptr<LibraryController> m_library;
};

void TestLibraryController::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_prompt = ScriptedPrompt();
    m_translation = std::make_unique<LanguageSupport::TranslatorScope>(m_folder->folder());
}

LibraryController &TestLibraryController::loadedLibrary()
{
    m_library = std::make_unique<LibraryController>(m_folder->folder(), m_prompt);
    m_library->firstLoad();
    return *m_library;
}

QString TestLibraryController::existing(const QString &relative)
{
    return m_folder->write("marked/" + relative, "x");
}

void TestLibraryController::writeStore(const QStringList &lines)
{
    QString text = QStringLiteral("[Files]\r\n");
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    m_folder->write("base.ini", bytes);
}

QStringList TestLibraryController::storedKeys()
{
    QStringList keys;
    TTntIniFile(m_folder->path("base.ini")).ReadSection("Files", keys);
    return keys;
}

QStringList TestLibraryController::gridPaths(LibraryController &library)
{
    QStringList paths;
    for (int row = 1; row < library.grid().RowCount(); ++row)
        paths.append(library.grid().Cells(2, row));
    return paths;
}

void TestLibraryController::loadsRecordsWithFlagsAndCount()
{
    const QString file = existing("a.txt");
    const QString folder = m_folder->path("marked");
    const QString missing = m_folder->path("gone.txt");
    writeStore({file + "=3", folder + "=10", missing + "=1", "C:\\=2", m_folder->path("empty.txt") + "="});
    existing("../empty.txt");
    LibraryController &library = loadedLibrary();
    SortGridModel &grid = library.grid();
    QCOMPARE(grid.RowCount(), 6);
    QCOMPARE(grid.FixedRows(), 1);
    QCOMPARE(library.RecordPaths().size(), 5);
    const QStringList flags{"", "", "!", "", ""};
    const QStringList badges{"3", "10", "1", "2", ""};
    for (int row = 1; row <= 5; ++row) {
        QCOMPARE(grid.Cells(0, row), flags[row - 1]);
        QCOMPARE(grid.Cells(1, row), badges[row - 1]);
        QCOMPARE(grid.Cells(2, row), library.RecordPaths()[row - 1]);
    }
    QCOMPARE(grid.Cells(1, 0), "Badge");
    QCOMPARE(grid.Cells(2, 0), "Location");
    QCOMPARE(library.hint(), "5 items");
    QCOMPARE(grid.Row(), 1);
    QVERIFY(grid.IsRowSelected(1));
}

// clang-format off
void TestLibraryController::emptyOrMissingStore_data()
{
    QTest::addColumn<QByteArray>("store");
    QTest::newRow("missing") << QByteArray("<none>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("other sections only") << QByteArray("[Other]\r\nC:\\x=1\r\n");
    QTest::newRow("empty section") << QByteArray("[files]\r\n");
}
// clang-format on

void TestLibraryController::emptyOrMissingStore()
{
    QFETCH(QByteArray, store);
    if (store != "<none>")
        m_folder->write("base.ini", store);
    LibraryController &library = loadedLibrary();
    QCOMPARE(library.grid().RowCount(), 1);
    QCOMPARE(library.grid().FixedRows(), 0);
    QCOMPARE(library.hint(), "0 items");
    QVERIFY(!QFile::exists(m_folder->path("base.ini")) || store != "<none>");
}

// clang-format off
void TestLibraryController::validityRules_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("shownValid");
    QTest::addColumn<bool>("survivesCleanUp");
    QTest::newRow("drive root") << "C:\\" << true << true;
    QTest::newRow("missing drive letter") << "Z:" << true << false;
    QTest::newRow("one character") << "Q" << true << false;
    QTest::newRow("empty path") << "" << true << false;
    QTest::newRow("four characters missing") << "Z:\\a" << false << false;
    QTest::newRow("missing file") << "/no/such/file" << false << false;
}
// clang-format on

void TestLibraryController::validityRules()
{
    QFETCH(QString, path);
    QFETCH(bool, shownValid);
    QFETCH(bool, survivesCleanUp);
    QCOMPARE(BadgeRecordStore::IsRecordPathValid(path), shownValid);
    QCOMPARE(BadgeRecordStore::survivesCleanUp(path), survivesCleanUp);
    QVERIFY(BadgeRecordStore::IsRecordPathValid(m_folder->path(".")));
    QVERIFY(BadgeRecordStore::survivesCleanUp(m_folder->path(".")));
}

void TestLibraryController::deleteSelectedAsksAndDeletes()
{
    const QString a = existing("a");
    const QString b = existing("b");
    const QString c = existing("c");
    writeStore({a + "=1", b + "=2", c + "=3"});
    LibraryController &library = loadedLibrary();
    SortGridModel &grid = library.grid();
    grid.setRow(1);
    grid.selection()->select(grid.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_prompt.answers = {PromptAnswer::Yes};
    library.DeleteSelected1Click();

    QCOMPARE(m_prompt.messages.size(), 1);
    const MessageRequest &question = m_prompt.messages.first();
    QCOMPARE(question.caption, "Accept ?");
    QCOMPARE(question.text, "Remove all selected records ?");
    QCOMPARE(question.buttons, PromptButtons::YesNo);
    QCOMPARE(question.defaultButton, PromptAnswer::No);
    QCOMPARE(question.icon, PromptIcon::Information);
    QCOMPARE(storedKeys(), QStringList{b});
    QCOMPARE(gridPaths(library), QStringList{b});
    QCOMPARE(grid.Row(), 1);
}

void TestLibraryController::deleteSelectedNoChangesNothing()
{
    const QString a = existing("a");
    writeStore({a + "=1", "/missing/x=2"});
    const QByteArray before = m_folder->read("base.ini");
    LibraryController &library = loadedLibrary();
    m_prompt.answers = {PromptAnswer::No, PromptAnswer::No};
    library.DeleteSelected1Click();
    library.Button6Click();
    QCOMPARE(m_prompt.texts(), (QStringList{"Remove all selected records ?", "Remove all invalid records ?"}));
    QCOMPARE(m_folder->read("base.ini"), before);
    QCOMPARE(gridPaths(library), (QStringList{a, "/missing/x"}));
}

void TestLibraryController::deleteWithNothingSelectedStillAsks()
{
    LibraryController &library = loadedLibrary();
    m_prompt.answers = {PromptAnswer::Yes};
    library.DeleteSelected1Click();
    QCOMPARE(m_prompt.texts(), QStringList{"Remove all selected records ?"});
    QVERIFY(!QFile::exists(m_folder->path("base.ini")));
    QCOMPARE(library.hint(), "0 items");
}

void TestLibraryController::cleanUpRemovesInvalidAndKeepsNewValidRecords()
{
    const QString a = existing("a");
    writeStore({a + "=1", "/gone/one=2", "C:\\=3", "Z:=4", "/gone/two=5"});
    LibraryController &library = loadedLibrary();
    // Added by the extension after the load: examined all the same.
    const QString b = existing("b");
    writeStore({a + "=1", "/gone/one=2", "C:\\=3", "Z:=4", "/gone/two=5", b + "=6", "/gone/three=7"});
    m_prompt.answers = {PromptAnswer::Yes};
    library.Button6Click();
    QCOMPARE(m_prompt.messages.first().caption, "Accept ?");
    QCOMPARE(m_prompt.messages.first().icon, PromptIcon::Information);
    QCOMPARE(storedKeys(), (QStringList{a, "C:\\", b}));
    QCOMPARE(gridPaths(library), (QStringList{a, "C:\\", b}));
    QCOMPARE(library.hint(), "3 items");
}

void TestLibraryController::concurrentWriterSurvivesDeletion()
{
    const QString a = existing("a");
    const QString b = existing("b");
    writeStore({a + "=1", b + "=2"});
    LibraryController &library = loadedLibrary();
    library.grid().selection()->select(library.grid().index(0, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    library.grid().selection()->select(library.grid().index(1, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // Meanwhile the extension adds one record and removes one of ours.
    const QString c = existing("c");
    writeStore({b + "=2", c + "=9"});
    m_prompt.answers = {PromptAnswer::Yes};
    library.DeleteSelected1Click();
    QCOMPARE(storedKeys(), QStringList{c});
    QCOMPARE(gridPaths(library), QStringList{c});
}

void TestLibraryController::pathsDifferingInCaseAreSeparateRecords()
{
    // On a file system that tells letter case apart these are two files,
    // one of them gone: each row shows its own badge, and neither the
    // clean-up nor a deletion of the missing one takes the other with it.
    const QString kept = existing("Exists.txt");
    const QString gone = m_folder->path("marked/exists.txt");
    const QString other = m_folder->path("marked/OTHER.txt");
    writeStore({kept + "=8", gone + "=9", other + "=1", m_folder->path("marked/other.txt") + "=2"});
    const BadgeRecordStore store(m_folder->folder());
    QStringList paths;
    const QList<BadgeRecord> records = store.load(paths);
    QCOMPARE(records.size(), 4);
    QCOMPARE(records[0].badge, "8");
    QVERIFY(records[0].valid);
    QCOMPARE(records[1].badge, "9");
    QVERIFY(!records[1].valid);
    store.deleteRecords({m_folder->path("marked/other.txt")});
    QCOMPARE(storedKeys(), (QStringList{kept, gone, other}));
    store.removeInvalid(paths);
    QCOMPARE(storedKeys(), QStringList{kept});
}

void TestLibraryController::pathsOutsideAnyCodePageAreDeletedExactly()
{
    const QString mixed = existing(QString::fromUtf8("Ελληνικά и русский 日本 ♫ 𝄞.txt"));
    writeStore({mixed + "=1", "/gone/" + QString::fromUtf8("𝄞") + "=2"});
    LibraryController &library = loadedLibrary();
    QCOMPARE(library.grid().Cells(2, 1), mixed);
    QCOMPARE(library.grid().Cells(0, 1), "");
    QCOMPARE(library.grid().Cells(0, 2), "!");
    m_prompt.answers = {PromptAnswer::Yes};
    library.DeleteSelected1Click(); // the first row is selected after a load
    QCOMPARE(storedKeys(), QStringList{"/gone/" + QString::fromUtf8("𝄞")});
}

void TestLibraryController::clickDirectionRule()
{
    const QString a = existing("a");
    const QString b = existing("b");
    writeStore({a + "=2", b + "=10"});
    LibraryController &library = loadedLibrary();
    SortGridModel &grid = library.grid();
    QCOMPARE(library.LastSortColumn(), 2);
    QStringList directions;
    const auto click = [&](int col, bool right) {
        grid.ClickSort(col, 0, right);
        directions << (grid.SortDirection() == TSortDirection::sdAscending ? "asc" : "desc");
    };
    click(1, false);
    click(1, false);
    click(1, false);
    QCOMPARE(directions, (QStringList{"asc", "desc", "desc"}));
    QCOMPARE(grid.Cells(1, 1), "10"); // numeric: 10 after 2, so descending puts it first
    directions.clear();
    click(0, true); // right click on a column that was not the last one
    QCOMPARE(directions, QStringList{"desc"});

    // The first left click on "Location" sorts descending.
    LibraryController fresh(m_folder->folder(), m_prompt);
    fresh.firstLoad();
    fresh.grid().ClickSort(2, 0, false);
    QCOMPARE(fresh.grid().SortDirection(), TSortDirection::sdDescending);
    QCOMPARE(fresh.grid().Cells(2, 1), b);

    // One record: nothing sorts, but the click still counts.
    writeStore({a + "=1"});
    LibraryController single(m_folder->folder(), m_prompt);
    single.firstLoad();
    single.grid().ClickSort(0, 0, false);
    QCOMPARE(single.LastSortColumn(), 0);
    QCOMPARE(single.grid().SortColumn(), 1);
}

void TestLibraryController::everyRecordIsListed()
{
    // Far past the old 16 384-character listing cut.
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QStringLiteral("/gone/a long folder name/record number %1.txt=1").arg(i);
    writeStore(lines);
    LibraryController &library = loadedLibrary();
    QCOMPARE(library.grid().RowCount(), 5001);
    QCOMPARE(library.hint(), "5000 items");
    m_prompt.answers = {PromptAnswer::Yes};
    library.Button6Click();
    QCOMPARE(storedKeys(), QStringList{});
    QCOMPARE(m_folder->read("base.ini"), QByteArray("\xFF\xFE[\0F\0i\0l\0e\0s\0]\0\r\0\n\0", 20));
}

QTEST_GUILESS_MAIN(TestLibraryController)
#include "tst_LibraryController.moc"
