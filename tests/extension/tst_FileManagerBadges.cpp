#include "ExtensionFixture.h"
#include "SystemModule.h"
#include "XvfbDisplay.h"

#include "library/BadgeRecordStore.h"
#include "platform/ini/TntIniFile.h"
#include "shell/RegDLL.h"
#include "themes/ThemeApplier.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QImage>
#include <QStandardPaths>
#include <QTest>

// Each file manager itself, under Xvfb, with the extension's module loaded:
// the badge of a file marked through the badge command must show on the
// file's icon, stay when the file is renamed, take the colour of a theme
// applied in the manager within a second or so, with nobody touching the
// window, and go when the manager deletes the record.
class TestFileManagerBadges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badgeFollowsStoreAndTheme_data();
    void badgeFollowsStoreAndTheme();

private:
    // Where pixels of a colour lie on the screen, and how many there are.
    struct Spot {
        int pixels = 0;
        QRect box;
    };
    Spot spotOf(const QColor &colour) const;
    // Takes screenshots until the colour's spot passes, or ms went by
    // (QTRY counts only its own waits, not the screenshots' time).
    Spot waitForSpot(const QColor &colour, const std::function<bool(const Spot &)> &passes, int ms) const;

    XvfbDisplay m_display;
};

void TestFileManagerBadges::initTestCase()
{
    QVERIFY(m_display.start("1000x700x24"));
}

TestFileManagerBadges::Spot TestFileManagerBadges::spotOf(const QColor &colour) const
{
    QProcess shot;
    shot.start("import", {"-display", QString::fromLatin1(m_display.name()), "-window", "root", "png:-"});
    shot.waitForFinished(20000);
    const QImage screen = QImage::fromData(shot.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
    Spot spot;
    for (int y = 0; y < screen.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x) {
            if (std::abs(qRed(line[x]) - colour.red()) + std::abs(qGreen(line[x]) - colour.green())
                    + std::abs(qBlue(line[x]) - colour.blue())
                < 30) {
                ++spot.pixels;
                spot.box |= QRect(x, y, 1, 1);
            }
        }
    }
    return spot;
}

TestFileManagerBadges::Spot
TestFileManagerBadges::waitForSpot(const QColor &colour, const std::function<bool(const Spot &)> &passes, int ms) const
{
    const QDeadlineTimer deadline(ms);
    Spot spot = spotOf(colour);
    while (!passes(spot) && !deadline.hasExpired()) {
        QTest::qWait(20);
        spot = spotOf(colour);
    }
    return spot;
}

void TestFileManagerBadges::badgeFollowsStoreAndTheme_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("module");
    // Where the file manager loads installed modules from.
    QTest::addColumn<QString>("systemFolder");
    // The variable that loads the module from the build; empty: the file
    // manager loads modules from its system folder alone.
    QTest::addColumn<QByteArray>("moduleVariable");
    QTest::addColumn<QByteArrayList>("environment");
#ifdef EMBLIX_THUNAR_MODULE_FILE
    QTest::newRow("Thunar") << "thunar" << QStringList() << EMBLIX_THUNAR_MODULE_FILE << EMBLIX_THUNAR_MODULE_DIR
                            << QByteArray() << QByteArrayList();
#endif
#ifdef EMBLIX_CAJA_MODULE_FILE
    QTest::newRow("Caja") << "caja" << QStringList{"--no-desktop"} << EMBLIX_CAJA_MODULE_FILE << EMBLIX_CAJA_MODULE_DIR
                          << "CAJA_EXTENSION_DIRS=" + QFileInfo(EMBLIX_CAJA_MODULE_FILE).path().toUtf8()
                          << QByteArrayList();
#endif
#ifdef EMBLIX_NEMO_MODULE_FILE
    QTest::newRow("Nemo") << "nemo" << QStringList() << EMBLIX_NEMO_MODULE_FILE << EMBLIX_NEMO_MODULE_DIR
                          << QByteArray() << QByteArrayList();
#endif
#ifdef EMBLIX_DOLPHIN_OVERLAY_MODULE_FILE
    // Both Dolphin plugins lie below one folder, as in Qt's plugin folder.
    QTest::newRow("Dolphin") << "dolphin" << QStringList() << EMBLIX_DOLPHIN_OVERLAY_MODULE_FILE
                             << EMBLIX_DOLPHIN_OVERLAY_MODULE_DIR
                             << "QT_PLUGIN_PATH=" + QFileInfo(EMBLIX_DOLPHIN_OVERLAY_MODULE_FILE).path().toUtf8()
                                    + "/../.."
                             // The test itself runs offscreen; Dolphin must not.
                             << QByteArrayList{"QT_QPA_PLATFORM=xcb"};
