#include "ThemesController.h"

#include "PlistText.h"
#include "ThemeName.h"
#include "i18n/LanguageSupport.h"
#include "platform/AppError.h"
#include "platform/Prompt.h"
#include "platform/Settings.h"
#include "platform/ini/IniText.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <functional>

namespace {

const QString kPassPhrase = QStringLiteral("lumbrake");

FileDialogRequest packageDialog(const QString &title)
{
    FileDialogRequest request;
    request.title = Translate(title);
    request.filterDescription = Translate(QStringLiteral("Varnick Emblix Theme zipped")) + QStringLiteral(" ( *.vqk )");
    request.filterPattern = QStringLiteral("*.vqk");
    return request;
}

[[noreturn]] void cannotCreate(const QString &file, const QString &reason)
{
    throw AppError(QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(file), reason));
}

bool tryWriteWhole(const QString &file, const QByteArray &bytes, QString *reason = nullptr)
{
    QSaveFile out(file);
    out.setDirectWriteFallback(false);
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit())
        return true;
    if (reason)
        *reason = out.errorString();
    return false;
}

void writeWhole(const QString &file, const QByteArray &bytes)
{
    QString reason;
    if (!tryWriteWhole(file, bytes, &reason))
        cannotCreate(file, reason);
}

// An icon that cannot be written is passed over: the theme then lacks it.
// Whatever stands in an icon's place and is no file (a folder, a pipe) is
// not the icon's to replace.
void writeIcons(const QList<QByteArray> &icons, const std::function<QString(int)> &fileOf)
{
    for (int n = 1; n <= 10; ++n) {
        const QString file = fileOf(n);
        const QFileInfo existing(file);
        if (!existing.exists() || existing.isFile())
            tryWriteWhole(file, icons[n - 1]);
    }
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
    const QStringList entries = m_archive.open(path);
    if (entries.isEmpty())
        return;
    const auto corrupted = [this] {
        m_prompt.note(Translate(QStringLiteral("Error")), Translate(QStringLiteral("Theme is corrupted, sorry.")));
    };
    const QStringList required{"1.ico", "2.ico", "3.ico", "4.ico",  "5.ico",    "6.ico",
                               "7.ico", "8.ico", "9.ico", "10.ico", "plist.ini"};
    for (const QString &needle : required) {
        const bool present =
            std::any_of(entries.begin(), entries.end(), [&](const QString &entry) { return entry.contains(needle); });
        if (!present)
            return corrupted();
    }
    m_archive.setPassPhrase(kPassPhrase);

    // Everything is read and checked before anything is written; no path
    // inside the archive decides where a file goes.
    const std::optional<QByteArray> plist = m_archive.extract(QStringLiteral("plist.ini"), kMaxEntryBytes);
    if (!plist)
        return corrupted();
    const std::optional<QString> name = themeNameOf(*plist);
    if (!name || !isSafeThemeName(*name))
        return corrupted();
    QList<QByteArray> icons;
    for (int n = 1; n <= 10; ++n) {
        const std::optional<QByteArray> icon = m_archive.extract(QStringLiteral("%1.ico").arg(n), kMaxEntryBytes);
        // Written as they are: a theme may hold any image under these names,
        // and the drawing passes over one it cannot read.
        if (!icon)
            return corrupted();
        icons.append(*icon);
    }

    const QString question =
        Translate(QStringLiteral("Install theme :")) + QStringLiteral(" \"") + *name + QStringLiteral("\" ?");
    if (!m_prompt.confirm(Translate(QStringLiteral("Confirm")), question))
        return;
    writeTheme(*name, icons, *plist);
    RefreshThemeList();
}

std::optional<QString> ThemesController::themeNameOf(const QByteArray &plist) const
{
    // The description is read as an INI file through a working copy in
    // UTF-16LE with CR LF line breaks, whatever encoding the package used.
    const QString text = plistWorkingText(plist);
    const QString workingFile = m_folder.file(u"~temp.ini");
    writeWhole(workingFile, encodeIniText(IniText{IniEncoding::Utf16LE, text, {}, {}}));
    QString name;
    {
        TTntIniFile ini(workingFile);
        name = ini.ReadString(QStringLiteral("AUTHOR"), QStringLiteral("THEME_NAME"), QString());
    }
    QFile::remove(workingFile);
    return name;
}

void ThemesController::writeTheme(const QString &name, const QList<QByteArray> &icons, const QByteArray &plist) const
{
    const QString themes = m_folders.themesFolder();
    if (!QDir().mkpath(themes))
        cannotCreate(themes, QStringLiteral("The folder cannot be created."));
    const QString target = m_folders.themeFolder(name);
    const QFileInfo existing(target);

    if (existing.exists() && !existing.isDir())
        cannotCreate(target, QStringLiteral("A file of that name is in the way."));
    if (existing.isDir()) {
        // Over an existing theme: its ten icons and plist.ini are replaced
        // one file at a time, each whole; its other files stay.
        writeIcons(icons, [&](int n) { return target + QStringLiteral("/%1.ico").arg(n); });
        writeWhole(target + QStringLiteral("/plist.ini"), plist);
        return;
    }

    // A new theme appears whole or not at all: written under a hidden
    // temporary name inside themes, then renamed.
    QTemporaryDir staging(themes + QStringLiteral("/.~install-XXXXXX"));
    if (!staging.isValid())
        cannotCreate(themes, staging.errorString());
    writeIcons(icons, [&](int n) { return staging.filePath(QStringLiteral("%1.ico").arg(n)); });
    writeWhole(staging.filePath(QStringLiteral("plist.ini")), plist);
    QFile::setPermissions(staging.path(), QFile::permissions(staging.path()) | QFileDevice::ReadGroup
                                              | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (!QDir().rename(staging.path(), target))
        cannotCreate(target, QStringLiteral("The theme folder cannot be created."));
    staging.setAutoRemove(false);
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
