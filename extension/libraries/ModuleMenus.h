#pragma once

#include "MenuItems.h"

// The badge menus as the file managers' own modules read them: one key file
// per owner in $XDG_CONFIG_HOME/emblix-manager/file-manager-menus. The file
// is the per-user switch of the modules: a module installed for everyone
// offers menus only to a user whose registration wrote it.
namespace ModuleMenus {

enum class Manager { Caja, Nemo, Nautilus, Dolphin };

QString folder();
void install(const MenuSet &set);
// The owner's file, when programFolder installed it (or any folder, when
// empty); false when it is still there.
bool remove(const QString &owner, const QString &programFolder);

// Whether that file manager's module is installed where it loads it from:
// its menus then come from the module, and the per-user ones would show
// the entries twice.
bool moduleInstalled(Manager manager);

} // namespace ModuleMenus
