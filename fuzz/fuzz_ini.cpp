// The INI reader on arbitrary bytes: every read operation, a write and a
// deletion; decoding and encoding must give back the very same bytes.

#include "platform/AppError.h"
#include "platform/IniText.h"
#include "platform/TntIniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (encodeIniText(decodeIniBytes(bytes)) != bytes)
        std::abort(); // a rewrite would change lines nobody touched

    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    file.close();

    TTntIniFile ini(path);
    QStringList keys;
    for (const QString &section : {QStringLiteral("Files"), QString(), QStringLiteral("Dict")}) {
        ini.ReadSection(section, keys);
        for (const QString &key : keys)
            ini.ReadString(section, key, QStringLiteral("0"));
    }
    ini.ReadInteger(QStringLiteral("position"), QStringLiteral("width"), 640);
    try {
        ini.WriteString(QStringLiteral("Files"), QStringLiteral("fuzz"), QStringLiteral("1"));
    } catch (const AppError &) {
    }
    ini.ReadSection(QStringLiteral("Files"), keys);
    if (!keys.isEmpty())
        ini.DeleteKey(QStringLiteral("Files"), keys.first());
    ini.DeleteKey(QStringLiteral("Files"), QStringLiteral("fuzz"));
    ini.UpdateFile();
    return 0;
}
