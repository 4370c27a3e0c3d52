#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// The demo's pictures, all painted here: nothing is taken from elsewhere.
namespace DemoIcons {

enum class BadgeStyle { Disc, Square, Star };

// A numbered badge of the given size.
QImage badge(int number, int size, BadgeStyle style, const QColor &colour);
// A badge carrying a short text instead of a number.
QImage lettered(const QString &text, int size, BadgeStyle style, const QColor &colour);
// A small flag: stripes of the given colours, optionally with a cross.
QImage flag(const QList<QColor> &stripes, bool cross, const QColor &crossColour = Qt::white);

// Writes an image as an ICO file, creating its folder.
bool writeIco(const QString &path, const QImage &image);

} // namespace DemoIcons
