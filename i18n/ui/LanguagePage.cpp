#include "LanguagePage.h"

#include "i18n/LanguageList.h"
#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DoubleClick.h"
#include "platform/ui/IconImages.h"
#include "platform/ui/LinkLabel.h"
#include "platform/ui/ListColours.h"
#include "platform/ui/SystemColours.h"
#include "resources/ProgramImages.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// ListBox2MeasureItem and ListBox2DrawItem.
class LanguageDelegate final : public QStyledItemDelegate
{
public:
    LanguageDelegate(const LanguageList &languages, QObject *parent)
        : QStyledItemDelegate(parent), m_languages(languages)
    {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), QFontMetrics(option.font).height() + 10);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect rect = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const QString row = index.data().toString();
        painter->save();
        painter->fillRect(rect, ListColours::background(index.row(), selected));
        painter->setPen(selected ? SystemColours::highlightedText() : QColor(Qt::black));
        painter->setFont(option.font);
        const QFontMetrics metrics(option.font);
        // Each paint reads the language file afresh.
        painter->drawText(QPoint(24, rect.top() + 1 + metrics.ascent()), m_languages.rowLabel(row));
        painter->drawText(QPoint(rect.right() + 1 - 45, rect.top() + 1 + metrics.ascent()),
                          m_languages.ReadLanguageVersion(row));
        // Every row's own flag (English's too: langs/English.ico), then the
        // built-in English row's uk.ico over it, one pixel row higher. Each
        // drawn at its own size: the image meant for small icons.
        const std::pair<QString, int> flags[] = {{m_languages.flagFile(row), 2}, {m_languages.builtInFlagFile(row), 0}};
        for (const auto &[flag, offset] : flags) {
            const QImage icon = flag.isEmpty() ? QImage() : IconImages::nearest(flag, QSize(16, 16));
            if (!icon.isNull())
                painter->drawImage(QPoint(rect.left() + 3, rect.top() + offset), icon);
        }
        painter->restore();
    }

private:
    const LanguageList &m_languages;
};

} // namespace

LanguagePage::LanguagePage(QWidget *parent, LanguageList &languages) : QWidget(parent), m_languages(languages)
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_4"));
    Anchors::setDesignSize(this, QSize(591, 362));

    auto *instruction = make<QLabel>(this, "Label11");
    instruction->setText(QStringLiteral("双击列表中的语言以选择程序界面语言"));
    Anchors::place(instruction, QRect(4, 8, 580, 16), Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);

    m_list = make<QListView>(this, "ListBox2");
    m_list->setModel(&languages.list());
    m_list->setSelectionModel(&languages.selection());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new LanguageDelegate(languages, m_list));
    Anchors::place(m_list, QRect(4, 30, 350, 326), Anchors::kAll);
    // Once the row is selected, so the credits are those of the row clicked.
    connect(&languages.selection(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_list->hasFocus())
            emit languageClicked();
    });
    onDoubleClickAnywhere(m_list, [this] { emit languageChosen(); });
    connect(&languages, &LanguageList::creditsChanged, this, &LanguagePage::showCredits);

    auto *credits = make<QGroupBox>(this, "GroupBox2");
    credits->setTitle(QStringLiteral("翻译者信息"));
    Anchors::setDesignSize(credits, QSize(225, 210));
    Anchors::place(credits, QRect(362, 26, 225, 210), Qt::TopEdge | Qt::RightEdge);
    const struct {
        const char *label;
        QString caption;
        const char *field;
        QLineEdit **target;
    } rows[] = {
        {"Label13", QStringLiteral("翻译者:"), "ed_Author", &m_author},
        {"Label14", QStringLiteral("主页:"), "ed_www", &m_www},
        {"Label15", QStringLiteral("电子邮件:"), "ed_Email", &m_email},
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
        *row.target = field;
        y += 48;
    }
    auto *linkIcon = make<QLabel>(credits, "Image2");
    linkIcon->setPixmap(QPixmap(ProgramImages::path("link")));
    Anchors::place(linkIcon, QRect(10, 180, 16, 16));
    m_download = new LinkLabel(credits);
    m_download->setObjectName(QStringLiteral("Label12"));
    m_download->setText(QStringLiteral("下载其他语言"));
    Anchors::place(m_download, QRect(30, 180, 185, 16));
}

void LanguagePage::showCredits()
{
    const TranslatorCredits &credits = m_languages.credits();
    Controls::showFromStart(m_author, credits.author);
    Controls::showFromStart(m_www, credits.www);
    Controls::showFromStart(m_email, credits.email);
}
