#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

// The integration page p_5: the shell options, the toolbar icon set chooser
// (made by the window, which owns the sets) and the apply button.
class IntegrationPage final : public QWidget
{
public:
    IntegrationPage(QWidget *parent, QComboBox *toolbarSets);

    QCheckBox *menuBox() const { return m_menu; }
    QCheckBox *propBox() const { return m_prop; }
    QCheckBox *allBox() const { return m_all; }
    QCheckBox *foldersBox() const { return m_folders; }
    QComboBox *toolbarSets() const { return m_sets; }
    QPushButton *applyButton() const { return m_apply; }

private:
    QCheckBox *m_menu = nullptr;
    QCheckBox *m_prop = nullptr;
    QCheckBox *m_all = nullptr;
    QCheckBox *m_folders = nullptr;
    QComboBox *m_sets = nullptr;
    QPushButton *m_apply = nullptr;
};
