#pragma once

#include "MenuItems.h"

// Dolphin's service menus: one file per owner in
// $XDG_DATA_HOME/kio/servicemenus, executable, as KIO asks of a service
// menu outside the system folders.
namespace DolphinMenu {

void install(const MenuSet &set);
// The owner's entries installed from programFolder (every folder's when
// it is empty).
// False when one of them is still there.
bool remove(const QString &owner, const QString &programFolder);

} // namespace DolphinMenu
