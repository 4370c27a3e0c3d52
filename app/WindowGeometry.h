#pragma once

#include <QRect>

class TTntIniFile;

// The window's geometry as settings.ini keeps it in [position]: the outer
// bounds in screen pixels and the state (0 normal, 1 minimised, 2 maximised).
struct StoredGeometry {
    static constexpr int kMinimumWidth = 560;
    static constexpr int kMinimumHeight = 430;

    int left = 0;
    int width = 640;
    int top = 0;
    int height = 480;
    int state = 0;

    // Reads left, width, top, height and State in that order, each with its
    // default; a width or height below the minimum gives the minimum.
    static StoredGeometry read(TTntIniFile &settings);

    // At exit State is always written; the bounds only in the normal state,
    // so a window closed maximised keeps its last normal size.
    static void writeOnExit(TTntIniFile &settings, int state, const QRect &outerBounds);
};

// Where the window opens: centred on the screen, each coordinate halved
// toward zero and raised to the desktop's left and top edge if smaller.
QPoint centredPosition(const QSize &window, const QRect &screen, const QRect &desktop);
