#include "Settings.h"

#include "ini/TntIniFile.h"

namespace Settings {

QString fileName(const ProgramFolder &folder)
{
    return folder.file(u"settings.ini");
}

QString read(const ProgramFolder &folder, const Text &setting)
{
    return TTntIniFile(fileName(folder))
        .ReadString(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                    QString::fromLatin1(setting.defaultValue));
}

void write(const ProgramFolder &folder, const Text &setting, const QString &value)
{
    TTntIniFile(fileName(folder))
        .WriteString(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key), value);
}

int read(TTntIniFile &settings, const Number &setting)
{
    return settings.ReadInteger(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                                setting.defaultValue);
}

void write(TTntIniFile &settings, const Number &setting, int value)
{
    settings.WriteInteger(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key), value);
}

} // namespace Settings
