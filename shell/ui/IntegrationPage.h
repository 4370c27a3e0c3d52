#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

// The integration page p_5: the shell options, the toolbar icon set chooser
// and the apply button.
class IntegrationPage final : public QWidget
{
public:
    explicit IntegrationPage(QWidget *parent);

    QComboBox *toolbarSets() const { return m_sets; }
    QPushButton *applyButton() const { return m_apply; }

private:
    QComboBox *m_sets = nullptr;
    QPushButton *m_apply = nullptr;
};
