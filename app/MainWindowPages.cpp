// How the main window wires its pages: each page's request goes to its
// controller at the edge of the general error box (onSignal); the pages
// follow their controllers' changes themselves.

#include "MainWindow.h"

#include "ToolbarSetBox.h"
#include "ToolbarSetController.h"
#include "i18n/LanguageList.h"
#include "i18n/ui/LanguagePage.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "shell/IntegrationController.h"
#include "shell/ui/IntegrationPage.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QLabel>

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
    connect(m_toolbarSet.get(), &ToolbarSetController::iconLoaded, this,
            [this](int page, const QPixmap &icon) { m_iconHolders[page - 1]->setPixmap(icon); });
    connect(m_toolbarSet.get(), &ToolbarSetController::pageWanted, this, &TForm1::SelectPage);
    // activated comes only from the user, never from setCurrentIndex.
    onSignal(m_toolbarSetBox, &QComboBox::activated, [this](int row) { cbTBThemesChange(row); });
    onSignal(m_integrationPage, &IntegrationPage::applyRequested,
             [this] { m_integration->Button1Click(m_toolbarSetBox->currentText()); });
}

void TForm1::selectSavedToolbarSet()
{
    QStringList names;
    for (int row = 0; row < m_toolbarSetBox->count(); ++row)
        names.append(m_toolbarSetBox->itemText(row));
    m_toolbarSetBox->setCurrentIndex(m_toolbarSet->savedRow(names));
}

void TForm1::cbTBThemesChange(int row)
{
    if (m_toolbarSet->pick(m_toolbarSetBox->itemText(row)))
        m_toolbarSetBox->setFocus();
}
