// The window's start-up, first-display and shutdown sequences: each step of
// a page is called from here, in a fixed order.

#include "MainWindow.h"

#include "AboutPage.h"
#include "StatusHint.h"
#include "ToolbarSetBox.h"
#include "ToolbarSetController.h"
#include "i18n/LanguageList.h"
#include "i18n/LanguageSupport.h"
#include "i18n/ui/LanguagePage.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "platform/Settings.h"
#include "platform/ini/TntIniFile.h"
#include "shell/IntegrationController.h"
#include "shell/ui/IntegrationPage.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QApplication>
#include <QCheckBox>

void TForm1::FormCreate()
{
    step("create RecordPaths", [this] { m_library->clearRecordPaths(); });
    step("fill theme list", [this] { m_themes->RefreshThemeList(); });
    step("restore geometry", [this] { restoreGeometry(); });
    step("fill language list", [this] { m_languages->fill(); });
    step("load current language", [this] { m_languages->LoadCurrentLanguage(); });
    step("translate window", [this] { LanguageSupport::TranslateMainWindow(this); });
    step("use system font", [this] { UseSystemFont(); });
    step("select page 1", [this] { SelectPage(1); });
    step("install hint handler", [this] {
        m_hintTracker = new HintTracker([this](const QString &hint) { ShowApplicationHint(hint); }, this);
        qApp->installEventFilter(m_hintTracker);
    });
    step("read shell state", [this] {
        m_integration->readShellState();
        m_integrationPage->showShellState();
    });
    step("list toolbar sets", [this] {
        m_toolbarSetBox->clear();
        m_toolbarSetBox->addItems(m_toolbarSet->sets().ScanToolbarSets());
        m_toolbarSetBox->setCurrentIndex(-1);
    });
    step("select saved toolbar set", [this] { selectSavedToolbarSet(); });
    step("select current theme", [this] { m_themes->selectCurrentTheme(); });
    step("load saved toolbar set", [this] { m_toolbarSet->loadSaved(); });
    step("show program icon", [this] { m_aboutPage->showProgramIcon(); });
    // Qt's event handling and its drag and drop stand for the window's
    // message hook and the shell's drop registration.
    step("install message hook", [] {});
    step("accept dropped files", [this] { setAcceptDrops(true); });
}

void TForm1::FormShow()
{
    step("load badge records", [this] { m_library->firstLoad(); });
    step("fill theme list panel", [this] { m_themesPage->fillListPanel(); });
    step("set up record grid", [this] { m_libraryPage->setUpGrid(); });
    step("set about texts", [this] { m_aboutPage->setAboutTexts(); });
    step("hand over command line", [this] { handOverCommandLine(); });
    step("place about labels", [this] { m_aboutPage->placeValueLabels(); });
}

void TForm1::FormDestroy()
{
    step("save geometry", [this] {
        TTntIniFile settings(Settings::fileName(m_folder));
        StoredGeometry::writeOnExit(settings, windowStateCode(), frameGeometry());
    });
    step("remove message hook", [] {});
    step("stop accepting dropped files", [this] { setAcceptDrops(false); });
    step("remove hint handler", [this] {
        if (m_hintTracker)
            qApp->removeEventFilter(m_hintTracker);
    });
    step("release RecordPaths", [this] { m_library->clearRecordPaths(); });
}
