// Decoding a package's plist.ini on arbitrary bytes: the working copy must
// read back as written, and whatever theme name comes out is either refused
// or a single plain folder name.

#include "platform/ProgramFolder.h"
#include "platform/ini/IniDocument.h"
#include "platform/ini/IniText.h"
#include "themes/PlistText.h"
#include "themes/ThemeName.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = plistWorkingText(bytes);
    const IniText decoded = decodeIniBytes(encodeIniText(IniText{IniEncoding::Utf16LE, text, {}, {}}));
    if (decoded.encoding != IniEncoding::Utf16LE || decoded.text != text)
        std::abort();
    const QString name = IniDocument(decoded.text).value(u"AUTHOR", u"THEME_NAME").value_or(QString());
    if (isSafeThemeName(name) && !ProgramFolder::isPlainName(name))
        std::abort();
    return 0;
}