#endif
#ifdef EMBLIX_NAUTILUS_MODULE_FILE
    // GTK 4's GL renderer draws nothing under Xvfb.
    QTest::newRow("Nautilus") << "nautilus" << QStringList() << EMBLIX_NAUTILUS_MODULE_FILE
                              << EMBLIX_NAUTILUS_MODULE_DIR << QByteArray() << QByteArrayList{"GSK_RENDERER=cairo"};
#endif
}

void TestFileManagerBadges::badgeFollowsStoreAndTheme()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, module);
    QFETCH(QString, systemFolder);
    QFETCH(QByteArray, moduleVariable);
    QFETCH(QByteArrayList, environment);
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP("this file manager is not installed");
    // An installed module is the one the file manager loads.
    if (!moduleVariable.isEmpty() && !QFileInfo::exists(systemFolder + u'/' + QFileInfo(module).fileName()))
        environment.append(moduleVariable);
    QList<std::pair<QByteArray, std::optional<QByteArray>>> before;
    for (const QByteArray &setting : environment) {
        const QByteArray name = setting.left(setting.indexOf('='));
        before.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        qputenv(name, setting.mid(setting.indexOf('=') + 1));
    }
    const auto restore = qScopeGuard([&] {
        for (const auto &[name, value] : before) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
    });

    ExtensionFixture fx;
    SystemModule installed;
    if (moduleVariable.isEmpty() && !installed.place(module, systemFolder))
        QSKIP("the module's system folder cannot be written here (not root)");
    // Badge 5 draws cyan; the theme applied later draws it magenta.
    const QColor cyan = ExtensionFixture::badgeColour(5);
    const QColor magenta(255, 0, 255);
    for (int badge = 1; badge <= 10; ++badge)
        fx.folder.write(QStringLiteral("themes/Pink/%1.ico").arg(badge), ZipBuilder::icon(magenta, 32));
    RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll"));
    const auto unregister = qScopeGuard([&] { RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll")); });
    const QString marked = fx.item("view/marked.txt");
    fx.item("view/plain.txt");
    QCOMPARE(fx.badge({"set", "5", marked}), 0);

    FileManagerProcess manager;
    manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    manager.start(program, arguments + QStringList{QFileInfo(marked).path()});
    QVERIFY(manager.waitForStarted());
    Spot badge;
    QElapsedTimer clock;
    clock.start();
    const auto shown = [](const Spot &spot) { return spot.pixels > 40; };
    const auto gone = [](const Spot &spot) { return spot.pixels == 0; };
    QVERIFY((badge = waitForSpot(cyan, shown, 60000)).pixels > 40);
    qInfo("badge seen after %lld ms", clock.elapsed());
    // An emblem sits on one icon: a small spot, not a stripe of the window.
    QVERIFY2(badge.box.width() <= 48 && badge.box.height() <= 48, qPrintable(QString::number(badge.box.width())));
    QCOMPARE(spotOf(magenta).pixels, 0);

    // Renamed in a terminal, the file keeps its mark: the keeper moves the
    // record and the emblem, and the file manager draws the new theme on
    // the renamed file below.
    const QString renamed = QFileInfo(marked).path() + QStringLiteral("/marked-2.txt");
    QVERIFY(QFile::rename(marked, renamed));
    QTRY_COMPARE_WITH_TIMEOUT(
        TTntIniFile(fx.folder.path("base.ini"), IniDocument::KeySpelling::Exact).ReadString("Files", renamed, "-"),
        QStringLiteral("5"), 30000);

    // The manager applies another theme; icoswap.exe redraws the emblems
    // and the module has the file manager draw them.
    clock.restart();
    int icoswapExit = -1;
    ThemeApplier(fx.folder.folder(), [&](const QString &icoswap) {
        icoswapExit = QProcess::execute(icoswap, {});
    }).ApplyTheme(fx.folder.path("themes/Pink") + u'/');
    QCOMPARE(icoswapExit, 0);
    Spot pink;
    // How fast the new image comes is printed, not asserted: a loaded
    // machine would make a bound here fail now and then.
    QVERIFY((pink = waitForSpot(magenta, shown, 10000)).pixels > 40);
    qInfo("new theme seen %lld ms after it was applied", clock.elapsed());
    QVERIFY(pink.box.intersects(badge.box));
    QCOMPARE(spotOf(cyan).pixels, 0);

    // The manager deletes the record; the keeper takes the emblem off.
    QVERIFY(BadgeRecordStore(fx.folder.folder()).deleteRecords({renamed}));
    QCOMPARE(waitForSpot(magenta, gone, 30000).pixels, 0);
    QCOMPARE(spotOf(cyan).pixels, 0);
}

QTEST_GUILESS_MAIN(TestFileManagerBadges)
#include "tst_FileManagerBadges.moc"
