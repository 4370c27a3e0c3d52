#pragma once

#include "WindowGeometry.h"
#include "platform/ProgramFolder.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class AboutPage;
class LanguageList;
class LibraryController;
class IntegrationController;
class ThemeArchive;
class ThemesController;
class ToolbarSetBox;
class ToolbarSetController;
class HintTracker;
class IntegrationPage;
class LanguagePage;
class LibraryPage;
class NavigationTile;
class Prompt;
class QFrame;
class QLabel;
class QStatusBar;
class ThemesPage;

// The application title: the caption of the error boxes, never translated.
inline const QString kApplicationTitle = QStringLiteral("Emblix Manager");

// The main window Form1. Its creation runs the start-up sequence, its first
// display the first-display sequence, its destruction the shutdown; each
// sequence and every event handler ends at the general error box when an
// error escapes it.
class TForm1 final : public QWidget
{
public:
    TForm1(ProgramFolder folder, Prompt &prompt, QStringList arguments = {});
    ~TForm1() override;

    LibraryPage *libraryPage() const { return m_libraryPage; }
    // The desktop's "open" action for the program's links.
    void setLinkOpener(const std::function<void(const QString &)> &opener);
    // A package handed over by the command line or a drop, while it is
    // being installed; empty otherwise.
    const QString &pendingPackagePath() const { return m_pendingPackagePath; }

    // Runs the first display, centres the window and shows it in its
    // restored state; with a stored minimised state the first display waits
    // until the user restores the window.
    void present();

    void SelectPage(int page);

    // The steps of the sequences in the order they ran; shared so that the
    // shutdown's steps can be read after the window is gone.
    std::shared_ptr<const QStringList> sequenceLog() const { return m_sequenceLog; }
    int currentPage() const { return m_currentPage; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    // Runs handler (with the signal's arguments) at the edge of the general
    // error box whenever sender emits signal: how every page is wired to the
    // window.
    template <typename Sender, typename Signal, typename Handler>
    void onSignal(Sender *sender, Signal signal, Handler handler)
    {
        connect(sender, signal, this, [this, handler](auto... arguments) { guarded([&] { handler(arguments...); }); });
    }

    void buildLayout();
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void FormResize();
    void UseSystemFont();
    void restoreGeometry();
    void ShowApplicationHint(const QString &hint);
    void handOverCommandLine();
    // Each existing file (not folder) of a drop goes to the package
    // installer in turn, which runs to its end before the next one.
    void HandleDroppedFiles(const QStringList &paths);
    // Makes path the pending package and installs it; the pending path is
    // empty again however the install ends.
    void handOver(const QString &path);
    void wireLibraryPage();
    void wireThemesPage();
    void wireLanguagePage();
    void wireIntegrationPage();
    void cbTBThemesChange(int row);
    void selectSavedToolbarSet();
    int windowStateCode() const;
    void centre();
    void fitOuterSize();

    // Runs work at the edge of a handler or sequence: an escaping error ends
    // it and is shown in the general error box.
    void guarded(const std::function<void()> &work);
    void step(const char *name, const std::function<void()> &work);

    ProgramFolder m_folder;
    Prompt &m_prompt;
    QStringList m_arguments;
    QString m_pendingPackagePath;
    std::shared_ptr<QStringList> m_sequenceLog = std::make_shared<QStringList>();
    StoredGeometry m_geometry;
    bool m_shownOnce = false;
    QSize m_appliedFrameMargins;
    int m_currentPage = 0;

    std::unique_ptr<LibraryController> m_library;
    std::unique_ptr<ThemeArchive> m_archive;
    std::unique_ptr<ThemesController> m_themes;
    std::unique_ptr<LanguageList> m_languages;
    std::unique_ptr<ToolbarSetController> m_toolbarSet;
    std::unique_ptr<IntegrationController> m_integration;
    ThemesPage *m_themesPage = nullptr;
    LanguagePage *m_languagePage = nullptr;
    IntegrationPage *m_integrationPage = nullptr;
    AboutPage *m_aboutPage = nullptr;
    ToolbarSetBox *m_toolbarSetBox = nullptr;
    LibraryPage *m_libraryPage = nullptr;
    std::array<NavigationTile *, 5> m_tiles{};
    std::array<QWidget *, 5> m_pages{};
    std::array<QLabel *, 5> m_iconHolders{};
    QFrame *m_shape = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_hintPanel = nullptr;
    HintTracker *m_hintTracker = nullptr;
};
