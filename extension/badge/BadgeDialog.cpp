#include "BadgeDialog.h"

#include "i18n/Translator.h"
#include "platform/ui/IconImages.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIconSize = 32;

} // namespace

BadgeDialog::BadgeDialog(const ProgramFolder &folder, Translator &translator, const QStringList &paths, int current,
                         QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(translator.Translate(QStringLiteral("Badge properties")));
    auto *layout = new QVBoxLayout(this);
    const QString subject =
        paths.size() == 1
            ? QFileInfo(paths.front()).fileName()
            : QStringLiteral("%1 %2").arg(paths.size()).arg(translator.Translate(QStringLiteral("items")));
    auto *title = new QLabel(subject, this);
    title->setTextFormat(Qt::PlainText);
    title->setToolTip(paths.join(u'\n'));
    layout->addWidget(title);

    m_list = new QListWidget(this);
    m_list->setIconSize(QSize(kIconSize, kIconSize));
    m_list->setObjectName(QStringLiteral("badges"));
    for (int badge = 1; badge <= 10; ++badge) {
        auto *item = new QListWidgetItem(QIcon(IconImages::load(folder.file(QStringLiteral("icons/%1.ico").arg(badge)),
                                                                QSize(kIconSize, kIconSize))),
                                         translator.Translate(QStringLiteral("Badge %1")).arg(badge), m_list);
        item->setData(Qt::UserRole, badge);
    }
    // An empty icon keeps the row as tall as the others.
    QPixmap blank(kIconSize, kIconSize);
    blank.fill(Qt::transparent);
    auto *none = new QListWidgetItem(QIcon(blank), translator.Translate(QStringLiteral("No badge")), m_list);
    none->setData(Qt::UserRole, 0);
    if (current >= 0 && current <= 10)
        m_list->setCurrentRow(current == 0 ? 10 : current - 1);
    m_list->setMinimumHeight(11 * (kIconSize + 4));
    layout->addWidget(m_list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(translator.Translate(QStringLiteral("OK")));
    buttons->button(QDialogButtonBox::Cancel)->setText(translator.Translate(QStringLiteral("Cancel")));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    // OK needs a choice: a mixed selection starts with none.
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(m_list->currentItem() != nullptr);
    connect(m_list, &QListWidget::currentItemChanged, ok,
            [ok](const QListWidgetItem *item) { ok->setEnabled(item != nullptr); });
    layout->addWidget(buttons);
}

int BadgeDialog::chosenBadge() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}
