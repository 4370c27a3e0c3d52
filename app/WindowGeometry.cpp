#include "WindowGeometry.h"

#include "platform/Settings.h"
#include "platform/ini/TntIniFile.h"

#include <algorithm>

StoredGeometry StoredGeometry::read(TTntIniFile &settings)
{
    StoredGeometry g;
    g.left = Settings::read(settings, Settings::kWindowLeft);
    g.width = std::max(Settings::read(settings, Settings::kWindowWidth), kMinimumWidth);
    g.top = Settings::read(settings, Settings::kWindowTop);
    g.height = std::max(Settings::read(settings, Settings::kWindowHeight), kMinimumHeight);
    g.state = Settings::read(settings, Settings::kWindowState);
    return g;
}

void StoredGeometry::writeOnExit(TTntIniFile &settings, int state, const QRect &outerBounds)
{
    Settings::write(settings, Settings::kWindowState, state);
    if (state != 0)
        return;
    Settings::write(settings, Settings::kWindowLeft, outerBounds.left());
    Settings::write(settings, Settings::kWindowWidth, outerBounds.width());
    Settings::write(settings, Settings::kWindowTop, outerBounds.top());
    Settings::write(settings, Settings::kWindowHeight, outerBounds.height());
}

QPoint centredPosition(const QSize &window, const QRect &screen, const QRect &desktop)
{
    const int x = (screen.width() - window.width()) / 2;
    const int y = (screen.height() - window.height()) / 2;
    return QPoint(std::max(x, desktop.left()), std::max(y, desktop.top()));
}
