#pragma once

#include "platform/ProgramFolder.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QStringListModel>

// Who made a translation, as the credits box shows it.
struct TranslatorCredits {
    QString author;
    QString www;
    QString email;
};

// The rules of the language page: the list of languages ("English" first,
// then the language files of langs), the current language loaded from and
// stored in settings.ini, and the translators' credits. The page follows
// creditsChanged.
class LanguageList final : public QObject
{
    Q_OBJECT

public:
    explicit LanguageList(ProgramFolder folder);

    // The program's own credits, shown for the built-in "English".
    static TranslatorCredits programCredits();

    QStringListModel &list() { return m_list; }
    QItemSelectionModel &selection() { return m_selection; }
    const TranslatorCredits &credits() const { return m_credits; }

    // Appends the name of every file (not folder) of folder matching mask.
    static void ListFolderFiles(const QString &folder, const QString &mask, QStringList &list);
    // "English", then langs/*.ini in listing order.
    void fill();

    QString languageFile(const QString &row) const;
    // The icon beside the row's file: langs/<row>.ico for every row
    // ("English" too); the built-in English row also has langs/uk.ico.
    QString flagFile(const QString &row) const;
    QString builtInFlagFile(const QString &row) const;
    // "Native Name" of "Dict" and "Ver" of "Translator"; empty when missing.
    QString ReadNativeName(const QString &row) const;
    QString ReadLanguageVersion(const QString &row) const;
    // What a row shows: the native name, "   (", the file name and ")" when
    // the native name is longer than three characters; the file name otherwise.
    QString rowLabel(const QString &row) const;

    // Reads CurLang from settings.ini, selects its row, fills the credits.
    void LoadCurrentLanguage();
    // The user changed the selected row: only the credits follow.
    void ListBox2Click();
    // Stores the selected row as the language, then loads it back.
    void ListBox2DblClick();

signals:
    void creditsChanged();

private:
    TranslatorCredits creditsOf(const QString &row) const;
    void showCreditsOf(const QString &row);

    ProgramFolder m_folder;
    QStringListModel m_list;
    QItemSelectionModel m_selection{&m_list};
    TranslatorCredits m_credits;
};
