// How the main window wires its pages: each page's request goes to its
// controller at the edge of the general error box (onSignal); the pages
// follow their controllers' changes themselves.

#include "MainWindow.h"

#include "ToolbarSetBox.h"
#include "ToolbarSets.h"
#include "WindowRules.h"
#include "i18n/LanguageList.h"
#include "i18n/ui/LanguagePage.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "shell/IntegrationController.h"
#include "shell/ui/IntegrationPage.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>

void TForm1::wireLibraryPage()
{
    onSignal(m_libraryPage, &LibraryPage::deleteRequested, [this] { m_library->DeleteSelected1Click(); });
    onSignal(m_libraryPage, &LibraryPage::cleanUpRequested, [this] { m_library->Button6Click(); });
    onSignal(m_libraryPage, &LibraryPage::reloadRequested, [this] { m_library->tbb_ViewAllClick(); });
}

void TForm1::wireThemesPage()
{
    onSignal(m_themesPage, &ThemesPage::themeClicked, [this] { m_themes->ListBox1Click(); });
    onSignal(m_themesPage, &ThemesPage::applyRequested, [this] { m_themes->ListBox1DblClick(); });
    onSignal(m_themesPage, &ThemesPage::addRequested, [this] { m_themes->tb_AddThemeClick(); });
    onSignal(m_themesPage, &ThemesPage::deleteRequested, [this] { m_themes->tb_DeleteThemeClick(); });
    onSignal(m_themesPage, &ThemesPage::packRequested, [this] { m_themes->tb_PackThemeClick(); });
}

void TForm1::wireLanguagePage()
{
    onSignal(m_languagePage, &LanguagePage::languageClicked, [this] { m_languages->ListBox2Click(); });
    onSignal(m_languagePage, &LanguagePage::languageChosen, [this] { m_languages->ListBox2DblClick(); });
}

void TForm1::wireIntegrationPage()
{
    // activated comes only from the user, never from setCurrentIndex.
    onSignal(m_toolbarSetBox, &QComboBox::activated, [this](int row) { cbTBThemesChange(row); });
    onSignal(m_integrationPage, &IntegrationPage::applyRequested,
             [this] { m_integration->Button1Click(m_toolbarSetBox->currentText()); });
}

void TForm1::handOver(const QString &path)
{
    m_pendingPackagePath = path;
    const auto done = qScopeGuard([this] { m_pendingPackagePath.clear(); });
    m_themes->installPackage(m_pendingPackagePath);
}

void TForm1::handOverCommandLine()
{
    if (const std::optional<QString> package = WindowRules::packageArgument(m_arguments))
        handOver(*package);
}

void TForm1::HandleDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (QFileInfo(path).isFile())
            handOver(path);
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

void TForm1::selectSavedToolbarSet()
{
    const QString saved = m_toolbarSets->savedSet();
    m_toolbarSetBox->setCurrentIndex(m_toolbarSetBox->findText(saved, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TForm1::loadSavedToolbarSet()
{
    // The name is used as read, whether or not a row carries it.
    if (const auto choice = WindowRules::savedToolbarSet(m_toolbarSets->savedSet())) {
        loadToolbarSet(choice->set);
        SelectPage(choice->page);
    }
}

void TForm1::loadToolbarSet(const QString &set)
{
    m_toolbarSets->load(set, [this](int page, const QPixmap &icon) { m_iconHolders[page - 1]->setPixmap(icon); });
}

void TForm1::cbTBThemesChange(int row)
{
    // "Default" loads nothing: the icons shown stay until the next start.
    if (const auto choice = WindowRules::toolbarSetPicked(m_toolbarSetBox->itemText(row))) {
        loadToolbarSet(choice->set);
        SelectPage(choice->page);
        m_toolbarSetBox->setFocus();
    }
}
