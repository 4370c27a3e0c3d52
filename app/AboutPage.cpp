#include "AboutPage.h"

#include "i18n/LanguageSupport.h"
#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"
#include "platform/ui/LinkLabel.h"
#include "resources/ProgramImages.h"

#include <QIcon>
#include <QLabel>

namespace AboutLinks {

QString supportMailLink()
{
    QString version = kVersion;
    version.replace(u' ', QStringLiteral("%20"));
    return QStringLiteral("mailto:") + kSupportAddress
           + QStringLiteral("?Subject=Emblix%20%20&body=My%20Emblix%20version%20is%20") + version
           + QStringLiteral("%0D%0A%0A(Please%20use%20only%20English%20and%20Russian)%0D%0A%0A");
}

} // namespace AboutLinks

namespace {

template <typename Label = QLabel>
Label *addLabel(QWidget *page, const char *name, const QString &text, const QPoint &at, bool bold = false)
{
    auto *l = new Label(page);
    l->setObjectName(QString::fromLatin1(name));
    l->setText(text);
    if (bold)
        Controls::setBold(l);
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

    QLabel *title = addLabel(this, "Label3", QStringLiteral("Varnick Emblix"), QPoint(155, 15));
    QFont titleFont(QStringLiteral("Tahoma"));
    titleFont.setPixelSize(16);
    titleFont.setBold(true);
    title->setFont(titleFont);
    Anchors::place(title, QRect(QPoint(155, 15), QSize(400, 22)));

    addLabel(this, "Label4", QString(), QPoint(155, 40), true);
    addLabel(this, "Label5", QStringLiteral("Badges for your files and folders"), QPoint(155, 65));
    addLabel(this, "Label6", QString(), QPoint(155, 106));
    addLabel(this, "Label7", QStringLiteral("Freeware. Use it, share it."), QPoint(155, 129));
    addLabel(this, "Label20", QStringLiteral("Coding:"), QPoint(154, 197), true);
    addLabel(this, "Label9", QString(), QPoint(210, 197));
    addLabel(this, "Label21", QStringLiteral("创意和设计: "), QPoint(154, 220), true);
    addLabel(this, "Label8", QString(), QPoint(240, 220));
    auto *web = Controls::make<QLabel>(this, "Image3");
    web->setPixmap(QPixmap(ProgramImages::path("link")));
    Anchors::place(web, QRect(152, 271, 16, 16));
    addLabel(this, "Label18", QStringLiteral("网址:"), QPoint(176, 271), true);
    auto *home = addLabel<LinkLabel>(this, "Label10", AboutLinks::kHomePage, QPoint(220, 271));
    home->onClick = [this] { Label10Click(); };
    auto *mail = Controls::make<QLabel>(this, "Image4");
    mail->setPixmap(QPixmap(ProgramImages::path("link")));
    Anchors::place(mail, QRect(152, 301, 16, 16));
    addLabel(this, "Label19", QStringLiteral("Support:"), QPoint(174, 301), true);
    auto *support = addLabel<LinkLabel>(this, "Label17", AboutLinks::kSupportAddress, QPoint(240, 301));
    support->onClick = [this] { Label17Click(); };
}

QLabel *AboutPage::label(const char *name) const
{
    return findChild<QLabel *>(QString::fromLatin1(name));
}

void AboutPage::showProgramIcon()
{
    label("Image1")->setPixmap(QIcon(ProgramImages::path("MAINICON")).pixmap(128, 128));
}

void AboutPage::setAboutTexts()
{
    label("Label4")->setText(Translate(QStringLiteral("Version:")) + u' ' + AboutLinks::kVersion);
    label("Label6")->setText(QStringLiteral("© 2026 The Emblix team"));
    for (const char *name : {"Label4", "Label6"})
        Anchors::place(label(name), QRect(label(name)->pos(), label(name)->sizeHint()));
}

void AboutPage::placeValueLabels()
{
    const struct {
        const char *caption;
        const char *value;
    } pairs[] = {{"Label18", "Label10"}, {"Label19", "Label17"}, {"Label20", "Label9"}, {"Label21", "Label8"}};
    label("Label8")->setText(QStringLiteral("The Emblix team"));
    label("Label9")->setText(QStringLiteral("The Emblix team, in C++ with Qt"));
    for (const auto &pair : pairs) {
        QLabel *caption = label(pair.caption);
        QLabel *value = label(pair.value);
        const int width = caption->fontMetrics().horizontalAdvance(caption->text());
        Anchors::place(caption, QRect(caption->pos(), QSize(width, caption->sizeHint().height())));
        Anchors::place(value, QRect(QPoint(caption->x() + width + 6, value->y()), value->sizeHint()));
    }
    // The title and the two lines were sized from their untranslated text
    // when the page was built: each shows its whole translated text.
    for (const char *name : {"Label3", "Label5", "Label7"}) {
        QLabel *line = label(name);
        const QSize size(line->fontMetrics().horizontalAdvance(line->text()) + 2, line->sizeHint().height());
        Anchors::place(line, QRect(line->pos(), size.expandedTo(line->size())));
    }
}

void AboutPage::Label10Click()
{
    if (openLink)
        openLink(AboutLinks::kHomePage);
}

void AboutPage::Label17Click()
{
    if (openLink)
        openLink(AboutLinks::supportMailLink());
}
