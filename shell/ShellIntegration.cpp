#include "ShellIntegration.h"

#include "HandlerKeyNames.h"
#include "RegDLL.h"
#include "platform/Registry.h"
#include "platform/Settings.h"

const QString ShellIntegration::kPropertySheetKey = QString::fromLatin1(HandlerKeyNames::kPropertySheet);
const QString ShellIntegration::kFolderMenuKey = QString::fromLatin1(HandlerKeyNames::kFolderMenu);
const QString ShellIntegration::kFileMenuKey = QString::fromLatin1(HandlerKeyNames::kFileMenu);

ShellIntegration::ShellIntegration(ProgramFolder folder) : m_folder(std::move(folder)) {}

ShellIntegration::State ShellIntegration::readState() const
{
    State state;
    state.prop = Registry::canOpenClassesRootKey(m_folder, kPropertySheetKey);
    state.folders = Registry::canOpenClassesRootKey(m_folder, kFolderMenuKey);
    state.all = Registry::canOpenClassesRootKey(m_folder, kFileMenuKey);
    state.menu = state.all && state.folders;
    return state;
}

void ShellIntegration::apply(bool menu, bool prop, const QString &toolbarSet) const
{
    RegisterServerLibrary(prop, m_folder.file(u"SheetExt.dll"));
    RegisterServerLibrary(menu, m_folder.file(u"emblixmenu.dll"));
    Settings::write(m_folder, Settings::kToolbarSet, toolbarSet);
}
