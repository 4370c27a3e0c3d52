#pragma once

#include <QWidget>

class QPushButton;

// The library page p_1: the record grid and the two delete buttons.
class LibraryPage final : public QWidget
{
public:
    explicit LibraryPage(QWidget *parent);

    QWidget *grid() const { return m_grid; }
    QPushButton *deleteButton() const { return m_delete; }
    QPushButton *cleanUpButton() const { return m_cleanUp; }
    QPushButton *reloadButton() const { return m_reload; }

private:
    QWidget *m_grid = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_cleanUp = nullptr;
    QPushButton *m_reload = nullptr;
};
