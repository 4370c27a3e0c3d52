#pragma once

#include <QByteArray>
#include <QString>

// A package's plist.ini as the installer reads it: decoded by its byte-order
// mark (UTF-16LE, UTF-16BE, UTF-8; without one UTF-8 when valid, else the
// 8-bit code page), every line break made CR LF, ready to be written as a
// UTF-16LE working copy and read as an INI file.
QString plistWorkingText(const QByteArray &plist);
