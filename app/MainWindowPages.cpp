// How the main window wires its pages: each control's event goes to the
// page's handler at the edge of the general error box.

#include "MainWindow.h"

#include "AboutPage.h"
#include "ToolbarSetBox.h"
#include "ToolbarSets.h"
#include "i18n/LanguageList.h"
#include "i18n/ui/LanguagePage.h"
#include "library/ui/LibraryPage.h"
#include "platform/ui/DoubleClick.h"
#include "shell/IntegrationController.h"
#include "shell/ui/IntegrationPage.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>

void TForm1::wireLibraryPage()
{
    connect(m_libraryPage->deleteButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { m_libraryPage->Button5Click(); }); });
    connect(m_libraryPage->cleanUpButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { m_libraryPage->Button6Click(); }); });
    connect(m_libraryPage->reloadButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { m_libraryPage->tbb_ViewAllClick(); }); });
}

void TForm1::wireThemesPage()
{
    const auto describe = [this] {
        m_themes->ListBox1Click();
        m_themesPage->showInfo();
    };
    QListView *list = m_themesPage->themeList();
    connect(list, &QListView::clicked, this, [this, describe] { guarded(describe); });
    connect(&m_themes->selection(), &QItemSelectionModel::selectionChanged, this,
            [this, describe] { guarded(describe); });
    onDoubleClickAnywhere(list, [this] { guarded([this] { m_themes->ListBox1DblClick(); }); });
    connect(m_themesPage->addButton(), &QToolButton::clicked, this,
            [this] { guarded([this] { m_themes->tb_AddThemeClick(); }); });
    connect(m_themesPage->deleteButton(), &QToolButton::clicked, this,
            [this] { guarded([this] { m_themes->tb_DeleteThemeClick(); }); });
    connect(m_themesPage->packButton(), &QToolButton::clicked, this,
            [this] { guarded([this] { m_themes->tb_PackThemeClick(); }); });
}

void TForm1::handOverCommandLine()
{
    if (m_arguments.isEmpty())
        return;
    const QString argument = m_arguments.first();
    const qsizetype separator = std::max(argument.lastIndexOf(u'/'), argument.lastIndexOf(u'\\'));
    const qsizetype dot = argument.lastIndexOf(u'.');
    if (dot <= separator || argument.sliced(dot).toUpper() != u".VQK")
        return;
    m_pendingPackagePath = argument;
    m_themes->tb_AddThemeClick();
}

void TForm1::HandleDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (!QFileInfo(path).isFile())
            continue;
        m_pendingPackagePath = path;
        m_themes->tb_AddThemeClick();
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    guarded([this, &paths] { HandleDroppedFiles(paths); });
}

void TForm1::wireLanguagePage()
{
    QListView *list = m_languagePage->languageList();
    // A change of the selected row by the user, by mouse or keyboard, once
    // the row is selected; selections made by the program do not count.
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, list] {
        if (!list->hasFocus())
            return;
        guarded([this] {
            m_languages->ListBox2Click();
            m_languagePage->showCredits();
        });
    });
    onDoubleClickAnywhere(list, [this] {
        guarded([this] {
            m_languages->ListBox2DblClick();
            m_languagePage->showCredits();
        });
    });
}

void TForm1::wireIntegrationPage()
{
    connect(m_toolbarSetBox, &QComboBox::activated, this, [this](int row) {
        if (!m_programmaticSetChange)
            guarded([this, row] { cbTBThemesChange(row); });
    });
    connect(m_integrationPage, &IntegrationPage::applyRequested, this,
            [this] { guarded([this] { m_integration->Button1Click(m_toolbarSetBox->currentText()); }); });
}

void TForm1::selectSavedToolbarSet()
{
    const QString saved = m_toolbarSets->savedSet();
    m_programmaticSetChange = true;
    m_toolbarSetBox->setCurrentIndex(m_toolbarSetBox->findText(saved, Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_programmaticSetChange = false;
}

void TForm1::loadSavedToolbarSet()
{
    // The name is used as read, whether or not a row carries it.
    const QString saved = m_toolbarSets->savedSet();
    if (saved == u"Default")
        return;
    loadToolbarSet(saved);
    SelectPage(1);
}

void TForm1::loadToolbarSet(const QString &set)
{
    m_toolbarSets->load(set, [this](int page, const QPixmap &icon) { m_iconHolders[page - 1]->setPixmap(icon); });
}

void TForm1::cbTBThemesChange(int row)
{
    const QString set = m_toolbarSetBox->itemText(row);
    if (set == u"Default")
        return; // the icons shown stay until the next start
    loadToolbarSet(set);
    SelectPage(5);
    m_toolbarSetBox->setFocus();
}
