#pragma once

#include <QString>

// A theme name read from a package becomes a folder name inside themes. It
// must be one plain folder name that both Windows and Linux can hold, so no
// package can make the installer write anywhere else.
bool isSafeThemeName(const QString &name);
