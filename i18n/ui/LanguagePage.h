#pragma once

#include <QWidget>

class LanguageList;
class LinkLabel;
class QLineEdit;
class QListView;

// The language page p_4: the language list, drawn here, and the
// translator's credits. Its rules live in LanguageList.
class LanguagePage final : public QWidget
{
public:
    LanguagePage(QWidget *parent, LanguageList &languages);

    QListView *languageList() const { return m_list; }
    LinkLabel *downloadLink() const { return m_download; }

    // Shows the credits LanguageList holds.
    void showCredits();

private:
    LanguageList &m_languages;
    QListView *m_list = nullptr;
    QLineEdit *m_author = nullptr;
    QLineEdit *m_www = nullptr;
    QLineEdit *m_email = nullptr;
    LinkLabel *m_download = nullptr;
};
