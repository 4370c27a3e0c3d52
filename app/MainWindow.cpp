#include "MainWindow.h"

#include "AboutPage.h"
#include "NavigationTile.h"
#include "StatusHint.h"
#include "i18n/LanguageSupport.h"
#include "i18n/ui/LanguagePage.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "platform/AppError.h"
#include "platform/Prompt.h"
#include "platform/TntIniFile.h"
#include "platform/ui/Anchors.h"
#include "shell/ui/IntegrationPage.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QToolButton>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QWindowStateChangeEvent>

namespace {

// The layout is designed for this client area; sizes are pixels, not
// scaled with the screen's text size.
constexpr QSize kDesignClient(607, 464);
constexpr int kStatusBarHeight = 19;

struct TileDefinition {
    const char *name;
    QPoint position;
    const char *captionKey;
    const char *hint;
};

// Page order; on screen the tiles read Library, Themes, Language,
// Integration, About.
const TileDefinition kTiles[5] = {
    {"t_1", {8, 1}, "Library", "加载程序列表及控制"}, {"t_2", {85, 1}, "Themes", "选择小图标主题"},
    {"t_3", {320, 0}, "About", "注册信息说明"},       {"t_4", {162, 0}, "Language", "选择程序界面语言"},
    {"t_5", {240, 0}, "Integration", "程序配置"},
};

} // namespace

TForm1::TForm1(ProgramFolder folder, Prompt &prompt, QStringList arguments)
    : m_folder(std::move(folder)), m_prompt(prompt), m_arguments(std::move(arguments))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Emblix Manager"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    m_library = std::make_unique<LibraryController>(m_folder, m_prompt, m_recordPaths);
    m_archive = std::make_unique<LibZipArchive>();
    m_themes = std::make_unique<ThemesController>(m_folder, m_prompt, *m_archive, m_pendingPackagePath);
    buildLayout();
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    guarded([this] { FormDestroy(); });
}

void TForm1::buildLayout()
{
    setMinimumSize(StoredGeometry::kMinimumWidth, StoredGeometry::kMinimumHeight);
    resize(kDesignClient);
    Anchors::setDesignSize(this, kDesignClient);

    for (int i = 0; i < 5; ++i) {
        auto *tile = new NavigationTile(this);
        tile->setObjectName(QString::fromLatin1(kTiles[i].name));
        tile->setProperty("hint", QString::fromUtf8(kTiles[i].hint));
        tile->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        tile->setAutoFillBackground(true);
        Anchors::place(tile, QRect(kTiles[i].position, QSize(77, 67)));
        connect(tile, &NavigationTile::clicked, this, [this, i] { guarded([this, i] { SelectPage(i + 1); }); });
        m_tiles[i] = tile;
    }

    m_shape = new QFrame(this);
    m_shape->setObjectName(QStringLiteral("Shape1"));
    m_shape->setAutoFillBackground(true);
    m_shape->setBackgroundRole(QPalette::Dark);
    Anchors::place(m_shape, QRect(1, 68, kDesignClient.width() - 1, 2), Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);

    const QRect pageRect(8, 76, 591, kDesignClient.height() - 76 - kStatusBarHeight - 7);
    m_libraryPage = new LibraryPage(this, *m_library);
    connect(m_libraryPage->deleteButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { m_libraryPage->Button5Click(); }); });
    connect(m_libraryPage->cleanUpButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { m_libraryPage->Button6Click(); }); });
    connect(m_libraryPage->reloadButton(), &QPushButton::clicked, this,
            [this] { guarded([this] { m_libraryPage->tbb_ViewAllClick(); }); });
    m_themesPage = new ThemesPage(this, *m_themes);
    wireThemesPage();
    m_pages = {m_libraryPage, m_themesPage, new AboutPage(this), new LanguagePage(this),
               new IntegrationPage(this)};
    for (QWidget *page : m_pages) {
        Anchors::place(page, pageRect, Anchors::kAll);
        page->hide();
    }

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    m_hintPanel = new QLabel(m_statusBar);
    m_hintPanel->setObjectName(QStringLiteral("StatusBar1Panel"));
    m_hintPanel->setAlignment(Qt::AlignCenter);
    m_hintPanel->setFixedWidth(200);
    m_statusBar->addWidget(m_hintPanel);
    Anchors::place(m_statusBar,
                   QRect(0, kDesignClient.height() - kStatusBarHeight, kDesignClient.width(), kStatusBarHeight),
                   Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    for (int i = 0; i < 5; ++i) {
        auto *holder = new QLabel(this);
        holder->setObjectName(QStringLiteral("i_%1").arg(i + 1));
        holder->setFixedSize(32, 32);
        holder->hide();
        m_iconHolders[i] = holder;
    }
}

void TForm1::step(const char *name, const std::function<void()> &work)
{
    m_sequenceLog->append(QString::fromLatin1(name));
    work();
}

