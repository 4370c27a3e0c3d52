#include "ThemesPage.h"

#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kDetailsWidth = 186;

QToolButton *themeButton(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *button = Controls::make<QToolButton>(parent, name);
    button->setText(caption);
    Controls::setHint(button, hint);
    Controls::setBold(button, 19);
    return button;
}

QLineEdit *readOnlyField(QWidget *parent, const char *name)
{
    auto *field = Controls::make<QLineEdit>(parent, name);
    field->setReadOnly(true);
    field->setFrame(false);
    field->setBackgroundRole(QPalette::Button);
    return field;
}

QLabel *boldLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = Controls::make<QLabel>(parent, name);
    label->setText(caption);
    Controls::setBold(label);
    return label;
}

} // namespace

ThemesPage::ThemesPage(QWidget *parent) : QWidget(parent)
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_2"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_splitter = make<QSplitter>(this, "JvNetscapeSplitter1");
    m_splitter->setOpaqueResize(true);
    m_splitter->setChildrenCollapsible(true);
    layout->addWidget(m_splitter);

    auto *listPanel = make<QWidget>(m_splitter, "TntPanel2");
    Anchors::setDesignSize(listPanel, QSize(400, 360));
    auto *caption = make<QLabel>(listPanel, "Label2");
    caption->setText(QStringLiteral("主题列表:"));
    Anchors::place(caption, QRect(3, 2, 300, 16));
    m_list = make<QListWidget>(listPanel, "ListBox1");
    m_list->setFocusPolicy(Qt::ClickFocus);
    setHint(m_list, QStringLiteral("双击应用主题"));
    Anchors::place(m_list, QRect(0, 20, 400, 310), Anchors::kAll);
    const struct {
        const char *name;
        QString caption;
        QString hint;
        int left;
    } buttons[] = {
        {"tb_AddTheme", QStringLiteral("+"), QStringLiteral("添加新主题 ..."), 3},
        {"tb_DeleteTheme", QStringLiteral("-"), QStringLiteral("删除选定主题 ..."), 35},
        {"tb_PackTheme", QStringLiteral("7"), QStringLiteral("Create Varnick Emblix Zipped Theme for Distribution ..."),
         67},
    };
    for (const auto &b : buttons)
        Anchors::place(themeButton(listPanel, b.name, b.caption, b.hint), QRect(b.left, 332, 26, 26),
                       Qt::LeftEdge | Qt::BottomEdge);

    auto *details = make<QWidget>(m_splitter, "TntPanel1");
    auto *form = new QVBoxLayout(details);
    form->setContentsMargins(6, 2, 2, 2);
    form->setSpacing(2);
    form->addWidget(boldLabel(details, "TntLabel3", QStringLiteral("主题名称:")));
    form->addWidget(readOnlyField(details, "th_THEME_NAME"));
    form->addWidget(boldLabel(details, "TntLabel1", QStringLiteral("主题制作者:")));
    form->addWidget(readOnlyField(details, "th_Author"));
    form->addWidget(boldLabel(details, "th_Verl", QStringLiteral("主题版本:")));
    form->addWidget(readOnlyField(details, "th_Ver"));
    form->addWidget(boldLabel(details, "TntLabel2", QStringLiteral("主题简介:")));
    auto *description = make<QPlainTextEdit>(details, "th_COPYRIGHT");
    description->setReadOnly(true);
    description->setFrameShape(QFrame::NoFrame);
    description->setBackgroundRole(QPalette::Button);
    description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form->addWidget(description, 1);

    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setSizes({591 - kDetailsWidth, kDetailsWidth});
}
