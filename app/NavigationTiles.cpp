#include "NavigationTiles.h"

#include "platform/TextTrim.h"
#include "platform/ui/SystemColours.h"

#include <QFontDatabase>
#include <QPainter>

namespace NavigationTiles {

namespace {

QString withoutBreaks(QString text)
{
    return text.remove(u'\n').remove(u'\r');
}

QPixmap tile(const QColor &background, bool lines, const QPixmap &icon, const QString &caption)
{
    QPixmap picture(kWidth, kHeight);
    picture.fill(background);
    QPainter painter(&picture);
    if (lines) {
        painter.setPen(SystemColours::dark3DShadow());
        painter.drawLine(1, 0, 1, kHeight - 1);
        painter.drawLine(76, 0, 76, kHeight - 1);
    }
    painter.drawPixmap(22, 5, icon);
    painter.end();
    DrawTileCaption(picture, caption);
    return picture;
}

} // namespace

QFont captionFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(8);
    return font;
}

QStringList captionLines(const QString &text)
{
    const qsizetype feed = text.indexOf(u'\n');
    if (feed < 0)
        return {text};
    // The split position is counted in the untrimmed text, as it always was.
    const qsizetype position = feed + 1;
    const QString trimmed = trimControlCharacters(text);
    return {withoutBreaks(trimmed.left(position)), withoutBreaks(trimmed.mid(position, text.size() - position))};
}

void DrawTileCaption(QPixmap &picture, const QString &text)
{
    QPainter painter(&picture);
    const QFont font = captionFont();
    painter.setFont(font);
    painter.setPen(SystemColours::windowText());
    const QFontMetrics metrics(font);
    const auto drawCentred = [&](const QString &line, int top) {
        // A tile shows about ten characters of a line, from its middle. A
        // longer line (a language file may hold anything) is cut to its
        // middle part first, so that laying out megabytes never stalls the
        // window.
        constexpr qsizetype kMaxShown = 256;
        const QString shown = line.size() > kMaxShown ? line.mid((line.size() - kMaxShown) / 2, kMaxShown) : line;
        const int x = (kWidth - metrics.horizontalAdvance(shown)) / 2;
        painter.drawText(QPoint(x, top + metrics.ascent()), shown);
    };
    const QStringList lines = captionLines(text);
    if (lines.size() == 1) {
        drawCentred(lines[0], 42);
        return;
    }
    drawCentred(lines[0], 37);
    drawCentred(lines[1], 38 + metrics.height());
}

QPixmap activeTile(const QPixmap &icon, const QString &caption)
{
    return tile(SystemColours::inactiveBorder(), true, icon, caption);
}

QPixmap inactiveTile(const QPixmap &icon, const QString &caption)
{
    return tile(SystemColours::buttonFace(), false, icon, caption);
}

} // namespace NavigationTiles
