#include "PlistText.h"

#include "platform/ini/IniText.h"

QString plistWorkingText(const QByteArray &plist)
{
    QString text = decodeIniBytes(plist).text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return text.replace(u'\n', QStringLiteral("\r\n"));
}
