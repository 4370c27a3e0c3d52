#pragma once

#include "platform/ProgramFolder.h"

#include <QString>

class TTntIniFile;

// Every setting the program keeps in settings.ini, in one table: section,
// key and default. Every part reads and writes its settings through it, so
// a key is spelled once and all agree on its default.
namespace Settings {

struct Text {
    const char *section;
    const char *key;
    const char *defaultValue;
};

struct Number {
    const char *section;
    const char *key;
    int defaultValue;
};

// The language file in langs/, or the built-in English row's name.
inline constexpr Text kLanguage{"Translate", "CurLang", "Default (my bad English)"};
// The icon theme in themes/ and the navigation icon set in toolbar/.
inline constexpr Text kTheme{"Theme", "Name", "Pastel"};
inline constexpr Text kToolbarSet{"Toolbar", "Name", "Pastel"};
// The window's outer bounds, and how it was closed (0 normal, else the
// minimised or maximised code).
inline constexpr Number kWindowLeft{"position", "left", 0};
inline constexpr Number kWindowTop{"position", "top", 0};
inline constexpr Number kWindowWidth{"position", "width", 640};
inline constexpr Number kWindowHeight{"position", "height", 480};
inline constexpr Number kWindowState{"position", "State", 0};

QString fileName(const ProgramFolder &folder);

// The stored value, or the default when the key is missing. Raise AppError
// as TTntIniFile does.
QString read(const ProgramFolder &folder, const Text &setting);
void write(const ProgramFolder &folder, const Text &setting, const QString &value);

// For many settings of one opened file.
int read(TTntIniFile &settings, const Number &setting);
void write(TTntIniFile &settings, const Number &setting, int value);

} // namespace Settings
