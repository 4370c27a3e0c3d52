#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>

// The pictures of the navigation tiles, 77 x 67 pixels: the page's icon at
// (22, 5) above its caption in one or two centred lines.
namespace NavigationTiles {

constexpr int kWidth = 77;
constexpr int kHeight = 67;

// The caption font: the desktop's dialog font at 8 points.
QFont captionFont();

QPixmap activeTile(const QPixmap &icon, const QString &caption);
QPixmap inactiveTile(const QPixmap &icon, const QString &caption);

// Writes the caption into a tile picture: one line centred at y = 42, or,
// when it holds a line feed, two lines at y = 37 and below.
void DrawTileCaption(QPixmap &picture, const QString &text);

// The two lines of a caption split at its first line feed; one line when
// there is none.
QStringList captionLines(const QString &text);

} // namespace NavigationTiles
