#pragma once

#include <QRect>

class QWidget;

// Pixel layouts with anchors: a control is placed at its design rectangle
// inside a parent of a given design size, and keeps its distance to the
// anchored edges of the parent when the parent is resized. An edge anchored
// on both sides of an axis stretches the control along it.
namespace Anchors {

void setDesignSize(QWidget *parent, const QSize &size);
void place(QWidget *control, const QRect &designRect, Qt::Edges anchors = Qt::TopEdge | Qt::LeftEdge);

constexpr Qt::Edges kAll = Qt::TopEdge | Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge;

} // namespace Anchors
