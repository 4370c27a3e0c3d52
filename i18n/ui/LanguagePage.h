#pragma once

#include <QWidget>

class QListWidget;

// The language page p_4: the language list and the translator's credits.
class LanguagePage final : public QWidget
{
public:
    explicit LanguagePage(QWidget *parent);

    QListWidget *languageList() const { return m_list; }

private:
    QListWidget *m_list = nullptr;
};
