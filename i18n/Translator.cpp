#include "Translator.h"

#include "platform/TextTrim.h"
#include "platform/ini/TntIniFile.h"

namespace {

// The break marker "/n" becomes line feed then carriage return.
QString replaceBreakMarkers(QString text)
{
    return text.replace(QStringLiteral("/n"), QStringLiteral("\n\r"));
}

} // namespace

Translator::Translator(ProgramFolder folder, QString curLang)
    : m_folder(std::move(folder)), m_curLang(std::move(curLang))
{}

Translator::~Translator() = default;

void Translator::setCurLang(const QString &language)
{
    if (language == m_curLang)
        return;
    m_curLang = language;
    m_file.reset();
    m_fileChosen = false;
}

TTntIniFile *Translator::languageFile()
{
    if (!m_fileChosen) {
        m_fileChosen = true;
        if (ProgramFolder::isPlainName(m_curLang) && !m_folder.root().isEmpty())
            m_file = std::make_unique<TTntIniFile>(m_folder.file(QString(QStringLiteral("langs/") + m_curLang)));
    }
    return m_file.get();
}

QString Translator::Translate(const QString &text)
{
    try {
        QString key = trimControlCharacters(text);
        if (m_curLang == u"English")
            return replaceBreakMarkers(text);
        if (key.isEmpty())
            return QString();
        const bool hadDots = key.endsWith(u"...");
        if (hadDots)
            key = trimControlCharacters(key.chopped(3));

        QString value = key;
        if (TTntIniFile *file = languageFile())
            value = file->ReadString(QStringLiteral("Dict"), key, key);
        if (hadDots)
            value += u" ...";
        if (!trimControlCharacters(value).isEmpty())
            return replaceBreakMarkers(value);
        return replaceBreakMarkers(text);
    } catch (...) {
        return replaceBreakMarkers(text);
    }
}
