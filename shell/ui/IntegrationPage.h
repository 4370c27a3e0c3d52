#pragma once

#include <QWidget>

class IntegrationController;
class QCheckBox;
class QComboBox;
class QPushButton;

// The integration page p_5: the shell options, the toolbar icon set chooser
// (made by the window, which owns the sets) and the apply button. Each check
// box is bound by its name to the controller's box of that name.
class IntegrationPage final : public QWidget
{
    Q_OBJECT

public:
    IntegrationPage(QWidget *parent, IntegrationController &controller, QComboBox *toolbarSets);

    // Shows the controller's boxes.
    void showShellState();

signals:
    void applyRequested();

private:
    IntegrationController &m_controller;
    QList<QCheckBox *> m_boxes;
    QComboBox *m_sets = nullptr;
    QPushButton *m_apply = nullptr;
};
