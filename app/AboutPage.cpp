#include "AboutPage.h"

#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"

#include <QLabel>

namespace {

QLabel *label(QWidget *page, const char *name, const QString &text, const QPoint &at, bool bold = false)
{
    auto *l = Controls::make<QLabel>(page, name);
    l->setText(text);
    if (bold)
        Controls::setBold(l);
    l->adjustSize();
    Anchors::place(l, QRect(at, l->sizeHint()));
    return l;
}

} // namespace

AboutPage::AboutPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("p_3"));
    Anchors::setDesignSize(this, QSize(591, 362));

    auto *icon = Controls::make<QLabel>(this, "Image1");
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Anchors::place(icon, QRect(6, 14, 142, 142));

    QLabel *title = label(this, "Label3", QStringLiteral("Varnick Emblix"), QPoint(155, 15));
    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->adjustSize();
    Anchors::place(title, QRect(QPoint(155, 15), title->sizeHint()));

    label(this, "Label4", QString(), QPoint(155, 40), true);
    label(this, "Label5", QStringLiteral("Badges for your files and folders"), QPoint(155, 65));
    label(this, "Label6", QString(), QPoint(155, 106));
    label(this, "Label7", QStringLiteral("Freeware. Use it, share it."), QPoint(155, 129));
    label(this, "Label20", QStringLiteral("Coding:"), QPoint(154, 197), true);
    label(this, "Label9", QString(), QPoint(210, 197));
    label(this, "Label21", QStringLiteral("创意和设计: "), QPoint(154, 220), true);
    label(this, "Label8", QString(), QPoint(240, 220));
    label(this, "Image3", QString(), QPoint(152, 271));
    label(this, "Label18", QStringLiteral("网址:"), QPoint(176, 271), true);
    label(this, "Label10", QString(), QPoint(220, 271));
    label(this, "Image4", QString(), QPoint(152, 301));
    label(this, "Label19", QStringLiteral("Support:"), QPoint(174, 301), true);
    label(this, "Label17", QString(), QPoint(240, 301));
}
