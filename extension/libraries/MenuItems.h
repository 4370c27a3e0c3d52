#pragma once

#include "platform/ProgramFolder.h"

#include <QList>
#include <QString>
#include <QStringList>

// One entry a file manager's context menu offers, and the badge command it
// runs on the selection.
struct MenuItem {
    QString id;            // unique within its owner: "1" ... "10", "none", "properties"
    QString label;         // shown, in the user's language
    QString icon;          // icon name, or empty
    QStringList arguments; // of the badge command, before the selected paths
};

// The entries one extension library installs, under one owner name that
// marks every file and action it writes, so unregistering removes exactly
// those and nothing of the user's own.
struct MenuSet {
    QString owner;   // "emblix-badge-menu" or "emblix-badge-sheet"
    QString submenu; // label of the submenu holding the items, or empty
    bool forFolders = true;
    QString badgeCommand; // full path of the badge command
    QString folder;       // the program folder that installs them
    QList<MenuItem> items;
};

namespace MenuItems {

// emblixmenu.dll: "Badge" > Badge 1 ... Badge 10, No badge; files and folders.
MenuSet badgeMenu(const ProgramFolder &folder);
// SheetExt.dll: "Badge properties ..." on files (a text ending in "..." is
// translated without it, then " ..." follows), opening the badge dialog.
MenuSet propertiesEntry(const ProgramFolder &folder);

} // namespace MenuItems
