#pragma once

#include <QColor>

// The one colour scheme of the owner-drawn lists (records, themes,
// languages): the highlighted item on blue, the others alternating white
// (index 0, 2, ...) and light blue.
namespace ListColours {

inline QColor highlight()
{
    return QColor(0, 113, 225);
}

inline QColor background(int index, bool highlighted)
{
    if (highlighted)
        return highlight();
    return index % 2 ? QColor(216, 233, 254) : QColor(Qt::white);
}

} // namespace ListColours
