#include "ThemesPage.h"

#include "ThemeListDelegate.h"
#include "platform/Hints.h"
#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DoubleClick.h"
#include "themes/ThemesController.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The splitter's handle carries a small button that collapses and restores
// the details panel; dragging the rest of the handle resizes live.
class CollapseHandle final : public QSplitterHandle
{
public:
    CollapseHandle(QSplitter *splitter, ThemesPage *page) : QSplitterHandle(Qt::Horizontal, splitter), m_page(page)
    {
        m_button = new QToolButton(this);
        m_button->setObjectName(QStringLiteral("JvNetscapeSplitter1Button"));
        m_button->setAutoRaise(true);
        m_button->setArrowType(Qt::RightArrow);
        m_button->setCursor(Qt::PointingHandCursor);
        connect(m_button, &QToolButton::clicked, this, [this] { m_page->toggleDetails(); });
    }

    void setCollapsed(bool collapsed) { m_button->setArrowType(collapsed ? Qt::LeftArrow : Qt::RightArrow); }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QSplitterHandle::resizeEvent(event);
        m_button->setGeometry(0, (height() - 40) / 2, width(), 40);
    }

private:
    ThemesPage *m_page;
    QToolButton *m_button;
};

class ThemeSplitter final : public QSplitter
{
public:
    ThemeSplitter(QWidget *parent, ThemesPage *page) : QSplitter(Qt::Horizontal, parent), m_page(page) {}

protected:
    QSplitterHandle *createHandle() override { return new CollapseHandle(this, m_page); }

private:
    ThemesPage *m_page;
};

QToolButton *themeButton(QWidget *parent, const char *name, const QString &caption, const QString &hint)
{
    auto *button = Controls::make<QToolButton>(parent, name);
    button->setText(caption);
    Hints::set(button, hint);
    Controls::setBold(button, 19);
    return button;
}

