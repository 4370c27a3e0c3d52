#include "MainWindow.h"

#include "AboutPage.h"
#include "NavigationTile.h"
#include "NavigationTiles.h"
#include "ToolbarSetBox.h"
#include "ToolbarSetController.h"
#include "i18n/LanguageList.h"
#include "i18n/LanguageSupport.h"
#include "i18n/ui/LanguagePage.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "platform/AppError.h"
#include "platform/Hints.h"
#include "platform/Prompt.h"
#include "platform/Settings.h"
#include "platform/ini/TntIniFile.h"
#include "platform/ui/Anchors.h"
#include "platform/ui/LinkLabel.h"
#include "resources/ProgramImages.h"
#include "shell/IntegrationController.h"
#include "shell/ui/IntegrationPage.h"
#include "themes/LibZipArchive.h"
#include "themes/ThemesController.h"
#include "themes/ui/ThemesPage.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
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
    m_library = std::make_unique<LibraryController>(m_folder, m_prompt);
    m_archive = std::make_unique<LibZipArchive>();
    m_themes = std::make_unique<ThemesController>(m_folder, m_prompt, *m_archive);
    m_languages = std::make_unique<LanguageList>(m_folder);
    m_toolbarSet = std::make_unique<ToolbarSetController>(m_folder);
    m_integration = std::make_unique<IntegrationController>(m_folder);
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
        Hints::set(tile, QString::fromUtf8(kTiles[i].hint));
        tile->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    m_themesPage = new ThemesPage(this, *m_themes);
    m_aboutPage = new AboutPage(this);
    m_languagePage = new LanguagePage(this, *m_languages);
    m_toolbarSetBox = new ToolbarSetBox(m_toolbarSet->sets());
    m_integrationPage = new IntegrationPage(this, *m_integration, m_toolbarSetBox);
    m_pages = {m_libraryPage, m_themesPage, m_aboutPage, m_languagePage, m_integrationPage};
    wireLibraryPage();
    wireThemesPage();
    wireLanguagePage();
    wireIntegrationPage();
    setLinkOpener([](const QString &link) { QDesktopServices::openUrl(QUrl::fromEncoded(link.toUtf8())); });
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
        holder->setPixmap(QPixmap(ProgramImages::path(QStringLiteral("i_%1").arg(i + 1).toLatin1().constData())));
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

void TForm1::restoreGeometry()
{
    TTntIniFile settings(Settings::fileName(m_folder));
    m_geometry = StoredGeometry::read(settings);
    // A window larger than the desktop cannot be shown or painted (a stored
    // width of two billion pixels would end the program): no larger than
    // the screen, no smaller than the minimum.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize desktop = screen->availableVirtualSize();
        m_geometry.width = std::max(std::min(m_geometry.width, desktop.width()), StoredGeometry::kMinimumWidth);
        m_geometry.height = std::max(std::min(m_geometry.height, desktop.height()), StoredGeometry::kMinimumHeight);
    }
    setGeometry(m_geometry.left, m_geometry.top, m_geometry.width, m_geometry.height);
}

void TForm1::UseSystemFont()
{
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

void TForm1::SelectPage(int page)
{
    if (page < 1 || page > 5)
        return;
    // The pictures are built afresh every time, so they show the current
    // icons and the captions in the current language.
    for (int i = 0; i < 5; ++i) {
        const QPixmap icon = m_iconHolders[i]->pixmap();
        const QString caption = Translate(QString::fromLatin1(kTiles[i].captionKey));
        m_tiles[i]->setPixmap(i + 1 == page ? NavigationTiles::activeTile(icon, caption)
                                            : NavigationTiles::inactiveTile(icon, caption));
    }
    for (int i = 0; i < 5; ++i)
        m_pages[i]->setVisible(i + 1 == page);
    m_pages[page - 1]->raise();
    m_currentPage = page;
}

void TForm1::setLinkOpener(const std::function<void(const QString &)> &opener)
{
    m_aboutPage->openLink = opener;
    m_languagePage->downloadLink()->onClick = [opener] { opener(AboutLinks::kLanguagesPage); };
}

void TForm1::ShowApplicationHint(const QString &hint)
{
    // The panel is 200 pixels wide; a longer hint is clipped at its right
    // edge, its start in view.
    const bool fits = m_hintPanel->fontMetrics().horizontalAdvance(hint) <= m_hintPanel->width() - 4;
    m_hintPanel->setAlignment(fits ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    m_hintPanel->setText(hint);
    m_hintPanel->setProperty("fullHint", hint);
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
    // Where no window manager activates a new window, the grid could not
    // take the focus, and the first header click would be lost.
    activateWindow();
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
    // The first display of a window started minimised: its work (and a
    // package's question) comes before the restored window is shown, so the
    // window stays minimised until then.
    m_shownOnce = true;
    const bool maximized = isMaximized();
    QMetaObject::invokeMethod(
        this,
        [this, maximized] {
            showMinimized();
            guarded([this] { FormShow(); });
            centre();
            if (maximized)
                showMaximized();
            else
                showNormal();
            activateWindow();
        },
        Qt::QueuedConnection);
}
