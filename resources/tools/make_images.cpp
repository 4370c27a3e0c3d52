// Paints the program's own small images pixel by pixel, so that they are
// exactly as the grid's drawing expects them.
//
//   make_images <output folder>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

QRgb rgb(unsigned hex)
{
    return qRgb((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF);
}

QRgb mixRgb(unsigned from, unsigned to, double t)
{
    const QColor a(rgb(from));
    const QColor b(rgb(to));
    return qRgb(qRound(a.red() + (b.red() - a.red()) * t), qRound(a.green() + (b.green() - a.green()) * t),
                qRound(a.blue() + (b.blue() - a.blue()) * t));
}

QImage rows(const QList<QRgb> &colours)
{
    QImage image(26, int(colours.size()), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colours[y]);
    return image;
}

// The header of the sort column: a glossy blue gradient, one colour a row.
QImage active()
{
    QList<QRgb> c(21);
    c[0] = c[1] = rgb(0xCFDEF2);
    for (int y = 2; y <= 7; ++y)
        c[y] = mixRgb(0xCFDEF2, 0x87B8EA, (y - 1) / 7.0);
    c[8] = c[9] = rgb(0x87B8EA);
    c[10] = rgb(0x6CABEB);
    for (int y = 11; y <= 18; ++y)
        c[y] = mixRgb(0x6CABEB, 0xB6F8FF, (y - 10) / 9.0);
    c[19] = rgb(0xB6F8FF);
    c[20] = rgb(0x8EAEB1);
    return rows(c);
}

// The other header cells: a soft grey gradient.
QImage inactive()
{
    const unsigned shades[21] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xF6F6F6, 0xF6F6F6, 0xF6F6F6, 0xF0F0F0,
                                 0xF0F0F0, 0xF0F0F0, 0xF0F0F0, 0xE9E9E9, 0xE9E9E9, 0xF0F0F0, 0xF0F0F0,
                                 0xF0F0F0, 0xF6F6F6, 0xF6F6F6, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xB1B1B1};
    QList<QRgb> c;
    for (unsigned shade : shades)
        c.append(rgb(shade));
    return rows(c);
}

// The sort glyph: a white triangle pointing down, 12 pixels wide at row 3,
// two narrower on each row down to 2 pixels at row 8.
QImage sortGlyph()
{
    QImage image(14, 14, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 3; y <= 8; ++y) {
        const int width = 12 - 2 * (y - 3);
        const int left = (14 - width) / 2;
        for (int x = left; x < left + width; ++x)
            image.setPixel(x, y, qRgba(255, 255, 255, 255));
    }
    return image;
}

bool inDisc(int x, int y)
{
    const double dx = x - 4.5;
    const double dy = y - 4.5;
    return dx * dx + dy * dy <= 5.0 * 5.0;
}

bool inExclamation(int x, int y)
{
    return (x == 4 || x == 5) && ((y >= 2 && y <= 5) || y == 7);
}

// The invalid mark: a grey disc with a white exclamation sign; for
// highlighted rows a white disc with the sign cut out.
QImage invalidMark(bool selected)
{
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            if (!inDisc(x, y))
                continue;
            if (inExclamation(x, y))
                image.setPixel(x, y, selected ? qRgba(0, 0, 0, 0) : qRgba(255, 255, 255, 255));
            else
                image.setPixel(x, y, selected ? qRgba(255, 255, 255, 255) : qRgba(102, 102, 102, 255));
        }
    }
    return image;
}

// The program's own pictures: the built-in navigation icons, the program
// icon, the package icon and the link icon, drawn from simple shapes.
QImage canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage libraryIcon()
{
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(70, 90, 120), 1));
        p.setBrush(QColor(250 - i * 15, 250 - i * 10, 255));
        p.drawRoundedRect(QRectF(4 + i * 4, 3 + i * 4, 18, 22), 2, 2);
    }
    p.setBrush(QColor(220, 60, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(19, 19, 11, 11));
    return image;
}

QImage themesIcon()
{
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 90, 50), 1.2));
    p.setBrush(QColor(240, 220, 180));
    p.drawEllipse(QRectF(2, 4, 28, 24));
    const QColor dots[] = {QColor(220, 50, 50), QColor(50, 160, 60), QColor(50, 90, 220), QColor(240, 190, 30)};
    const QPointF at[] = {{9, 11}, {16, 8}, {23, 11}, {24, 19}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(dots[i]);
        p.setPen(Qt::NoPen);
        p.drawEllipse(at[i], 3.2, 3.2);
    }
    p.setBrush(Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawEllipse(QPointF(11, 21), 3.5, 3.5);
    return image;
}

