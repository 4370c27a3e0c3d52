// Paints the program's own small images pixel by pixel, so that they are
// exactly as the grid's drawing expects them.
//
//   make_images <output folder>

#include <QColor>
#include <QDir>
#include <QImage>

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

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_images <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    const bool ok = active().save(out.filePath("ACTIVE.png")) && inactive().save(out.filePath("UNACTIVE.png"))
                    && sortGlyph().save(out.filePath("Image6.png"))
                    && invalidMark(false).save(out.filePath("imgInvalid.png"))
                    && invalidMark(true).save(out.filePath("imgInvalid_Sel.png"));
    return ok ? 0 : 1;
}
