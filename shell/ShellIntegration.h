#pragma once

#include "platform/ProgramFolder.h"

#include <QString>

// Whether the shell extension's handlers are registered, and registering
// or unregistering its two libraries.
class ShellIntegration final
{
public:
    // The handler keys under HKEY_CLASSES_ROOT.
    static const QString kPropertySheetKey; // SheetExt.dll
    static const QString kFolderMenuKey;    // emblixmenu.dll, folders
    static const QString kFileMenuKey;      // emblixmenu.dll, all files

    struct State {
        bool menu = true;    // cb_Menu: both context-menu handlers
        bool prop = true;    // cb_Prop
        bool all = true;     // cb_All (never shown)
        bool folders = true; // cb_Folders (never shown)
    };

    explicit ShellIntegration(ProgramFolder folder);

    // The start-up check: a key that cannot be opened for full access
    // counts as absent; the menu box needs both context-menu keys.
    State readState() const;

    // Button1Click's two registrations, in order; the first error ends them.
    // Then the toolbar set is stored as [Toolbar] Name.
    void apply(bool menu, bool prop, const QString &toolbarSet) const;

private:
    ProgramFolder m_folder;
};
