#include "WindowGeometry.h"

#include "platform/TntIniFile.h"

#include <algorithm>

StoredGeometry StoredGeometry::read(TTntIniFile &settings)
{
    const QString section = QStringLiteral("position");
    StoredGeometry g;
    g.left = settings.ReadInteger(section, QStringLiteral("left"), 0);
    g.width = std::max(settings.ReadInteger(section, QStringLiteral("width"), 640), kMinimumWidth);
    g.top = settings.ReadInteger(section, QStringLiteral("top"), 0);
    g.height = std::max(settings.ReadInteger(section, QStringLiteral("height"), 480), kMinimumHeight);
    g.state = settings.ReadInteger(section, QStringLiteral("State"), 0);
    return g;
}

void StoredGeometry::writeOnExit(TTntIniFile &settings, int state, const QRect &outerBounds)
{
    const QString section = QStringLiteral("position");
    settings.WriteInteger(section, QStringLiteral("State"), state);
    if (state != 0)
        return;
    settings.WriteInteger(section, QStringLiteral("left"), outerBounds.left());
    settings.WriteInteger(section, QStringLiteral("width"), outerBounds.width());
    settings.WriteInteger(section, QStringLiteral("top"), outerBounds.top());
    settings.WriteInteger(section, QStringLiteral("height"), outerBounds.height());
}

QPoint centredPosition(const QSize &window, const QRect &screen, const QRect &desktop)
{
    const int x = (screen.width() - window.width()) / 2;
    const int y = (screen.height() - window.height()) / 2;
    return QPoint(std::max(x, desktop.left()), std::max(y, desktop.top()));
}
