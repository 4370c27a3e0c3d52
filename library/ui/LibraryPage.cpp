#include "LibraryPage.h"

#include "TSortGrid.h"
#include "library/BadgeRecordStore.h"
#include "library/LibraryController.h"
#include "platform/Hints.h"
#include "platform/ui/Anchors.h"
#include "platform/ui/Controls.h"
#include "platform/ui/IconImages.h"
#include "platform/ui/ListColours.h"
#include "resources/ProgramImages.h"

#include <QPainter>
#include <QPushButton>

namespace {

const QColor kInactiveHeaderText(128, 128, 128);

} // namespace

LibraryPage::LibraryPage(QWidget *parent, LibraryController &controller)
    : QWidget(parent),
      m_controller(controller),
      m_active(ProgramImages::path("ACTIVE")),
      m_inactive(ProgramImages::path("UNACTIVE")),
      m_sortGlyph(ProgramImages::path("Image6")),
      m_invalid(ProgramImages::path("imgInvalid")),
      m_invalidSelected(ProgramImages::path("imgInvalid_Sel"))
{
    using namespace Controls;
    setObjectName(QStringLiteral("p_1"));
    Anchors::setDesignSize(this, QSize(591, 362));

    m_grid = new TSortGrid(this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->setGridModel(&controller.grid());
    m_grid->OnDrawCell = [this](QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state) {
        StringGrid1DrawCell(painter, col, row, rect, state);
    };
    Anchors::place(m_grid, QRect(0, 11, 584, 318), Anchors::kAll);

    auto *deleteButton = make<QPushButton>(this, "Button5");
    deleteButton->setText(QStringLiteral("删除"));
    Anchors::place(deleteButton, QRect(2, 335, 91, 25), Qt::LeftEdge | Qt::BottomEdge);
    connect(deleteButton, &QPushButton::clicked, this, &LibraryPage::deleteRequested);

    auto *cleanUpButton = make<QPushButton>(this, "Button6");
    cleanUpButton->setText(QStringLiteral("移除子项目"));
    Anchors::place(cleanUpButton, QRect(99, 335, 142, 25), Qt::LeftEdge | Qt::BottomEdge);
    connect(cleanUpButton, &QPushButton::clicked, this, &LibraryPage::cleanUpRequested);

    auto *reloadButton = make<QPushButton>(this, "tbb_ViewAll");
    reloadButton->setText(QStringLiteral("tbb_ViewAll"));
    reloadButton->setVisible(false);
    connect(reloadButton, &QPushButton::clicked, this, &LibraryPage::reloadRequested);

    connect(&controller, &LibraryController::recordsLoaded, this, &LibraryPage::afterReload);
}

void LibraryPage::setUpGrid()
{
    m_grid->setHeaderHeight(18);
    m_grid->setColWidths(0, 42);
    m_grid->setColWidths(1, 42);
    FormResize();
    afterReload();
}

void LibraryPage::afterReload()
{
    Hints::set(m_grid, m_controller.hint());
    m_grid->scrollToTop();
}

void LibraryPage::FormResize()
{
    m_grid->setColWidths(2, m_grid->width() - m_grid->ColWidths(0) - m_grid->ColWidths(1) - 32);
}

void LibraryPage::StringGrid1DrawCell(QPainter &painter, int col, int row, const QRect &rect, TGridDrawState state)
{
    SortGridModel &model = m_controller.grid();
    const QFontMetrics metrics(m_grid->font());
    painter.setFont(m_grid->font());
    // The top of a text that is vertically centred in the cell, as a baseline.
    const int textBaseline = rect.top() + rect.height() / 2 - metrics.height() / 2 + metrics.ascent();

    if (row == 0) {
        const bool sortColumn = col == model.SortColumn();
        painter.drawPixmap(rect, sortColumn ? m_active : m_inactive);
        painter.setPen(sortColumn ? QColor(Qt::black) : kInactiveHeaderText);
        painter.drawText(QPoint(rect.left() + (sortColumn ? 18 : 2), textBaseline), model.Cells(col, 0));
        if (sortColumn)
            painter.drawPixmap(rect.left() + 1, rect.top() + 2, m_sortGlyph);
        return;
    }

    const bool highlighted = state.selected || state.focused;
    const QColor background = ListColours::background(row - 1, highlighted);
    painter.fillRect(rect, background);
    painter.setPen(highlighted ? QColor(Qt::white) : QColor(Qt::black));
    const QString path = model.Cells(2, row);

    switch (col) {
    case 0: {
        const int w = m_grid->ColWidths(0);
        // Tested at every paint: the mark follows the file system, the held
        // flag (used by sorting) follows the last load.
        if (path.size() > 3 && !BadgeRecordStore::IsRecordPathValid(path))
            painter.drawPixmap(rect.left() + w - 14, rect.top() + rect.height() / 2 - 5,
                               highlighted ? m_invalidSelected : m_invalid);
        const QString number = QString::number(row);
        painter.drawText(QPoint(rect.left() + w - 16 - metrics.horizontalAdvance(number), textBaseline), number);
        break;
    }
    case 1: {
        const QString badge = model.Cells(1, row);
        // The badge text comes from base.ini: it may only name a file inside icons.
        if (!ProgramFolder::isPlainName(badge))
            break;
        const QPixmap pixmap = IconImages::load(m_controller.store().iconFile(badge), QSize(14, 14));
        if (!pixmap.isNull())
            painter.drawPixmap(QRect(rect.left() + (m_grid->ColWidths(1) - 14) / 2, rect.top() + 4, 14, 14), pixmap);
        break;
    }
    case 2:
        painter.drawText(QPoint(rect.left() + 5, textBaseline), path);
        break;
    default:
        break;
    }
}
