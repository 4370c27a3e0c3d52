#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The system's 8-bit code page, in which the Windows profile functions write
// files that carry no byte-order mark: the ANSI code page (GetACP) on
// Windows, Latin-1 elsewhere. Decoding and encoding are exact inverses:
// a byte the code page does not map reads as one of U+DC80..U+DCFF and is
// written back as that byte, so every file comes back unchanged.
namespace AnsiCodePage {

QString decode(QByteArrayView bytes);
QByteArray encode(QStringView text);
// True when every character of text can be stored.
bool canEncode(QStringView text);

} // namespace AnsiCodePage
