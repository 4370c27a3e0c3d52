#pragma once

#include "ThemeApplier.h"
#include "ThemeArchive.h"
#include "ThemeFolders.h"

#include <QItemSelectionModel>
#include <QObject>
#include <QStringListModel>

class Prompt;

// The rules of the themes page: the theme list and its selection, the
// description of the selected theme, applying, installing (the package
// read by ThemePackageReader, written by ThemeInstaller), deleting and
// packing. The page widget draws the list, asks for what the user did and
// follows infoChanged.
class ThemesController final : public QObject
{
    Q_OBJECT

public:
    ThemesController(const ProgramFolder &folder, Prompt &prompt, ThemeArchive &archive,
                     ThemeApplier::Launcher launcher = {});

    QStringListModel &list() { return m_list; }
    QItemSelectionModel &selection() { return m_selection; }
    const ThemeFolders &folders() const { return m_folders; }
    // What the information panel shows.
    const ThemeInfo &shownInfo() const { return m_info; }

    // Clears the list and fills it from the theme folders; no row selected.
    void RefreshThemeList();
    // Start-up: selects the current theme's row (exact match) and describes it.
    void selectCurrentTheme();
    // The selected row's name, if a row is selected.
    std::optional<QString> selectedTheme() const;
    void selectTheme(int row);

    void ListBox1Click();
    void ListBox1DblClick();
    // The "+" button: asks for a package, then installs it.
    void tb_AddThemeClick();
    // Installs the package at path (handed over by the command line or a
    // drop, or chosen in the dialog), asking the user first.
    void installPackage(const QString &path);
    void tb_DeleteThemeClick();
    void tb_PackThemeClick();

signals:
    // The description of the selected theme changed.
    void infoChanged();

private:
    ProgramFolder m_folder;
    Prompt &m_prompt;
    ThemeArchive &m_archive;
    ThemeFolders m_folders;
    ThemeApplier m_applier;
    QStringListModel m_list;
    QItemSelectionModel m_selection{&m_list};
    ThemeInfo m_info;
};
