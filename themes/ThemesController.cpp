#include "ThemesController.h"

#include "ThemeInstaller.h"
#include "ThemePackage.h"
#include "i18n/LanguageSupport.h"
#include "platform/Prompt.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

FileDialogRequest packageDialog(const QString &title)
{
    FileDialogRequest request;
    request.title = Translate(title);
    request.filterDescription = Translate(QStringLiteral("Varnick Emblix Theme zipped")) + QStringLiteral(" ( *.vqk )");
    request.filterPattern = QStringLiteral("*.vqk");
    return request;
}

} // namespace

ThemesController::ThemesController(const ProgramFolder &folder, Prompt &prompt, ThemeArchive &archive,
                                   ThemeApplier::Launcher launcher)
    : m_folder(folder), m_prompt(prompt), m_archive(archive), m_folders(folder), m_applier(folder, std::move(launcher))
{}

void ThemesController::RefreshThemeList()
{
    m_selection.clear();
    m_list.setStringList(m_folders.RefreshThemeList());
}

void ThemesController::selectCurrentTheme()
{
    QString current = QString::fromLatin1(Settings::kTheme.defaultValue);
    try {
        current = Settings::read(m_folder, Settings::kTheme);
    } catch (...) {
    }
    const int row = int(m_list.stringList().indexOf(current));
    if (row >= 0)
        selectTheme(row);
    ListBox1Click();
}

std::optional<QString> ThemesController::selectedTheme() const
{
    const QModelIndexList rows = m_selection.selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return m_list.data(rows.first()).toString();
}

void ThemesController::selectTheme(int row)
{
    if (row < 0 || row >= m_list.rowCount())
        m_selection.clear();
    else
        m_selection.setCurrentIndex(m_list.index(row), QItemSelectionModel::ClearAndSelect);
}

void ThemesController::ListBox1Click()
{
    const std::optional<QString> name = selectedTheme();
    if (m_list.rowCount() == 0 || !name)
        return;
    m_info = m_folders.readInfo(*name);
    emit infoChanged();
}

void ThemesController::ListBox1DblClick()
{
    if (m_list.rowCount() == 0)
        return;
    const std::optional<QString> name = selectedTheme();
    if (!name) {
        m_prompt.note(Translate(QStringLiteral("Note")), Translate(QStringLiteral("Please, select theme")));
        return;
    }
    m_applier.ApplyTheme(m_folders.themeFolder(*name) + u'/');
    try {
        Settings::write(m_folder, Settings::kTheme, *name);
    } catch (...) {
        // The current theme is remembered when possible; nothing else depends on it.
    }
}

void ThemesController::tb_AddThemeClick()
{
    const std::optional<QString> chosen =
        m_prompt.chooseOpenFile(packageDialog(QStringLiteral("Select Theme to install")));
    if (chosen)
        installPackage(*chosen);
}

void ThemesController::installPackage(const QString &path)
{
    if (m_archive.busy())
        return;
    const ThemePackageReader::Reading reading = ThemePackageReader(m_folder, m_archive).read(path);
    if (reading.verdict == ThemePackageReader::Verdict::NotAPackage)
        return;
    if (reading.verdict == ThemePackageReader::Verdict::Corrupted) {
        m_prompt.note(Translate(QStringLiteral("Error")), Translate(QStringLiteral("Theme is corrupted, sorry.")));
        return;
    }
    const QString question = Translate(QStringLiteral("Install theme :")) + QStringLiteral(" \"") + reading.package.name
                             + QStringLiteral("\" ?");
    if (!m_prompt.confirm(Translate(QStringLiteral("Confirm")), question))
        return;
    ThemeInstaller(m_folders).install(reading.package);
    RefreshThemeList();
}

void ThemesController::tb_DeleteThemeClick()
{
    if (m_list.rowCount() == 0)
        return;
    const std::optional<QString> name = selectedTheme();
    if (!name) {
        m_prompt.note(Translate(QStringLiteral("Information")),
                      Translate(QStringLiteral("Please select theme to delete.")));
        return;
    }
    if (!m_prompt.confirm(Translate(QStringLiteral("Accept ?")), Translate(QStringLiteral("Remove selected Theme ?"))))
        return;
    if (ProgramFolder::isPlainName(*name)) {
        const QString folder = m_folders.themeFolder(*name);
        // A link is removed itself: what it points at is not ours to delete.
        if (QFileInfo(folder).isSymLink())
            QFile::remove(folder);
        else
            QDir(folder).removeRecursively();
    }
    RefreshThemeList();
}

void ThemesController::tb_PackThemeClick()
{
    if (m_list.rowCount() == 0)
        return;
    const std::optional<QString> name = selectedTheme();
    if (!name) {
        m_prompt.note(Translate(QStringLiteral("Information")),
                      Translate(QStringLiteral("Please select theme to pack.")));
        return;
    }
    FileDialogRequest dialog = packageDialog(QStringLiteral("Save Packed theme for Distribution as"));
    dialog.defaultSuffix = QStringLiteral("vqk");
    const std::optional<QString> target = m_prompt.chooseSaveFile(dialog);
    if (!target)
        return;
    ThemeArchive::AddOptions options;
    options.storeFolderNames = false;
    options.recurse = false;
    options.includeHiddenAndSystem = true;
    options.encrypt = false;
    options.compressionLevel = 9;
    const int added = m_archive.addFiles(*target, m_folders.themeFolder(*name),
                                         {QStringLiteral("*.ico"), QStringLiteral("*.ini")}, options);
    m_prompt.note(Translate(QStringLiteral("Information")),
                  Translate(added > 10 ? QStringLiteral("Packed theme was created succesfully")
                                       : QStringLiteral("Packed theme was NOT created")));
}
