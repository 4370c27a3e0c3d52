#include "LinkLabel.h"

#include "SystemColours.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    // Drawn in the link role, whatever background role the label inherits
    // (the window's button role would make the text button-coloured).
    QPalette colours = palette();
    colours.setColor(QPalette::Link, SystemColours::hotTrack());
    setPalette(colours);
    setForegroundRole(QPalette::Link);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
        onClick();
}
