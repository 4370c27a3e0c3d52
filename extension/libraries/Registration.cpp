#include "Registration.h"

#include "DolphinMenu.h"
#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "HandlerKeys.h"
#include "KeeperAutostart.h"
#include "KeeperLock.h"
#include "MenuItems.h"
#include "ModuleMenus.h"
#include "NemoActions.h"
#include "ScriptMenus.h"
#include "ThunarActions.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdint>
#include <cstdio>
#include <dlfcn.h>

namespace {

constexpr int kIcoswapWaitMs = 30000;

void installMenus(const MenuSet &set)
{
    // Thunar first: a uca.xml it cannot read stops the registration before
    // anything else is written.
    ThunarActions::install(set);
    ModuleMenus::install(set);
    QList<ModuleMenus::Manager> served;
    for (const auto manager : {ModuleMenus::Manager::Caja, ModuleMenus::Manager::Nemo, ModuleMenus::Manager::Nautilus,
                               ModuleMenus::Manager::Dolphin}) {
        if (ModuleMenus::moduleInstalled(manager))
            served.append(manager);
    }
    if (served.contains(ModuleMenus::Manager::Nemo))
        NemoActions::remove(set.owner, QString());
    else
        NemoActions::install(set);
    ScriptMenus::install(set, served);
    if (served.contains(ModuleMenus::Manager::Dolphin))
        DolphinMenu::remove(set.owner, QString());
    else
        DolphinMenu::install(set);
}

// The menus set installed from its program folder; false when one is left.
bool removeMenus(const MenuSet &set)
{
    bool removed = ModuleMenus::remove(set.owner, set.folder);
    removed &= NemoActions::remove(set.owner, set.folder);
    removed &= ScriptMenus::remove(set.owner, set.folder);
    removed &= DolphinMenu::remove(set.owner, set.folder);
    // Last, since an unreadable uca.xml ends the removal with an error.
    removed &= ThunarActions::remove(set.owner, set.folder);
    return removed;
}

bool removeEmblemImages()
{
    bool removed = true;
    for (const int size : UserFolders::kEmblemSizes) {
        for (int badge = 1; badge <= 10; ++badge) {
            removed &= UserFiles::removeFile(UserFolders::emblemFolder(size) + u'/' + UserFolders::emblemName(badge)
                                                 + QStringLiteral(".png"),
                                             UserFolders::dataHome());
        }
    }
    return removed;
}

// Takes off every emblem the ledger knows, as the keeper does in the
// background; false when some stay (their file system did not answer, or the
// ledger could not be written).
bool takeOffEmblems()
{
    EmblemLedger ledger;
    try {
        return EmblemSync::takeOffAll(ledger);
    } catch (const AppError &) {
        return false;
    }
}

void unregisterMenuFrom(const ProgramFolder &folder, QStringList &left)
{
    // Another program folder registered since: its keeper, emblems and
    // emblem images are its own.
    if (KeeperAutostart::servesFolder(folder)) {
        if (!KeeperAutostart::remove(folder))
            left.append(KeeperAutostart::fileName());
        if (!removeEmblemImages())
            left.append(UserFolders::iconTheme());
        // Taking 50 000 emblems off takes minutes: the keeper does it in the
        // background and then removes the ledger and its lock file, so the
        // caller (the manager's window) returns at once. Only where it cannot
        // be started is the work done here.
        if (!EmblemLedger().exists() || !KeeperAutostart::startTakingOff(folder)) {
            if (!takeOffEmblems())
                left.append(QStringLiteral("badge emblems"));
            UserFiles::removeFile(UserFolders::markIdentities(), UserFolders::dataHome());
            UserFiles::removeFile(KeeperLock::fileName(), UserFolders::dataHome());
        }
    }
    HandlerKeys::remove(folder, {HandlerKeys::kFolderMenu, HandlerKeys::kFileMenu});
    if (!removeMenus(MenuItems::badgeMenu(folder)))
        left.append(QStringLiteral("menus"));
}

void unregisterSheetFrom(const ProgramFolder &folder, QStringList &left)
{
    HandlerKeys::remove(folder, {HandlerKeys::kPropertySheet});
    if (!removeMenus(MenuItems::propertiesEntry(folder)))
        left.append(QStringLiteral("menus"));
}

// A registration that fails leaves nothing behind: what it did is undone
// before the failure goes on to the caller.
template <typename Steps>
void registerOrUndo(const ProgramFolder &folder, Steps steps, void (*undo)(const ProgramFolder &, QStringList &))
{
    try {
        steps();
    } catch (...) {
        QStringList left;
        try {
            undo(folder, left);
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
}

// Runs an unregistering step to its end, then names every file it could
// not remove in one error.
void unregisterOrFail(const ProgramFolder &folder, void (*step)(const ProgramFolder &, QStringList &))
{
    QStringList left;
    step(folder, left);
    if (!left.isEmpty())
        throw AppError(QStringLiteral("Unable to remove %1").arg(left.join(QStringLiteral(", "))));
}

} // namespace

namespace Registration {

void registerMenu(const ProgramFolder &folder)
{
    // The user's menus, keeper and images are one set: a folder that
    // registers takes them over from the one that had them, which then
    // shows as not registered rather than keep keys with nothing behind
    // them (its menus would go with this folder's unregistering).
    const QString previous = KeeperAutostart::servedFolder();
    registerOrUndo(
        folder,
        [&] {
            installMenus(MenuItems::badgeMenu(folder));
            HandlerKeys::create(folder, {HandlerKeys::kFolderMenu, HandlerKeys::kFileMenu});
            // The emblem images come from the active icons; icoswap.exe makes
            // them whenever the theme changes, and now for the first time.
            QProcess icoswap;
            icoswap.setWorkingDirectory(folder.root());
            icoswap.start(folder.file(u"icoswap.exe"), {});
            if (!icoswap.waitForFinished(kIcoswapWaitMs) || icoswap.exitCode() != 0)
                std::fprintf(stderr, "%s did not make the emblem images\n", qPrintable(folder.file(u"icoswap.exe")));
            KeeperAutostart::install(folder);
        },
        unregisterMenuFrom);
    if (!previous.isEmpty() && previous != folder.root() && QFileInfo(previous).isDir())
        HandlerKeys::remove(ProgramFolder(previous), {HandlerKeys::kFolderMenu, HandlerKeys::kFileMenu});
}

void unregisterMenu(const ProgramFolder &folder)
{
    unregisterOrFail(folder, unregisterMenuFrom);
}

void registerSheet(const ProgramFolder &folder)
{
    registerOrUndo(
        folder,
        [&] {
            installMenus(MenuItems::propertiesEntry(folder));
            HandlerKeys::create(folder, {HandlerKeys::kPropertySheet});
        },
        unregisterSheetFrom);
}

void unregisterSheet(const ProgramFolder &folder)
{
    unregisterOrFail(folder, unregisterSheetFrom);
}

ProgramFolder libraryFolder()
{
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&libraryFolder), &info);
    return ProgramFolder(QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath());
}

int asEntryPoint(void (*step)(const ProgramFolder &))
{
    constexpr std::int32_t kFail = std::int32_t(0x80004005u); // E_FAIL
    try {
        step(libraryFolder());
        return 0;
    } catch (const std::exception &error) {
        // AppError among them: its text says which file stopped the work.
        std::fprintf(stderr, "%s\n", error.what());
    } catch (...) {
        // Nothing may cross the entry point into the caller.
    }
    return kFail;
}

} // namespace Registration
