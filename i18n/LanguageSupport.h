#pragma once

#include <QString>

class QObject;
class ProgramFolder;

// Every text the program shows passes through Translate, which looks the
// English text up in section "Dict" of langs/<CurLang>. The file is opened
// for each lookup, so a changed file or a changed CurLang takes effect at
// the next call.
namespace LanguageSupport {

// The current language: "English" (built in, no file is read) or the file
// name of a language file in langs. Loaded from settings.ini at start-up.
extern QString CurLang;

// The program folder whose langs folder is read.
void setProgramFolder(const ProgramFolder &folder);

// The text to show for an English text. Never fails.
QString Translate(const QString &text);

// Passes the window's caption, then the caption and hint of every control it
// owns, in creation order, through Translate. A control's caption is its
// "title", "text" or "plainText" property; its hint is the "hint" property.
void TranslateMainWindow(QObject *window);

} // namespace LanguageSupport

using LanguageSupport::Translate;
