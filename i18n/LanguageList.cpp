#include "LanguageList.h"

#include "LanguageSupport.h"
#include "platform/FileSystem.h"
#include "platform/Settings.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kEnglish = QStringLiteral("English");
const QString kDefaultLanguage = QString::fromLatin1(Settings::kLanguage.defaultValue);
const QString kUnknown = QStringLiteral("uncknown");

} // namespace

LanguageList::LanguageList(ProgramFolder folder) : m_folder(std::move(folder)) {}

TranslatorCredits LanguageList::programCredits()
{
    return {QStringLiteral("The Emblix team"), QStringLiteral("https://emblix.example.org"),
            QStringLiteral("support@emblix.example.org")};
}

void LanguageList::ListFolderFiles(const QString &folder, const QString &mask, QStringList &list)
{
    // Entries that are folders or pipes are no language files, whatever their name.
    list.append(FileSystem::listFolder(folder, FileSystem::Entries::RegularFiles, {mask}));
}

void LanguageList::fill()
{
    QStringList rows{kEnglish};
    ListFolderFiles(m_folder.file(u"langs"), QStringLiteral("*.ini"), rows);
    m_list.setStringList(rows);
}

QString LanguageList::languageFile(const QString &row) const
{
    // A row or CurLang names a file inside langs, never anything else.
    if (!ProgramFolder::isPlainName(row))
        return QString();
    return m_folder.file(QString(QStringLiteral("langs/") + row));
}

QString LanguageList::builtInFlagFile(const QString &row) const
{
    return row == kEnglish ? m_folder.file(u"langs/uk.ico") : QString();
}

QString LanguageList::flagFile(const QString &row) const
{
    const QString file = languageFile(row);
    if (file.isEmpty())
        return QString();
    const QFileInfo info(file);
    return info.path() + u'/' + info.completeBaseName() + QStringLiteral(".ico");
}

QString LanguageList::ReadNativeName(const QString &row) const
{
    const QString file = languageFile(row);
    return file.isEmpty() ? QString()
                          : TTntIniFile(file).ReadString(QStringLiteral("Dict"), QStringLiteral("Native Name"), {});
}

QString LanguageList::ReadLanguageVersion(const QString &row) const
{
    const QString file = languageFile(row);
    return file.isEmpty() ? QString()
                          : TTntIniFile(file).ReadString(QStringLiteral("Translator"), QStringLiteral("Ver"), {});
}

QString LanguageList::rowLabel(const QString &row) const
{
    const QString native = ReadNativeName(row);
    if (native.size() > 3)
        return native + QStringLiteral("   (") + row + u')';
    return row;
}

TranslatorCredits LanguageList::creditsOf(const QString &row) const
{
    if (row == kEnglish)
        return programCredits();
    const QString file = languageFile(row);
    if (file.isEmpty())
        return {kUnknown, kUnknown, kUnknown};
    TTntIniFile language(file);
    const QString section = QStringLiteral("TRANSLATOR");
    return {language.ReadString(section, QStringLiteral("Author"), kUnknown),
            language.ReadString(section, QStringLiteral("www"), kUnknown),
            language.ReadString(section, QStringLiteral("email"), kUnknown)};
}

void LanguageList::LoadCurrentLanguage()
{
    QString current = kDefaultLanguage;
    try {
        current = Settings::read(m_folder, Settings::kLanguage);
    } catch (...) {
    }
    LanguageSupport::setCurLang(current);
    const int row = int(m_list.stringList().indexOf(current));
    if (row >= 0)
        m_selection.setCurrentIndex(m_list.index(row), QItemSelectionModel::ClearAndSelect);
    showCreditsOf(current);
}

void LanguageList::showCreditsOf(const QString &row)
{
    m_credits = creditsOf(row);
    emit creditsChanged();
}

void LanguageList::ListBox2Click()
{
    const QModelIndexList rows = m_selection.selectedRows();
    showCreditsOf(rows.isEmpty() ? QString() : m_list.data(rows.first()).toString());
}

void LanguageList::ListBox2DblClick()
{
    const QModelIndexList rows = m_selection.selectedRows();
    if (!rows.isEmpty())
        LanguageSupport::setCurLang(m_list.data(rows.first()).toString());
    try {
        Settings::write(m_folder, Settings::kLanguage, LanguageSupport::CurLang());
    } catch (...) {
        // Read back below: the stored language stays in force.
    }
    LoadCurrentLanguage();
}
