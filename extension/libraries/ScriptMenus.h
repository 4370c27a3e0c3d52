#pragma once

#include "MenuItems.h"
#include "ModuleMenus.h"

// The scripts menus of Nautilus ($XDG_DATA_HOME/nautilus/scripts) and Caja
// ($XDG_CONFIG_HOME/caja/scripts): one small script per entry, in a
// subfolder named after the submenu. Each script carries the owner's mark,
// so removing never touches a script of the user's.
namespace ScriptMenus {

// Leaves out the file managers whose own module gives the menus.
void install(const MenuSet &set, const QList<ModuleMenus::Manager> &servedByModule);
// The owner's entries installed from programFolder (every folder's when
// it is empty).
// False when one of them is still there.
bool remove(const QString &owner, const QString &programFolder);

} // namespace ScriptMenus
