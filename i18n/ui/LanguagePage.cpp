#include "LanguagePage.h"

#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

LanguagePage::LanguagePage(QWidget *parent) : QWidget(parent)
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_4"));
    Anchors::setDesignSize(this, QSize(591, 362));

    auto *instruction = make<QLabel>(this, "Label11");
    instruction->setText(QStringLiteral("双击列表中的语言以选择程序界面语言"));
    Anchors::place(instruction, QRect(4, 8, 580, 16), Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);

    m_list = make<QListWidget>(this, "ListBox2");
    Anchors::place(m_list, QRect(4, 30, 350, 326), Anchors::kAll);

    auto *credits = make<QGroupBox>(this, "GroupBox2");
    credits->setTitle(QStringLiteral("翻译者信息"));
    Anchors::setDesignSize(credits, QSize(225, 210));
    Anchors::place(credits, QRect(362, 26, 225, 210), Qt::TopEdge | Qt::RightEdge);
    const struct {
        const char *label;
        QString caption;
        const char *field;
    } rows[] = {
        {"Label13", QStringLiteral("翻译者:"), "ed_Author"},
        {"Label14", QStringLiteral("主页:"), "ed_www"},
        {"Label15", QStringLiteral("电子邮件:"), "ed_Email"},
    };
    int y = 22;
    for (const auto &row : rows) {
        auto *label = make<QLabel>(credits, row.label);
        label->setText(row.caption);
        setBold(label);
        Anchors::place(label, QRect(10, y, 205, 16));
        auto *field = make<QLineEdit>(credits, row.field);
        field->setReadOnly(true);
        Anchors::place(field, QRect(10, y + 18, 205, 21));
        y += 48;
    }
    auto *linkIcon = make<QLabel>(credits, "Image2");
    Anchors::place(linkIcon, QRect(10, 180, 16, 16));
    auto *download = make<QLabel>(credits, "Label12");
    download->setText(QStringLiteral("下载其他语言"));
    Anchors::place(download, QRect(30, 180, 185, 16));
}
