#include "IntegrationPage.h"

#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"
#include "shell/IntegrationController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

IntegrationPage::IntegrationPage(QWidget *parent, IntegrationController &controller, QComboBox *toolbarSets)
    : QWidget(parent), m_controller(controller), m_sets(toolbarSets)
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_5"));
    Anchors::setDesignSize(this, QSize(591, 362));
    const Qt::Edges across = Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge;

    auto *shellBox = make<QGroupBox>(this, "GroupBox1");
    shellBox->setTitle(QStringLiteral("外壳集成"));
    Anchors::setDesignSize(shellBox, QSize(583, 80));
    Anchors::place(shellBox, QRect(4, 8, 583, 80), across);
    const struct {
        const char *name;
        QString caption;
        int y;
        bool visible;
    } boxes[] = {
        {"cb_Menu", QStringLiteral("在文件和文件夹的右键菜单中显示"), 24, true},
        {"cb_Prop", QStringLiteral("在所有文件的属性页中显示"), 48, true},
        {"cb_All", QStringLiteral("Menu for All files"), 24, false},
        {"cb_Folders", QStringLiteral("Menu for Folders"), 48, false},
    };
    for (const auto &b : boxes) {
        auto *box = make<QCheckBox>(shellBox, b.name);
        box->setText(b.caption);
        box->setChecked(true);
        box->setVisible(b.visible);
        Anchors::place(box, QRect(12, b.y, 560, 20), across);
        // The user's click goes to the controller's box of the same name.
        connect(box, &QCheckBox::clicked, this,
                [this, box](bool checked) { m_controller.setChecked(box->objectName(), checked); });
        m_boxes.append(box);
    }

    auto *toolbarBox = make<QGroupBox>(this, "GroupBox3");
    toolbarBox->setTitle(QStringLiteral("工具栏外观"));
    Anchors::place(toolbarBox, QRect(4, 96, 583, 84), across);
    m_sets->setParent(toolbarBox);
    Anchors::place(m_sets, QRect(12, 24, 363, 52));

    m_apply = make<QPushButton>(this, "Button1");
    m_apply->setText(QStringLiteral("应用"));
    Anchors::place(m_apply, QRect(496, 332, 91, 25), Qt::RightEdge | Qt::BottomEdge);
    connect(m_apply, &QPushButton::clicked, this, &IntegrationPage::applyRequested);
}

void IntegrationPage::showShellState()
{
    for (QCheckBox *box : m_boxes)
        box->setChecked(m_controller.isChecked(box->objectName()));
}
