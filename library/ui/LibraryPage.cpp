#include "LibraryPage.h"

#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"

#include <QFrame>
#include <QPushButton>

LibraryPage::LibraryPage(QWidget *parent) : QWidget(parent)
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_1"));
    Anchors::setDesignSize(this, QSize(591, 362));

    auto *grid = make<QFrame>(this, "StringGrid1");
    grid->setFrameShape(QFrame::StyledPanel);
    grid->setAutoFillBackground(true);
    grid->setBackgroundRole(QPalette::Base);
    m_grid = grid;
    Anchors::place(grid, QRect(0, 11, 584, 318), Anchors::kAll);

    m_delete = make<QPushButton>(this, "Button5");
    m_delete->setText(QStringLiteral("删除"));
    Anchors::place(m_delete, QRect(2, 335, 91, 25), Qt::LeftEdge | Qt::BottomEdge);

    m_cleanUp = make<QPushButton>(this, "Button6");
    m_cleanUp->setText(QStringLiteral("移除子项目"));
    Anchors::place(m_cleanUp, QRect(99, 335, 142, 25), Qt::LeftEdge | Qt::BottomEdge);

    m_reload = make<QPushButton>(this, "tbb_ViewAll");
    m_reload->setText(QStringLiteral("tbb_ViewAll"));
    m_reload->setVisible(false);
}
