#pragma once

#include "Translator.h"

#include <QString>

class QObject;

// Every text the program shows passes through Translate, which forwards to
// the translator in force: the one the program's entry owns, or a test's.
namespace LanguageSupport {

// Puts a translator in force for the life of this object; then the one of
// the latest scope still alive is in force again.
class TranslatorScope final
{
public:
    explicit TranslatorScope(ProgramFolder folder, QString curLang = QStringLiteral("English"));
    ~TranslatorScope();
    TranslatorScope(const TranslatorScope &) = delete;
    TranslatorScope &operator=(const TranslatorScope &) = delete;

    Translator &translator() { return m_translator; }

private:
    Translator m_translator;
};

// The translator in force; without a scope, one that has no language files.
Translator &translator();

// The current language of the translator in force (see Translator).
QString CurLang();
void setCurLang(const QString &language);

// The text to show for an English text. Never fails.
QString Translate(const QString &text);

// Passes the window's caption, then the caption and hint of every control it
// owns, in creation order, through Translate. A control's caption is its
// "title", "text" or "plainText" property; its hint is the "hint" property.
void TranslateMainWindow(QObject *window);

} // namespace LanguageSupport

using LanguageSupport::Translate;
