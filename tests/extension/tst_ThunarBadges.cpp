#include "ExtensionFixture.h"
#include "XvfbDisplay.h"

#include "library/BadgeRecordStore.h"
#include "shell/RegDLL.h"
#include "themes/ThemeApplier.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTest>

// Thunar itself, under Xvfb, drawing the badge of a file marked through the
// badge command: the emblem's colour must show on the file's icon, take the
// colour of a theme applied in the manager, and go when the manager deletes
// the record.
class TestThunarBadges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void badgeFollowsStoreAndTheme();

private:
    // Where pixels of a colour lie on the screen, and how many there are.
    struct Spot {
        int pixels = 0;
        QRect box;
    };
    Spot spotOf(const QColor &colour) const;
    // Moves the pointer onto the file and away again, as a user's hand
    // does: Thunar keeps the icons it drew for a while (half a minute) and
    // looks the icon theme up again only when it draws the file anew.
    void moveThePointer(const QPoint &onFile) const;

    std::unique_ptr<XvfbDisplay> m_display;
    QByteArray m_displayName;
};

void TestThunarBadges::initTestCase()
{
    m_display = std::make_unique<XvfbDisplay>();
    QVERIFY(m_display->start("800x600x24"));
    m_displayName = m_display->name();
}

void TestThunarBadges::cleanupTestCase()
{
    m_display.reset();
}

TestThunarBadges::Spot TestThunarBadges::spotOf(const QColor &colour) const
{
    QProcess shot;
    shot.start("import", {"-display", QString::fromLatin1(m_displayName), "-window", "root", "png:-"});
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

void TestThunarBadges::moveThePointer(const QPoint &onFile) const
{
    static bool away = false;
    const QPoint to = away ? onFile + QPoint(200, 200) : onFile;
    away = !away;
    QProcess::execute("xdotool", {"mousemove", QString::number(to.x()), QString::number(to.y())});
}

void TestThunarBadges::badgeFollowsStoreAndTheme()
{
    ExtensionFixture fx;
    // Badge 5 draws cyan; the theme applied later draws it magenta.
    const QColor cyan = ExtensionFixture::badgeColour(5);
    const QColor magenta(255, 0, 255);
    for (int badge = 1; badge <= 10; ++badge)
        fx.folder.write(QStringLiteral("themes/Pink/%1.ico").arg(badge), ZipBuilder::icon(magenta, 32));
    RegisterServerLibrary(true, fx.folder.path("emblixmenu.dll"));
    const QString marked = fx.item("view/marked.txt");
    fx.item("view/plain.txt");
    QCOMPARE(fx.badge({"set", "5", marked}), 0);

    QProcess thunar;
    thunar.start("thunar", {QFileInfo(marked).path()});
    QVERIFY(thunar.waitForStarted());
    Spot badge;
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT((badge = spotOf(cyan)).pixels > 40, 30000);
    qInfo("badge seen after %lld ms", clock.elapsed());
    // An emblem sits on one icon: a small spot, not a stripe of the window.
    QVERIFY2(badge.box.width() <= 48 && badge.box.height() <= 48, qPrintable(QString::number(badge.box.width())));
    QCOMPARE(spotOf(magenta).pixels, 0);

    // The manager applies another theme; icoswap.exe redraws the emblems.
    int icoswapExit = -1;
    ThemeApplier(fx.folder.folder(), [&](const QString &program) {
        icoswapExit = QProcess::execute(program, {});
    }).ApplyTheme(fx.folder.path("themes/Pink") + u'/');
    QCOMPARE(icoswapExit, 0);
    QTRY_COMPARE(QColor(QImage(fx.data("icons/hicolor/48x48/emblems/emblix-badge-5.png")).pixel(24, 24)).rgb(),
                 magenta.rgb());
    qInfo("theme applied after %lld ms", clock.elapsed());
    Spot pink;
    QTRY_VERIFY_WITH_TIMEOUT((moveThePointer(badge.box.center()), pink = spotOf(magenta)).pixels > 40, 120000);
    qInfo("new theme seen after %lld ms", clock.elapsed());
    QVERIFY(pink.box.intersects(badge.box));
    QCOMPARE(spotOf(cyan).pixels, 0);

    // The manager deletes the record; the keeper takes the emblem off.
    BadgeRecordStore(fx.folder.folder()).deleteRecords({marked});
    QTRY_COMPARE_WITH_TIMEOUT(spotOf(magenta).pixels, 0, 30000);
    QCOMPARE(spotOf(cyan).pixels, 0);

    thunar.terminate();
    thunar.waitForFinished();
    RegisterServerLibrary(false, fx.folder.path("emblixmenu.dll"));
}

QTEST_GUILESS_MAIN(TestThunarBadges)
#include "tst_ThunarBadges.moc"
