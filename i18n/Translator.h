#pragma once

#include "platform/ProgramFolder.h"

#include <QString>

#include <memory>

class TTntIniFile;

// The translation of every shown text through the current language file:
// the English text is looked up in section "Dict" of langs/<CurLang>. The
// file stays open between calls and is read again only when it changed on
// disk, so a changed file, like a changed CurLang, takes effect at the next
// call, and a large file is not parsed for every text.
class Translator final
{
public:
    explicit Translator(ProgramFolder folder, QString curLang = QStringLiteral("English"));
    ~Translator();
    Translator(const Translator &) = delete;
    Translator &operator=(const Translator &) = delete;

    // "English" (built in, no file is read) or the file name of a language
    // file in langs.
    const QString &CurLang() const { return m_curLang; }
    void setCurLang(const QString &language);

    // The text to show for an English text. Never fails.
    QString Translate(const QString &text);

private:
    // The language file of CurLang, or none when CurLang cannot name a file
    // inside langs (it comes from a file and may hold anything).
    TTntIniFile *languageFile();

    ProgramFolder m_folder;
    QString m_curLang;
    std::unique_ptr<TTntIniFile> m_file;
    bool m_fileChosen = false;
};
