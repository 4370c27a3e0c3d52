#pragma once

#include "MenuItems.h"

// Dolphin's service menus: one file per owner in
// $XDG_DATA_HOME/kio/servicemenus, executable, as KIO asks of a service
// menu outside the system folders.
namespace DolphinMenu {

QString fileName(const QString &owner);
void install(const MenuSet &set);
void remove(const QString &owner);

} // namespace DolphinMenu
