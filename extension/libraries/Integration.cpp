#include "Integration.h"

#include "DolphinMenu.h"
#include "EmblemLedger.h"
#include "Emblems.h"
#include "HandlerKeys.h"
#include "KeeperAutostart.h"
#include "KeeperLock.h"
#include "MenuItems.h"
#include "NemoActions.h"
#include "ScriptMenus.h"
#include "ThunarActions.h"
#include "UserFiles.h"
#include "UserFolders.h"

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
    NemoActions::install(set);
    ScriptMenus::install(set);
    DolphinMenu::install(set);
}

void removeMenus(const QString &owner)
{
    NemoActions::remove(owner);
    ScriptMenus::remove(owner);
    DolphinMenu::remove(owner);
    // Last, since an unreadable uca.xml ends the removal with an error.
    ThunarActions::remove(owner);
}

void removeEmblemImages()
{
    for (const int size : UserFolders::kEmblemSizes) {
        for (int badge = 1; badge <= 10; ++badge) {
            UserFiles::removeFile(UserFolders::emblemFolder(size) + u'/' + UserFolders::emblemName(badge)
                                      + QStringLiteral(".png"),
                                  UserFolders::dataHome());
        }
    }
}

void takeOffEmblems()
{
    EmblemLedger ledger;
    const QHash<QString, int> shown = ledger.read();
    for (auto it = shown.cbegin(); it != shown.cend(); ++it)
        Emblems::setBadge(it.key(), 0);
    ledger.forget();
}

} // namespace

namespace Integration {

void registerMenu(const ProgramFolder &folder)
{
    installMenus(MenuItems::badgeMenu(folder));
    HandlerKeys::create(folder, {HandlerKeys::kFolderMenu, HandlerKeys::kFileMenu});
    // The emblem images come from the active icons; icoswap.exe makes them
    // whenever the theme changes, and now for the first time.
    QProcess icoswap;
    icoswap.setWorkingDirectory(folder.root());
    icoswap.start(folder.file(u"icoswap.exe"), {});
    if (!icoswap.waitForFinished(kIcoswapWaitMs) || icoswap.exitCode() != 0)
        std::fprintf(stderr, "%s did not make the emblem images\n", qPrintable(folder.file(u"icoswap.exe")));
    KeeperAutostart::install(folder);
}

void unregisterMenu(const ProgramFolder &folder)
{
    KeeperAutostart::remove();
    takeOffEmblems();
    removeEmblemImages();
    // The keeper's lock file and the ledger's folder go too, when nothing else lies there.
    UserFiles::removeFile(KeeperLock::fileName(), UserFolders::dataHome());
    HandlerKeys::remove(folder, {HandlerKeys::kFolderMenu, HandlerKeys::kFileMenu});
    removeMenus(MenuItems::badgeMenu(folder).owner);
}

void registerSheet(const ProgramFolder &folder)
{
    installMenus(MenuItems::propertiesEntry(folder));
    HandlerKeys::create(folder, {HandlerKeys::kPropertySheet});
}

void unregisterSheet(const ProgramFolder &folder)
{
    HandlerKeys::remove(folder, {HandlerKeys::kPropertySheet});
    removeMenus(MenuItems::propertiesEntry(folder).owner);
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

} // namespace Integration