QImage aboutIcon()
{
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 70, 160), 1.5));
    p.setBrush(QColor(90, 150, 230));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 7, 4.5, 4.5));
    p.drawRoundedRect(QRectF(14, 13.5, 4.5, 12), 1.5, 1.5);
    return image;
}

QImage languageIcon()
{
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(120, 200, 240));
    p.setPen(QPen(QColor(20, 90, 140), 1.5));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(10, 3, 12, 26));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.drawLine(QPointF(5, 9.5), QPointF(27, 9.5));
    p.drawLine(QPointF(5, 22.5), QPointF(27, 22.5));
    return image;
}

QImage optionsIcon()
{
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath gear;
    const QPointF c(16, 16);
    for (int i = 0; i < 16; ++i) {
        const double radius = (i % 2) ? 10.0 : 14.0;
        const double a0 = i * M_PI / 8 - M_PI / 16;
        const double a1 = i * M_PI / 8 + M_PI / 16;
        const QPointF p0 = c + QPointF(radius * std::cos(a0), radius * std::sin(a0));
        const QPointF p1 = c + QPointF(radius * std::cos(a1), radius * std::sin(a1));
        i == 0 ? gear.moveTo(p0) : gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 4.5, 4.5);
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(160, 165, 180));
    p.drawPath(gear);
    return image;
}

// The program's icon: a document carrying a round badge.
QImage programIcon(int size)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 128.0, size / 128.0);
    p.setPen(QPen(QColor(60, 80, 110), 3));
    p.setBrush(QColor(248, 250, 255));
    QPainterPath page;
    page.moveTo(22, 8);
    page.lineTo(82, 8);
    page.lineTo(104, 30);
    page.lineTo(104, 116);
    page.lineTo(22, 116);
    page.closeSubpath();
    p.drawPath(page);
    p.setPen(QPen(QColor(170, 185, 210), 4));
    for (int y = 40; y <= 80; y += 14)
        p.drawLine(36, y, 80, y);
    QRadialGradient glow(QPointF(86, 90), 34);
    glow.setColorAt(0, QColor(255, 140, 90));
    glow.setColorAt(1, QColor(200, 40, 40));
    p.setBrush(glow);
    p.setPen(QPen(QColor(140, 20, 20), 3));
    p.drawEllipse(QPointF(88, 92), 30, 30);
    p.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(75, 92), QPointF(85, 102));
    p.drawLine(QPointF(85, 102), QPointF(102, 80));
    return image;
}

// Theme packages: a small box with the badge colours.
QImage packageIcon(int size)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(QPen(QColor(110, 80, 40), 1));
    p.setBrush(QColor(215, 170, 110));
    p.drawRect(QRectF(4, 10, 24, 18));
    p.setBrush(QColor(235, 200, 140));
    p.drawRect(QRectF(2, 6, 28, 6));
    const QColor colours[] = {QColor(220, 60, 60), QColor(60, 160, 70), QColor(60, 100, 220)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colours[i]);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(10 + i * 6, 20), 2.6, 2.6);
    }
    return image;
}

// The link icon beside the web and mail links.
QImage linkIcon()
{
    QImage image = canvas(16);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 90, 200), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(1.5, 5.5, 7, 5), 2.5, 2.5);
    p.drawRoundedRect(QRectF(7.5, 5.5, 7, 5), 2.5, 2.5);
    return image;
}

bool saveIco(const QImage &image, const QString &path)
{
    return QImageWriter(path, "ico").write(image);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_images <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    const bool ok =
        active().save(out.filePath("ACTIVE.png")) && inactive().save(out.filePath("UNACTIVE.png"))
        && sortGlyph().save(out.filePath("Image6.png")) && invalidMark(false).save(out.filePath("imgInvalid.png"))
        && invalidMark(true).save(out.filePath("imgInvalid_Sel.png")) && libraryIcon().save(out.filePath("i_1.png"))
        && themesIcon().save(out.filePath("i_2.png")) && aboutIcon().save(out.filePath("i_3.png"))
        && languageIcon().save(out.filePath("i_4.png")) && optionsIcon().save(out.filePath("i_5.png"))
        && programIcon(128).save(out.filePath("MAINICON.png")) && saveIco(programIcon(64), out.filePath("MAINICON.ico"))
        && packageIcon(64).save(out.filePath("VQKFILE.png")) && linkIcon().save(out.filePath("link.png"));
    return ok ? 0 : 1;
}
