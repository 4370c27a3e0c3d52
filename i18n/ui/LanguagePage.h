#pragma once

#include <QWidget>

class LanguageList;
class LinkLabel;
class QLineEdit;
class QListView;

// The language page p_4: the language list, drawn here, and the
// translator's credits. Its rules live in LanguageList; the page shows the
// credits whenever they change.
class LanguagePage final : public QWidget
{
    Q_OBJECT

public:
    LanguagePage(QWidget *parent, LanguageList &languages);

    LinkLabel *downloadLink() const { return m_download; }

    // Shows the credits LanguageList holds.
    void showCredits();

signals:
    // The user moved the selection to a row, by mouse or keyboard (the
    // program's own selections do not count).
    void languageClicked();
    // A double-click anywhere in the list.
    void languageChosen();

private:
    LanguageList &m_languages;
    QListView *m_list = nullptr;
    QLineEdit *m_author = nullptr;
    QLineEdit *m_www = nullptr;
    QLineEdit *m_email = nullptr;
    LinkLabel *m_download = nullptr;
};
