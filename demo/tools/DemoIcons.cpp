#include "DemoIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace DemoIcons {

QImage badge(int number, int size, BadgeStyle style, const QColor &colour)
{
    return lettered(QString::number(number), size, style, colour);
}

QImage lettered(const QString &text, int size, BadgeStyle style, const QColor &colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size - 1.0, size - 1.0);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, colour.lighter(140));
    fill.setColorAt(1, colour.darker(120));
    p.setBrush(fill);
    p.setPen(QPen(colour.darker(170), std::max(1.0, size / 16.0)));
    switch (style) {
    case BadgeStyle::Disc:
        p.drawEllipse(r);
        break;
    case BadgeStyle::Square:
        p.drawRoundedRect(r, size / 5.0, size / 5.0);
        break;
    case BadgeStyle::Star: {
        QPainterPath star;
        const QPointF c = r.center();
        for (int i = 0; i < 10; ++i) {
            const double radius = (i % 2 ? 0.30 : 0.5) * size;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
            i == 0 ? star.moveTo(point) : star.lineTo(point);
        }
        star.closeSubpath();
        p.drawPath(star);
        break;
    }
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(text.size() >= 2 ? size * 4 / 10 : size * 11 / 20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, text);
    return image;
}

QImage flag(const QList<QColor> &stripes, bool cross, const QColor &crossColour)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const int top = 3;
    const int height = 10;
    for (int i = 0; i < stripes.size(); ++i) {
        const int y0 = top + height * i / stripes.size();
        const int y1 = top + height * (i + 1) / stripes.size();
        p.fillRect(0, y0, 16, y1 - y0, stripes[i]);
    }
    if (cross) {
        p.fillRect(0, top + 3, 16, 4, crossColour);
        p.fillRect(6, top, 4, height, crossColour);
        p.fillRect(0, top + 4, 16, 2, QColor(200, 16, 46));
        p.fillRect(7, top, 2, height, QColor(200, 16, 46));
    }
    p.setPen(QColor(0, 0, 0, 90));
    p.drawRect(0, top, 15, height - 1);
    return image;
}

bool writeIco(const QString &path, const QImage &image)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, "ico");
    return writer.write(image);
}

} // namespace DemoIcons
