// Lays out the demo program folder: copies the demo's own files, paints its
// icons and makes the files and folders its badge records point at.
//
//   make_demo <demo source folder> <program folder>

#include "DemoIcons.h"
#include "themes/LibZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    const QDir source(from);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + u'/' + source.relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(file, target))
            return false;
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    }
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The records of the demo's base.ini: files and folders the demo makes, some
// that it does not make (invalid records), a drive root, a drive letter,
// paths in several scripts, and enough ordinary records to scroll.
QByteArray badgeRecords(const QString &root)
{
    const QString files = QDir::toNativeSeparators(root + QStringLiteral("/demo-files"));
    struct Record {
        QString relative;
        int badge;
        bool create;
        bool folder;
    };
    QList<Record> records = {
        {QStringLiteral("Documents/report 2026.txt"), 1, true, false},
        {QStringLiteral("Documents"), 2, true, true},
        {QStringLiteral("Photos/Holiday"), 3, true, true},
        {QStringLiteral("old notes.txt"), 4, false, false},
        {QStringLiteral("日本語/写真の一覧.txt"), 5, true, false},
        {QStringLiteral("Ελληνικά και русский/σημειώσεις.txt"), 6, true, false},
        {QStringLiteral("Music ♫/playlist.m3u"), 7, true, false},
        {QStringLiteral("Projects/deleted project"), 8, false, true},
        {QStringLiteral("Projects/emblix/plan.md"), 9, true, false},
        {QStringLiteral("Projects/emblix"), 10, true, true},
    };
    for (int i = 1; i <= 40; ++i)
        records.append(
            {QStringLiteral("Archive/letter %1.txt").arg(i, 2, 10, QChar(u'0')), 1 + (i * 7) % 10, i % 5 != 0, false});

    QString text = QStringLiteral("[Files]\r\n");
    for (const Record &r : records) {
        const QString path = files + QDir::separator() + QDir::toNativeSeparators(r.relative);
        if (r.create) {
            if (r.folder)
                QDir().mkpath(path);
            else
                writeFile(path, "A file marked in the Emblix demo.\n");
        }
        text += path + u'=' + QString::number(r.badge) + QStringLiteral("\r\n");
    }
    // A drive root is always valid; a drive letter alone is shown valid but
    // removed by the clean-up.
    text += QStringLiteral("C:\\=3\r\nZ:=2\r\n");
    // The extension writes base.ini through the wide profile functions.
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

struct DemoTheme {
    QString folder;
    QString title;
    QString description;
    DemoIcons::BadgeStyle style;
    int saturation;
    int hueShift; // negative: shades of blue
};

const QList<DemoTheme> &demoThemes()
{
    using DemoIcons::BadgeStyle;
    static const QList<DemoTheme> themes = {
        {QStringLiteral("Pastel"), QStringLiteral("Pastel"),
         QStringLiteral("Soft round badges./nThe theme the demo starts with."), BadgeStyle::Disc, 110, 0},
        {QStringLiteral("Blue.Glass"), QStringLiteral("Blue Glass"),
         QStringLiteral("Square badges in shades of blue./NThe list shows it as Blue: it cuts the extension."),
         BadgeStyle::Square, 200, -1},
        {QStringLiteral("Stars"), QStringLiteral("Stars"), QStringLiteral("Bright star badges."), BadgeStyle::Star, 230,
         20},
    };
    return themes;
}

QColor themeColour(const DemoTheme &theme, int n)
{
    if (theme.hueShift < 0)
        return QColor::fromHsv(200 + (n % 3) * 10, theme.saturation, 120 + n * 12);
    return QColor::fromHsv(((n - 1) * 36 + theme.hueShift) % 360, theme.saturation, 225);
}

// Theme descriptions as the packaging tools write them: UTF-16LE with a mark.
QByteArray plistOf(const DemoTheme &theme)
{
    const QString text =
        QStringLiteral("[AUTHOR]\r\nTHEME_NAME=%1\r\nNAME=The Emblix team\r\nVER=1.0\r\nCOPYRIGHT=%2\r\n")
            .arg(theme.title, theme.description);
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

bool writeTheme(const QString &folder, const DemoTheme &theme)
{
    bool ok = writeFile(folder + QStringLiteral("/plist.ini"), plistOf(theme));
    for (int n = 1; n <= 10; ++n)
        ok &= DemoIcons::writeIco(folder + QStringLiteral("/%1.ico").arg(n),
                                  DemoIcons::badge(n, 32, theme.style, themeColour(theme, n)));
    return ok;
}

bool paintIcons(const QString &root)
{
    using namespace DemoIcons;
    bool ok = writeIco(root + QStringLiteral("/langs/en-GB.ico"), flag({QColor(1, 33, 105)}, true));
    ok &= writeIco(root + QStringLiteral("/langs/uk.ico"), flag({QColor(1, 33, 105)}, true));
    ok &= writeIco(root + QStringLiteral("/langs/de.ico"),
                   flag({Qt::black, QColor(221, 0, 0), QColor(255, 206, 0)}, false));
    ok &= writeIco(root + QStringLiteral("/langs/fr.ico"),
                   flag({QColor(0, 35, 149), Qt::white, QColor(237, 41, 57)}, false));
    // Two navigation icon sets: one complete, one lacking two icons (their
    // tiles keep the built-in ones).
    const char *files[] = {"library.ico", "themes.ico", "About.ico", "Language.ico", "options.ico"};
    const char *letters[] = {"L", "T", "?", "A", "S"};
    QDir(root + QStringLiteral("/toolbar")).removeRecursively();
    for (int page = 0; page < 5; ++page) {
        ok &= writeIco(
            root + QStringLiteral("/toolbar/Pastel/") + files[page],
            lettered(QString::fromLatin1(letters[page]), 32, BadgeStyle::Square, QColor::fromHsv(page * 60, 90, 235)));
        if (page != 2 && page != 4)
            ok &= writeIco(root + QStringLiteral("/toolbar/Mono/") + files[page],
                           lettered(QString::fromLatin1(letters[page]), 32, BadgeStyle::Disc, QColor(90, 90, 100)));
    }
    QDir().mkpath(root + QStringLiteral("/toolbar/Default"));
    QDir(root + QStringLiteral("/themes")).removeRecursively();
    for (const DemoTheme &theme : demoThemes())
        ok &= writeTheme(root + QStringLiteral("/themes/") + theme.folder, theme);
    // The active icons start as the Pastel theme's.
    for (int n = 1; n <= 10; ++n) {
        const QString active = root + QStringLiteral("/icons/%1.ico").arg(n);
        QDir().mkpath(root + QStringLiteral("/icons"));
        QFile::remove(active);
        QFile::remove(active + QStringLiteral(".old"));
        ok &= QFile::copy(root + QStringLiteral("/themes/Pastel/%1.ico").arg(n), active);
    }
    return ok;
}

// A package to try installing, made with the program's own archive layer.
bool writePackage(const QString &root, const QString &staging)
{
    const DemoTheme sunset{QStringLiteral("Sunset"),
                           QStringLiteral("Sunset"),
                           QStringLiteral("Warm evening colours./nInstalled from Sunset.vqk."),
                           DemoIcons::BadgeStyle::Disc,
                           200,
                           300};
    QDir(staging).removeRecursively();
    if (!writeTheme(staging, sunset))
        return false;
    QFile::remove(root + QStringLiteral("/Sunset.vqk"));
    LibZipArchive archive;
    return archive.addFiles(root + QStringLiteral("/Sunset.vqk"), staging,
                            {QStringLiteral("*.ico"), QStringLiteral("*.ini")}, ThemeArchive::AddOptions{})
           == 11;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo <demo source folder> <program folder>\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString root = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(root);
    // An icoswap.exe of old demo layouts gives way to the real one the build puts here.
    if (QFileInfo(root + QStringLiteral("/icoswap.exe")).size() < 4096)
        QFile::remove(root + QStringLiteral("/icoswap.exe"));
    if (!copyTree(source, root) || !paintIcons(root)
        || !writePackage(root, QDir::currentPath() + QStringLiteral("/Sunset"))
        || !writeFile(root + "/base.ini", badgeRecords(root))) {
        std::fprintf(stderr, "make_demo: could not lay out %s\n", qPrintable(root));
        return 1;
    }
    return 0;
}