void TForm1::guarded(const std::function<void()> &work)
{
    try {
        work();
    } catch (const AppError &error) {
        m_prompt.showError(kApplicationTitle, errorBoxText(error.message()));
    } catch (const std::exception &error) {
        m_prompt.showError(kApplicationTitle, errorBoxText(QString::fromLocal8Bit(error.what())));
    }
}

void TForm1::FormCreate()
{
    step("create RecordPaths", [this] { m_recordPaths.clear(); });
    step("fill theme list", [this] { m_themes->RefreshThemeList(); });
    step("restore geometry", [this] { restoreGeometry(); });
    step("load current language", [this] { loadCurrentLanguage(); });
    step("translate window", [this] { LanguageSupport::TranslateMainWindow(this); });
    step("use system font", [this] { UseSystemFont(); });
    step("select page 1", [this] { SelectPage(1); });
    step("install hint handler", [this] {
        m_hintTracker = new HintTracker([this](const QString &hint) { ShowApplicationHint(hint); }, this);
        qApp->installEventFilter(m_hintTracker);
    });
    step("select current theme", [this] {
        m_themes->selectCurrentTheme();
        m_themesPage->showInfo();
    });
    // Qt's drag and drop stands for the window's message hook and the
    // shell's drop registration.
    step("accept dropped files", [this] { setAcceptDrops(true); });
}

void TForm1::FormShow()
{
    step("load badge records", [this] { m_libraryPage->firstLoad(); });
    step("fill theme list panel", [this] { m_themesPage->fillListPanel(); });
    step("set up record grid", [this] { m_libraryPage->setUpGrid(); });
    step("hand over command line", [this] { handOverCommandLine(); });
}

void TForm1::FormDestroy()
{
    step("save geometry", [this] {
        TTntIniFile settings(m_folder.file(u"settings.ini"));
        StoredGeometry::writeOnExit(settings, windowStateCode(), frameGeometry());
    });
    step("stop accepting dropped files", [this] { setAcceptDrops(false); });
    step("remove hint handler", [this] {
        if (m_hintTracker)
            qApp->removeEventFilter(m_hintTracker);
    });
    step("release RecordPaths", [this] { m_recordPaths.clear(); });
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
    connect(list, &QListView::doubleClicked, this, [this] { guarded([this] { m_themes->ListBox1DblClick(); }); });
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

void TForm1::restoreGeometry()
{
    TTntIniFile settings(m_folder.file(u"settings.ini"));
    m_geometry = StoredGeometry::read(settings);
    setGeometry(m_geometry.left, m_geometry.top, m_geometry.width, m_geometry.height);
}

void TForm1::loadCurrentLanguage()
{
    TTntIniFile settings(m_folder.file(u"settings.ini"));
    LanguageSupport::CurLang = settings.ReadString(QStringLiteral("Translate"), QStringLiteral("CurLang"),
                                                   QStringLiteral("Default (my bad English)"));
}

void TForm1::UseSystemFont()
{
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

void TForm1::SelectPage(int page)
{
    if (page < 1 || page > 5)
        return;
    for (int i = 0; i < 5; ++i) {
        NavigationTile *tile = m_tiles[i];
        const bool active = i + 1 == page;
        tile->setBackgroundRole(active ? QPalette::Midlight : QPalette::Button);
        tile->setText(Translate(QString::fromLatin1(kTiles[i].captionKey)));
    }
    for (int i = 0; i < 5; ++i)
        m_pages[i]->setVisible(i + 1 == page);
    m_pages[page - 1]->raise();
    m_currentPage = page;
}

void TForm1::ShowApplicationHint(const QString &hint)
{
    m_hintPanel->setText(hint);
}

void TForm1::FormResize()
{
    if (m_libraryPage)
        m_libraryPage->FormResize();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

int TForm1::windowStateCode() const
{
    if (isMinimized())
        return 1;
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

void TForm1::present()
{
    if (m_geometry.state == 1) {
        // Starts as a taskbar entry; the first display waits for the restore.
        showMinimized();
        return;
    }
    guarded([this] { FormShow(); });
    m_shownOnce = true;
    centre();
    if (m_geometry.state == 2)
        showMaximized();
    else
        show();
}

void TForm1::centre()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(centredPosition(frameGeometry().size(), screen->geometry(), screen->availableGeometry()));
}

// settings.ini keeps the outer bounds, frame included, but the frame's size
// is known only once the window is on screen; then the client area is sized
// so that the outer size is the stored one, and centred again.
void TForm1::fitOuterSize()
{
    if (isMaximized() || isMinimized() || isFullScreen())
        return;
    const QSize margins = frameGeometry().size() - size();
    if (margins == m_appliedFrameMargins)
        return;
    m_appliedFrameMargins = margins;
    setMinimumSize(QSize(StoredGeometry::kMinimumWidth, StoredGeometry::kMinimumHeight) - margins);
    resize(QSize(m_geometry.width, m_geometry.height) - margins);
    centre();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitOuterSize();
}

void TForm1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    fitOuterSize();
}

void TForm1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_shownOnce || isMinimized() || !isVisible())
        return;
    m_shownOnce = true;
    guarded([this] { FormShow(); });
    centre();
}
