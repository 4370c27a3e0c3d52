#pragma once

#include <QWidget>

class QListWidget;
class QSplitter;

// The themes page p_2: the theme list with its three buttons on the left,
// the theme's description on the right, a splitter between them.
class ThemesPage final : public QWidget
{
public:
    explicit ThemesPage(QWidget *parent);

    QListWidget *themeList() const { return m_list; }
    QSplitter *splitter() const { return m_splitter; }

private:
    QListWidget *m_list = nullptr;
    QSplitter *m_splitter = nullptr;
};
