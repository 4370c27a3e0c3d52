#include "TestFolder.h"
#include "ZipBuilder.h"

#include "platform/FileSystem.h"
#include "platform/ui/IconImages.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

// What the program may open in its folders: regular files only (a named
// pipe would block it for good), in the order the Windows file system
// lists them, and of an icon file the image nearest the size drawn.
class TestFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void listsOnlyRegularFilesOrFoldersInListingOrder();
    void iconsAreReadOnlyFromRegularFiles();
    void iconDrawsTheImageNearestTheSize();
    void iconsBeyondTheBoundsDrawNothing();
};

void TestFileSystem::listsOnlyRegularFilesOrFoldersInListingOrder()
{
    TestFolder folder;
    for (const char *name : {"b.ini", "A.ini", "a.ini", "_x.ini", "C.ini", ".hidden.ini", "z.txt"})
        folder.write(QStringLiteral("files/") + name, "x");
    QDir().mkpath(folder.path("files/folder.ini"));
    QVERIFY(::mkfifo(QFile::encodeName(folder.path("files/pipe.ini")).constData(), 0600) == 0);
    QVERIFY(QFile::link(folder.path("files/pipe.ini"), folder.path("files/pipe-link.ini")));
    QVERIFY(QFile::link(folder.path("files/b.ini"), folder.path("files/file-link.ini")));
    QVERIFY(QFile::link(folder.path("files/none"), folder.path("files/broken.ini")));

    const QString files = folder.path("files");
    using FileSystem::Entries;
    // Upper-case forms compared unit by unit: "_" (0x5F) after the letters.
    QCOMPARE(FileSystem::listFolder(files, Entries::RegularFiles, {"*.ini"}),
             (QStringList{".hidden.ini", "A.ini", "a.ini", "b.ini", "C.ini", "file-link.ini", "_x.ini"}));
    QCOMPARE(FileSystem::listFolder(files, Entries::RegularFiles, {"*.ini"}, false),
             (QStringList{"A.ini", "a.ini", "b.ini", "C.ini", "file-link.ini", "_x.ini"}));
    QCOMPARE(FileSystem::listFolder(files, Entries::Folders), QStringList{"folder.ini"});
    QVERIFY(!FileSystem::isRegularFile(folder.path("files/pipe-link.ini")));
    QVERIFY(FileSystem::isRegularFile(folder.path("files/file-link.ini")));
}

void TestFileSystem::iconsAreReadOnlyFromRegularFiles()
{
    TestFolder folder;
    // Would block for good if opened: nobody writes to the pipe.
    QDir().mkpath(folder.path("icons"));
    QVERIFY(::mkfifo(QFile::encodeName(folder.path("icons/3.ico")).constData(), 0600) == 0);
    QDir().mkpath(folder.path("icons/4.ico"));
    QVERIFY(IconImages::load(folder.path("icons/3.ico"), QSize(14, 14)).isNull());
    QVERIFY(IconImages::nearest(folder.path("icons/4.ico"), QSize(14, 14)).isNull());
    folder.write("icons/5.ico", "not an icon");
    QVERIFY(IconImages::load(folder.path("icons/5.ico"), QSize(14, 14)).isNull());
}

void TestFileSystem::iconDrawsTheImageNearestTheSize()
{
    TestFolder folder;
    const QString file = folder.write(
        "icons/1.ico", ZipBuilder::multiSizeIcon({{256, Qt::red}, {16, Qt::green}, {32, Qt::blue}, {48, Qt::yellow}}));
    QCOMPARE(IconImages::nearest(file, QSize(14, 14)).pixelColor(0, 0), QColor(Qt::green));
    QCOMPARE(IconImages::nearest(file, QSize(14, 14)).size(), QSize(16, 16));
    QCOMPARE(IconImages::nearest(file, QSize(32, 32)).pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(IconImages::nearest(file, QSize(50, 50)).pixelColor(0, 0), QColor(Qt::yellow));
    const QPixmap badge = IconImages::load(file, QSize(14, 14));
    QCOMPARE(badge.size(), QSize(14, 14));
    QCOMPARE(badge.toImage().pixelColor(7, 7), QColor(Qt::green));
}

void TestFileSystem::iconsBeyondTheBoundsDrawNothing()
{
    TestFolder folder;
    const auto drawn = [&](const QByteArray &icon) {
        return !IconImages::load(folder.write("icons/1.ico", icon), QSize(50, 50)).isNull();
    };
    QVERIFY(drawn(ZipBuilder::pngIcon(256, 64)));
    QVERIFY(!drawn(ZipBuilder::pngIcon(256, 65)));
    QVERIFY(!drawn(ZipBuilder::pngIcon(256, 65535)));
    QVERIFY(!drawn(ZipBuilder::pngIcon(257)));
    QVERIFY(!drawn(ZipBuilder::pngIcon(5790)));

    // A file changed in place, at the same size, shows at the next paint.
    const QString file = folder.write("icons/2.ico", ZipBuilder::icon(Qt::red));
    QCOMPARE(IconImages::load(file, QSize(14, 14)).toImage().pixelColor(7, 7), QColor(Qt::red));
    folder.write("icons/2.ico", ZipBuilder::icon(Qt::blue));
    QCOMPARE(IconImages::load(file, QSize(14, 14)).toImage().pixelColor(7, 7), QColor(Qt::blue));
}

QTEST_MAIN(TestFileSystem)
#include "tst_FileSystem.moc"