QLineEdit *readOnlyField(QWidget *parent, const char *name)
{
    auto *field = Controls::make<QLineEdit>(parent, name);
    field->setReadOnly(true);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    field->setPalette(palette);
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

ThemesPage::ThemesPage(QWidget *parent, ThemesController &controller) : QWidget(parent), m_controller(controller)
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_2"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    m_splitter = new ThemeSplitter(this, this);
    m_splitter->setObjectName(QStringLiteral("JvNetscapeSplitter1"));
    m_splitter->setOpaqueResize(true);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(9);
    layout->addWidget(m_splitter);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { JvNetscapeSplitter1CanResize(); });

    auto *listPanel = make<QWidget>(m_splitter, "TntPanel2");
    Anchors::setDesignSize(listPanel, QSize(396, 362));
    auto *caption = make<QLabel>(listPanel, "Label2");
    caption->setText(QStringLiteral("主题列表:"));
    Anchors::place(caption, QRect(3, 2, 300, 16));
    m_list = make<QListView>(listPanel, "ListBox1");
    m_list->setModel(&controller.list());
    m_list->setSelectionModel(&controller.selection());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setItemDelegate(new ThemeListDelegate(controller.folders(), m_list));
    m_list->setUniformItemSizes(true);
    // Rows are as wide as the list: a vertical scroll bar never needs a
    // horizontal one.
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFocusPolicy(Qt::ClickFocus); // not in the tab order
    Hints::set(m_list, QStringLiteral("双击应用主题"));
    Anchors::place(m_list, QRect(0, 20, 396, 310), Anchors::kAll);
    // A click on a row or a move of the selection (the keyboard's too).
    connect(m_list, &QListView::clicked, this, &ThemesPage::themeClicked);
    connect(&controller.selection(), &QItemSelectionModel::selectionChanged, this, &ThemesPage::themeClicked);
    onDoubleClickAnywhere(m_list, [this] { emit applyRequested(); });
    connect(&controller, &ThemesController::infoChanged, this, &ThemesPage::showInfo);

    auto *add = themeButton(listPanel, "tb_AddTheme", QStringLiteral("+"), QStringLiteral("添加新主题 ..."));
    auto *remove = themeButton(listPanel, "tb_DeleteTheme", QStringLiteral("-"), QStringLiteral("删除选定主题 ..."));
    auto *pack = themeButton(listPanel, "tb_PackTheme", QStringLiteral("7"),
                             QStringLiteral("Create Varnick Emblix Zipped Theme for Distribution ..."));
    connect(add, &QToolButton::clicked, this, &ThemesPage::addRequested);
    connect(remove, &QToolButton::clicked, this, &ThemesPage::deleteRequested);
    connect(pack, &QToolButton::clicked, this, &ThemesPage::packRequested);
    // The pack button keeps its stored caption for translation but shows a
    // save symbol, as the layout's symbol font is not found everywhere.
    pack->setIcon(pack->style()->standardIcon(QStyle::SP_DialogSaveButton));
    pack->setToolButtonStyle(Qt::ToolButtonIconOnly);
    int left = 3;
    for (QToolButton *button : {add, remove, pack}) {
        Anchors::place(button, QRect(left, 333, 26, 26), Qt::LeftEdge | Qt::BottomEdge);
        left += 32;
    }

    m_details = make<QWidget>(m_splitter, "TntPanel1");
    m_details->setMinimumWidth(1);
    auto *form = new QVBoxLayout(m_details);
    form->setContentsMargins(6, 2, 2, 2);
    form->setSpacing(2);
    form->addWidget(boldLabel(m_details, "TntLabel3", QStringLiteral("主题名称:")));
    form->addWidget(m_name = readOnlyField(m_details, "th_THEME_NAME"));
    form->addWidget(boldLabel(m_details, "TntLabel1", QStringLiteral("主题制作者:")));
    form->addWidget(m_author = readOnlyField(m_details, "th_Author"));
    form->addWidget(boldLabel(m_details, "th_Verl", QStringLiteral("主题版本:")));
    form->addWidget(m_version = readOnlyField(m_details, "th_Ver"));
    form->addWidget(boldLabel(m_details, "TntLabel2", QStringLiteral("主题简介:")));
    m_description = make<QPlainTextEdit>(m_details, "th_COPYRIGHT");
    m_description->setReadOnly(true);
    m_description->setFrameShape(QFrame::NoFrame);
    QPalette palette = m_description->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    m_description->setPalette(palette);
    m_description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    form->addWidget(m_description, 1);

    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setCollapsible(1, true); // the button folds the details away whole
    m_splitter->setSizes({591 - m_detailsWidth - m_splitter->handleWidth(), m_detailsWidth});
}

void ThemesPage::fillListPanel()
{
    m_splitter->setSizes({width() - m_detailsWidth - m_splitter->handleWidth(), m_detailsWidth});
}

void ThemesPage::showInfo()
{
    const ThemeInfo &info = m_controller.shownInfo();
    Controls::showFromStart(m_author, info.author);
    Controls::showFromStart(m_version, info.version);
    Controls::showFromStart(m_name, info.themeName);
    // A carriage return followed by a line feed is one break; any other
    // carriage return or line feed is a break of its own.
    QString text = info.copyright;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    m_description->setPlainText(text);
}

void ThemesPage::toggleDetails()
{
    QList<int> sizes = m_splitter->sizes();
    const bool collapse = sizes.value(1) > 0;
    if (collapse)
        m_detailsWidth = sizes[1];
    const int total = sizes.value(0) + sizes.value(1);
    m_splitter->setSizes(collapse ? QList<int>{total, 0} : QList<int>{total - m_detailsWidth, m_detailsWidth});
    if (auto *handle = dynamic_cast<CollapseHandle *>(m_splitter->handle(1)))
        handle->setCollapsed(collapse);
    JvNetscapeSplitter1CanResize();
}

void ThemesPage::JvNetscapeSplitter1CanResize()
{
    update();
    m_details->updateGeometry();
    m_details->update();
}
